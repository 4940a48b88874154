// The GPU model's step on the driver at hand (llvmpipe on the build machine) at the grid sizes the panel offers, side
// by side with the plain pass sequence (scratch copies, RGBA32F fields, the original programs) that the fast model must
// match bit for bit. Each step is preceded by the same brush strokes and ends with glFinish, so the time is the work
// done, not queued; wall time is measured because the driver rasterises on threads of its own.
#include <benchmark/benchmark.h>

#include <epoxy/gl.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/platform/HiddenGlContext.h"
#include "tests/support/ReferenceGpuSolver.h"

namespace {

vornix::HiddenGlContext& context()
{
    static vornix::HiddenGlContext ctx(64, 64);
    return ctx;
}

template <class Model> void runSteps(benchmark::State& state)
{
    context().makeCurrent();
    const int n = static_cast<int>(state.range(0));
    std::ostringstream console;
    Model model(console, n, 0.00001f, 0.1f, 0.00002f);
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

// The plain pass sequence, as first built.
void BM_GpuStepDescribed(benchmark::State& state) { runSteps<vornix::test::ReferenceGpuSolver>(state); }
// FluidModelGLSL as shipped.
void BM_GpuStepFast(benchmark::State& state) { runSteps<vornix::FluidModelGLSL>(state); }

} // namespace

// Interleaved per grid size, so that both run under the same machine load.
BENCHMARK(BM_GpuStepDescribed)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuStepFast)->Arg(64)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuStepDescribed)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuStepFast)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuStepDescribed)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuStepFast)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuStepDescribed)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GpuStepFast)->Arg(400)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("GL renderer: %s; LP_NUM_THREADS=%s\n", context().renderer().c_str(), threads ? threads : "(default)");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
