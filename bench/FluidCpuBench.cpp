// FluidModelCPU::step against the literal transcription, side by side, at the grid sizes the panel offers.
// Each step is preceded by the same brush strokes so that the solver works on a live field.
#include <benchmark/benchmark.h>

#include "fluid/FluidModelCPU.h"
#include "tests/support/ReferenceSolver.h"

namespace {

template <class Model> void strokes(Model& m, int n, int frame)
{
    const int c = 1 + (frame * 13) % n;
    m.addDensity(c, n / 2, 0.5f, n * 0.1f);
    m.addVelocity(c, n / 2, 5.0f, -3.0f, n * 0.05f);
}

void BM_EngineStep(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    vornix::FluidModelCPU model(n, 0.00001f, 0.1f, 0.00002f);
    int frame = 0;
    for (auto _ : state) {
        strokes(model, n, frame++);
        model.step();
        benchmark::DoNotOptimize(model.getDensity(n / 2, n / 2));
    }
    state.counters["N"] = n;
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
    state.counters["N"] = n;
}

} // namespace

BENCHMARK(BM_LiteralStep)->Arg(64)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineStep)->Arg(64)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
