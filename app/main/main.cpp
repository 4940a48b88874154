// The program's entry. For now: build a CPU model, drop some dye, step it and report the total density.
#include <cstdio>

#include "fluid/FluidModelCPU.h"

int main()
{
    vornix::FluidModelCPU model(200, 0.00001f, 0.1f, 0.00002f);
    model.addDensity(100, 100, 0.5f, 20.0f);
    model.addVelocity(100, 100, 5.0f, 2.0f, 10.0f);
    for (int k = 0; k < 10; ++k)
        model.step();
    double total = 0.0;
    for (unsigned j = 1; j <= model.N; ++j)
        for (unsigned i = 1; i <= model.N; ++i)
            total += model.getDensity(static_cast<int>(i), static_cast<int>(j));
    std::printf("total density after 10 steps: %.6f\n", total);
    return 0;
}
