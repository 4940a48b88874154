// FluidModelCPU::step against the literal transcription, side by side, at the grid sizes the panel offers.
// Each step is preceded by the same brush strokes so that the solver works on a live field.
// Engine runs: /N/threads/path, path 0 = scalar, 1 = sse2, 2 = avx2, 3 = avx512 (paths the processor lacks are
// skipped). BM_EngineStepLoaded: the widest path, /N/threads/adaptive/busy, with one more thread spinning for the
// whole run (busy = 1), as another busy process on the machine would; adaptive = 0 forces the threaded pipeline.
// BM_SweepPass: one sweep pass alone on the widest path, /N/lanes/kind, at its best of five (min aggregate).
#include <benchmark/benchmark.h>
#include <x86intrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "fluid/FluidModelCPU.h"
#include "fluid/cpu/FieldArray.h"
#include "fluid/cpu/KernelSet.h"
#include "tests/support/ReferenceSolver.h"

namespace {

template <class Model> void strokes(Model& m, int n, int frame)
{
    const int c = 1 + (frame * 13) % n;
    m.addDensity(c, n / 2, 0.5f, n * 0.1f);
    m.addVelocity(c, n / 2, 5.0f, -3.0f, n * 0.05f);
}

// Steps before the timing starts, so that the adaptive thread count has measured both counts and settled, as it has
// in a running program after its first second.
int warmUp(vornix::FluidModelCPU& model, int n)
{
    constexpr int Steps = 24;
    for (int frame = 0; frame < Steps; ++frame) {
        strokes(model, n, frame);
        model.step();
    }
    return Steps;
}

void BM_EngineStep(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const auto path = static_cast<vornix::cpu::SimdPath>(state.range(2));
    if (!vornix::cpu::simdPathSupported(path)) {
        state.SkipWithError("path not supported here");
        return;
    }
    vornix::FluidModelCPU model(n, 0.00001f, 0.1f, 0.00002f);
    model.setSimdPath(path);
    model.setThreadCount(static_cast<unsigned>(state.range(1)));
    int frame = warmUp(model, n);
    for (auto _ : state) {
        strokes(model, n, frame++);
        model.step();
        benchmark::DoNotOptimize(model.getDensity(n / 2, n / 2));
    }
    state.SetLabel(std::string(vornix::cpu::simdPathName(path)) + ", " + std::to_string(state.range(1)) + " thr");
}

void BM_EngineStepLoaded(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    vornix::FluidModelCPU model(n, 0.00001f, 0.1f, 0.00002f);
    model.setThreadCount(static_cast<unsigned>(state.range(1)));
    // Third argument 0: the thread count is used for every solve (no adaptive fallback), to time the threaded
    // pipeline itself; with no busy thread when the fourth argument is 0.
    const bool adaptive = state.range(2) != 0;
    const bool busy = state.range(3) != 0;
    model.setAdaptiveThreads(adaptive);
    std::atomic<bool> stop{!busy};
    std::thread spinner([&stop] {
        while (!stop.load(std::memory_order_relaxed)) {
        }
    });
    int frame = warmUp(model, n);
    for (auto _ : state) {
        strokes(model, n, frame++);
        model.step();
        benchmark::DoNotOptimize(model.getDensity(n / 2, n / 2));
    }
    stop.store(true);
    spinner.join();
    state.SetLabel(std::to_string(state.range(1)) + " thr" + (adaptive ? "" : " fixed") + (busy ? " + 1 busy thread" : ""));
}

void BM_LiteralStep(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    vornix::reference::ReferenceFluid model(n, 0.00001f, 0.1f, 0.00002f);
    int frame = 0;
    for (auto _ : state) {
        strokes(model, n, frame++);
        model.step();
        benchmark::DoNotOptimize(model.dens[n]);
    }
}

// kind 0: the diffusions' divisor as the program divides by it (through the reciprocal where the pass's width and
// the processor use it), kind 1: the pressure's (sum + x0) / 4, kind 2: kind 0 through the reciprocal wherever the
// pass's width has it, for comparison. tsc_per_stage_column: time-stamp counter ticks per stage and column, i.e. per vector step of
// `lanes` cells (KernelSet.h; per cell and sweep divide by the lanes), of the fastest pass of the run: the figure
// least moved by other processes on the machine.
void BM_SweepPass(benchmark::State& state)
{
    const auto n = static_cast<std::uint32_t>(state.range(0));
    const int lanes = static_cast<int>(state.range(1));
    const bool pressure = state.range(2) == 1;
    const bool reciprocal = state.range(2) == 2 || vornix::cpu::reciprocalDivisionPays();
    const auto& kernels = vornix::cpu::kernelSet(vornix::cpu::bestSimdPath());
    if (lanes > kernels.lanes) {
        state.SkipWithError("wider than this processor's widest path");
        return;
    }
    const auto g = vornix::cpu::makeGrid(n);
    std::vector<float> x(g.cells), x0(g.cells), zeros(g.size, 0.0f);
    for (std::uint32_t k = 0; k < g.cells; ++k) {
        x[k] = std::sin(0.01f * static_cast<float>(k));
        x0[k] = std::cos(0.013f * static_cast<float>(k));
    }
    vornix::FieldArray ring(vornix::cpu::passRingFloats(n, lanes));
    const float nf = static_cast<float>(n), a = pressure ? 1.0f : 0.1f * 0.00002f * nf * nf, c = pressure ? 4.0f : 1 + 4 * a;
    const vornix::cpu::SweepPass pass{.x = x.data(), .x0 = x0.data(), .n = n, .size = g.size,
                                      .b = vornix::Boundary::Scalar, .a = a, .c = c, .lanes = lanes,
                                      .ring = ring.data(), .zeros = zeros.data(),
                                      .reciprocal = !pressure && reciprocal && kernels.reciprocalIsExact(c)};
    const std::uint32_t stages = vornix::cpu::passStages(n, lanes);
    unsigned long long fastest = ~0ull;
    for (auto _ : state) {
        const unsigned long long start = __rdtsc();
        kernels.sweepPass(pass, 0, stages);
        fastest = std::min(fastest, __rdtsc() - start);
    }
    state.counters["tsc_per_stage_column"] = static_cast<double>(fastest) / (static_cast<double>(stages) * n);
    state.SetLabel(std::string(vornix::cpu::simdPathName(vornix::cpu::bestSimdPath())) +
                   (pressure ? ", pressure" : pass.reciprocal ? ", dividing (reciprocal)" : ", dividing"));
}

void engineArgs(benchmark::internal::Benchmark* b)
{
    for (int n : {64, 200, 500, 1000})
        for (int threads : {1, 2})
            b->Args({n, threads, static_cast<int>(vornix::cpu::bestSimdPath())});
    // The narrower paths, one thread, for comparison.
    for (int n : {200, 1000})
        for (int path : {0, 1, 2})
            b->Args({n, 1, path});
}

} // namespace

BENCHMARK(BM_LiteralStep)->Arg(64)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineStep)->Apply(engineArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineStepLoaded)
    ->ArgsProduct({{200, 1000}, {1, 2}, {1}, {1}})
    ->Args({200, 2, 0, 1})
    ->Args({1000, 2, 0, 1})
    ->Args({200, 2, 0, 0})
    ->Args({1000, 2, 0, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SweepPass)
    ->ArgsProduct({{200, 1000}, {16, 4}, {0, 1, 2}})
    ->Repetitions(5)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
