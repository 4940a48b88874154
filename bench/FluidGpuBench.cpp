// FluidModelGLSL::step on the driver at hand (llvmpipe on the build machine) at the grid sizes the panel offers.
// Each step is preceded by the same brush strokes and ends with glFinish, so the time is the work done, not queued;
// wall time is measured because the driver rasterises on threads of its own.
#include <benchmark/benchmark.h>

#include <epoxy/gl.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/platform/HiddenGlContext.h"

namespace {

vornix::HiddenGlContext& context()
{
    static vornix::HiddenGlContext ctx(64, 64);
    return ctx;
}

void BM_GpuStep(benchmark::State& state)
{
    context().makeCurrent();
    const int n = static_cast<int>(state.range(0));
    std::ostringstream console;
    vornix::FluidModelGLSL model(console, n, 0.00001f, 0.1f, 0.00002f);
    if (!model.programsLoaded()) {
        state.SkipWithError(console.str().c_str());
        return;
    }
    int frame = 0;
    glFinish();
    model.resetPassCounts();
    for (auto _ : state) {
        const int c = 1 + (frame++ * 13) % n;
        model.addDensity(c, n / 2, 0.5f, n * 0.1f);
        model.addVelocity(c, n / 2, 5.0f, -3.0f, n * 0.05f);
        model.step();
        glFinish();
    }
    state.counters["N"] = n;
    state.counters["passes/step"] =
        static_cast<double>(model.passCounts().quadPasses) / static_cast<double>(state.iterations());
}

} // namespace

BENCHMARK(BM_GpuStep)->Arg(64)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::printf("GL renderer: %s\n", context().renderer().c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
