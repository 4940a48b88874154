// A short, literal transcription of the CPU fluid step (plain loops, i outer, j inner), kept as the test oracle:
// the real engine may be tuned in any way, but it must produce exactly these bits.
#pragma once

#include <vector>

namespace vornix::reference {

struct ReferenceFluid {
    ReferenceFluid(int n, float viscosity, float dt, float diffusion);

    void addDensity(int x, int y, float amount, float radius);
    void addVelocity(int x, int y, float forceX, float forceY, float radius);
    void step();

    int N;
    float visc, dt, diff;
    std::vector<float> u, v, u_prev, v_prev, dens, dens_prev;
};

} // namespace vornix::reference
