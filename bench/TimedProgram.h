// The running program measured as it runs: a vornixApp that quits a given number of seconds after setup, keeping
// the average frame rate it reached, and the benchmark loop that runs one such program per iteration in a real
// window (run the benchmark under a display, e.g. xvfb-run).
#pragma once

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "app/vornixApp.h"
#include "shell/RendererGl.h"

namespace vornix::bench {

class TimedApp : public vornixApp {
public:
    explicit TimedApp(double seconds) : seconds_(seconds) {}

    float fps = 0.0f;   // averageFps when the time was up

protected:
    // The measured time starts here (at the end of setup).
    void startTiming() { start_ = getElapsedSeconds(); }
    // Once the time is up: keeps the frame rate, quits, and answers true (in that one frame).
    bool timeUp()
    {
        if (getElapsedSeconds() - start_ <= seconds_)
            return false;
        fps = averageFps;
        quit();
        return true;
    }

private:
    double seconds_;
    double start_ = 0.0;
};

// Runs the program `make` gives once per iteration, then lets `report` set the iteration's counters from it.
template <typename App>
void runTimed(benchmark::State& state, const std::function<std::unique_ptr<App>()>& make,
              const std::function<void(const App&)>& report)
{
    for (auto _ : state) {
        std::unique_ptr<App> app = make();
        if (app->run("vornixApp", std::make_shared<RendererGl>(5), {}) != 0)
            state.SkipWithError("the program could not start (no display?)");
        state.counters["fps"] = app->fps;
        report(*app);
    }
}

} // namespace vornix::bench
