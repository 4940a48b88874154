// The running program's frame rate: the real vornixApp in a real window (run it under a display, e.g. xvfb-run),
// with each preset on both engines at the preset's grid size and at N = 400 and 1000. Each case runs the paced
// 30 fps loop for a few seconds after a warm-up and reports averageFps (update + draw + swap) as the counter "fps".
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/FrameRateBench --benchmark_filter=Fancy
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/TimedProgram.h"

namespace {

struct Case {
    int preset;
    int engine;
    int quality;   // 0: the preset's own
};

class MeasuredApp : public vornix::bench::TimedApp {
public:
    explicit MeasuredApp(Case c) : TimedApp(4.0), case_(c) {}

    void setup() override
    {
        vornixApp::setup();
        presetIndex.value = case_.preset;
        applyPanelChanges();
        engine.value = case_.engine;
        applyPanelChanges();
        if (case_.quality > 0) {
            quality.value = case_.quality;
            applyPanelChanges();
        }
        scene->current.showHelp = false;
        // Some dye and motion, so that both engines colour and light a real picture.
        for (int k = 0; k < 5; ++k) {
            const int n = static_cast<int>(scene->model->N);
            scene->model->addDensity(n / 2 + k, n / 2, 0.5f, scene->current.brushSizeDensity);
            scene->model->addVelocity(n / 2, n / 2 + k, 20.0f, -10.0f, scene->current.brushSizeVelocity);
        }
        startTiming();
    }
    void update() override
    {
        vornixApp::update();
        timeUp();
    }

private:
    Case case_;
};

void runCase(benchmark::State& state, Case c)
{
    vornix::bench::runTimed<MeasuredApp>(
        state, [c] { return std::make_unique<MeasuredApp>(c); },
        [&state, c](const MeasuredApp&) {
            state.counters["N"] = static_cast<double>(c.quality > 0 ? c.quality : (c.preset == 4 ? 15 : 200));
        });
}

const char* const presetNames[] = {"Fancy", "Pudding", "Smoke", "VJ", "RetroPlasma", "Sensitive"};

[[maybe_unused]] const bool registered = [] {
    for (int preset = 0; preset < 6; ++preset)
        for (int engine : {0, 1})
            for (int quality : {0, 400, 1000}) {
                const std::string name = std::string(presetNames[preset]) + (engine ? "/GPU" : "/CPU") +
                                         (quality ? "/N" + std::to_string(quality) : "/preset");
                benchmark::RegisterBenchmark(name.c_str(), runCase, Case{preset, engine, quality})
                    ->Iterations(1)
                    ->Unit(benchmark::kSecond);
            }
    return true;
}();

} // namespace

BENCHMARK_MAIN();
