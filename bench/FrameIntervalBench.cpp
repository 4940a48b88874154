// The pace of the running program: the real vornixApp in a real window for 20 s, recording the time between the
// starts of successive frames. The loop aims at 33.3 ms (30 fps); the counters give the median and the 5th and 95th
// percentiles of the intervals in milliseconds, so a coarse wait (one that rounds to the system tick) shows as a
// spread around 33.3 ms. Cases: "Fancy" on the CPU engine (a real frame of work, well under the period here; the
// GPU engine on llvmpipe cannot hold 30 fps) and paused on the help picture (almost no work: the wait alone).
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/FrameIntervalBench
//   wine build-windows/bench/FrameIntervalBench.exe        (on a display, under Wine)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "app/vornixApp.h"
#include "shell/RendererGl.h"

namespace {

constexpr double MeasuredSeconds = 20.0;
constexpr double WarmUpSeconds = 2.0;

class PacedApp : public vornix::vornixApp {
public:
    explicit PacedApp(bool paused) : paused_(paused) {}

    void setup() override
    {
        vornixApp::setup();
        if (paused_) {
            scene->current.paused = true;
            return;
        }
        engine.value = 0;   // CPU
        applyPanelChanges();
        scene->current.showHelp = false;
        const int n = static_cast<int>(scene->model->N);
        scene->model->addDensity(n / 2, n / 2, 0.5f, scene->current.brushSizeDensity);
        scene->model->addVelocity(n / 2, n / 2, 20.0f, -10.0f, scene->current.brushSizeVelocity);
    }
    void update() override
    {
        const double now = getElapsedSeconds();
        if (started_ < 0.0 && now > WarmUpSeconds)
            started_ = now;
        if (started_ >= 0.0) {
            if (last_ >= 0.0)
                intervals.push_back((now - last_) * 1000.0);
            if (now - started_ > MeasuredSeconds)
                quit();
        }
        last_ = now;
        vornixApp::update();
    }
    std::vector<double> intervals;

private:
    bool paused_;
    double started_ = -1.0;
    double last_ = -1.0;
};

double percentile(std::vector<double> sorted, double p)
{
    std::sort(sorted.begin(), sorted.end());
    const auto k = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
    return sorted[k];
}

void runPaced(benchmark::State& state, bool paused)
{
    for (auto _ : state) {
        auto app = std::make_unique<PacedApp>(paused);
        if (app->run("vornixApp", std::make_shared<vornix::RendererGl>(5), {}) != 0 || app->intervals.size() < 2) {
            state.SkipWithError("the program could not start (no display?)");
            return;
        }
        const std::vector<double>& t = app->intervals;
        state.counters["median_ms"] = percentile(t, 0.5);
        state.counters["p5_ms"] = percentile(t, 0.05);
        state.counters["p95_ms"] = percentile(t, 0.95);
        state.counters["frames"] = static_cast<double>(t.size());
    }
}

BENCHMARK_CAPTURE(runPaced, FancyOnCpu, false)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(runPaced, Paused, true)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
