// What the sound analysis costs: one second of a 120 bpm kick train per iteration, at the rates and channel counts
// devices deliver, fed in 10 ms blocks as a capture thread gets them. The time per iteration is the cost per second
// of audio (divide by 1 s for the share of one core).
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "shell/audio/AudioAnalysis.h"

namespace {

void analysis(benchmark::State& state)
{
    const int rate = static_cast<int>(state.range(0)), channels = static_cast<int>(state.range(1));
    std::vector<float> second(static_cast<std::size_t>(rate * channels));
    for (int k = 0; k < rate; ++k) {
        const double t = static_cast<double>(k) / rate, p = std::fmod(t, 0.5);
        const float v = p < 0.08 ? static_cast<float>(0.9 * std::sin(2 * std::numbers::pi * 60 * p)) : 0.0f;
        for (int c = 0; c < channels; ++c)
            second[static_cast<std::size_t>(k * channels + c)] = v;
    }
    vornix::AudioAnalysis a(rate, channels);
    const std::size_t block = static_cast<std::size_t>(rate / 100);
    for (auto _ : state) {
        for (std::size_t f = 0; f + block <= static_cast<std::size_t>(rate); f += block)
            a.feed(second.data() + f * static_cast<std::size_t>(channels), block);
        benchmark::DoNotOptimize(a.takeOnsets());
    }
    state.counters["frame"] = a.frameSize();
    state.SetLabel("per second of audio");
}

} // namespace

BENCHMARK(analysis)->Args({48000, 2})->Args({44100, 2})->Args({8000, 1})->Args({192000, 8})->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
