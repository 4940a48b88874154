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

// One kind of pass of the fast model, 100 times in a row, at N = range(1): the time shown is that of 100 passes
// (so ms per 100 = 10 us per pass), without the rest of the step. Kinds: 0 boundary, 1 Jacobi iteration, 2 advection, 3 add source, 4 divergence, 5 gradient (u), 6 clear.
void BM_GpuPass(benchmark::State& state)
{
    context().makeCurrent();
    const int kind = static_cast<int>(state.range(0));
    const int n = static_cast<int>(state.range(1));
    std::ostringstream console;
    vornix::FluidModelGLSL model(console, n, 0.00001f, 0.1f, 0.00002f);
    if (!model.programsLoaded()) {
        state.SkipWithError(console.str().c_str());
        return;
    }
    using F = vornix::FluidModelGLSL;
    model.addVelocity(n / 2, n / 2, 5.0f, -3.0f, n * 0.2f);
    glFinish();
    for (auto _ : state) {
        for (int k = 0; k < 100; ++k) {
            switch (kind) {
            case 0: model.setBnd(F::U, vornix::Boundary::Horizontal); break;
            case 1: model.linSolveIteration(F::UPrev, F::U, 1.0f, 4.0f); break;
            case 2: model.advectPass(F::UPrev, F::U, F::U, F::V, 0.1f); break;
            case 3: model.addSource(F::U, F::UPrev); break;
            case 4: model.divergencePass(F::U, F::V, F::VPrev); break;
            case 5: model.subtractGradientU(F::U, F::UPrev); break;
            default: model.clearBuffer(F::UPrev); break;
            }
        }
        glFinish();
    }
}

} // namespace

BENCHMARK(BM_GpuPass)->ArgsProduct({{0, 1, 2, 3, 4, 5, 6}, {64, 200}})->Unit(benchmark::kMillisecond)->UseRealTime();

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
