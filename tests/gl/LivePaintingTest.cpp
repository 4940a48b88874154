// The autopilot and the music inside the application, on the CPU engine: started from the command line without the
// help picture, the same seed paints the same fluid bit for bit, the autopilot gives way to the hand and comes back
// after the idle time; with a stand-in capture, a device that delivers nothing is reported, silence paints nothing
// and a kick drops dye at the bass emitter.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>
#include <vector>

#include "app/vornixApp.h"
#include "fluid/FluidModelCPU.h"

using namespace vornix;

namespace {

// Records nothing itself: the test plays the capture thread and feeds the listener.
class StandInCapture : public AudioCapture {
public:
    explicit StandInCapture(AudioCaptureListener& l) : listener(l) {}
    void select(bool listening, const std::string&) override
    {
        if (listening)
            listener.captureFormat("stand-in", 48000, 2);
        listener.captureState(listening ? "listening to 'stand-in'" : "off", listening);
    }
    AudioCaptureListener& listener;
};

class LiveApp : public vornixApp {
public:
    explicit LiveApp(std::vector<std::string> args)
    {
        args.insert(args.begin(), "vornix");
        setArgs(std::move(args));
        live.useCapture([this](AudioCaptureListener& l) {
            auto c = std::make_unique<StandInCapture>(l);
            capture = c.get();
            return c;
        });
    }
    int getWindowWidth() const override { return 600; }
    int getWindowHeight() const override { return 600; }
    StandInCapture* capture = nullptr;

protected:
    void showFailure(const std::string&) override {}
};

void useCpu(LiveApp& app)
{
    app.engine.value = 0;
    app.applyPanelChanges();
    ASSERT_NE(dynamic_cast<FluidModelCPU*>(app.scene->model.get()), nullptr);
}

std::vector<float> density(LiveApp& app)
{
    const auto& m = dynamic_cast<FluidModelCPU&>(*app.scene->model);
    return std::vector<float>(m.densityField(), m.densityField() + m.cellCount());
}

double densityAround(LiveApp& app, float x, float y)
{
    const auto& m = dynamic_cast<FluidModelCPU&>(*app.scene->model);
    const int n = static_cast<int>(m.N);
    const int ci = static_cast<int>(x * n) + 1, cj = static_cast<int>(y * n) + 1;
    double sum = 0;
    for (int j = cj - 5; j <= cj + 5; ++j)
        for (int i = ci - 5; i <= ci + 5; ++i)
            sum += m.getDensity(i, j);
    return sum;
}

// Frames of silence or of a 120 bpm kick, in 10 ms blocks as a capture delivers them, one update per 1/30 s.
void play(LiveApp& app, double seconds, bool kick)
{
    const int rate = 48000, block = 480;
    std::vector<float> samples(static_cast<std::size_t>(block) * 2);
    long long k0 = 0;
    for (double t = 0; t < seconds; t += 1.0 / 30) {
        for (int b = 0; b < rate / 30 / block + 1; ++b) {
            for (int k = 0; k < block; ++k, ++k0) {
                const double s = static_cast<double>(k0) / rate, p = std::fmod(s, 0.5);
                const float v = kick && p < 0.08 ? static_cast<float>(0.9 * std::sin(2 * std::numbers::pi * 60 * p))
                                                 : 0.0f;
                samples[static_cast<std::size_t>(2 * k)] = samples[static_cast<std::size_t>(2 * k + 1)] = v;
            }
            static_cast<AudioCaptureListener&>(app.capture->listener).captureSamples(samples.data(), block);
        }
        app.update();
    }
}

} // namespace

TEST(LivePainting, StartedWithASeedTheAutopilotPaintsTheSameFluidTwiceWithoutTheHelpPicture)
{
    std::vector<std::vector<float>> runs;
    for (int run = 0; run < 2; ++run) {
        LiveApp app({"--autopilot", "--seed", "9"});
        app.setup();
        EXPECT_FALSE(app.scene->current.showHelp);
        useCpu(app);
        for (int f = 0; f < 45; ++f)
            app.update();
        runs.push_back(density(app));
        app.shutdown();
    }
    ASSERT_EQ(runs[0].size(), runs[1].size());
    EXPECT_EQ(std::memcmp(runs[0].data(), runs[1].data(), runs[0].size() * sizeof(float)), 0);
    double total = 0;
    for (float d : runs[0])
        total += d;
    EXPECT_GT(total, 100.0);
}

TEST(LivePainting, TheAutopilotGivesWayToTheHandAndComesBackAfterTheIdleTime)
{
    LiveApp app({"--autopilot"});
    app.setup();
    useCpu(app);
    app.live.idleSeconds = 3.0f;
    app.update();
    const auto before = app.live.autopilot.steps();
    EXPECT_GT(before, 0u);

    MouseEvent press;
    press.x = press.y = 300;
    press.modifiers = 2;   // right button: dye
    app.mouseDown(press);
    const auto start = std::chrono::steady_clock::now();
    for (int f = 0; f < 5; ++f)
        app.update();
    if (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(2500)) {
        EXPECT_EQ(app.live.autopilot.steps(), before) << "the autopilot painted on while the hand painted";
    }

    while (app.live.autopilot.steps() == before && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        app.update();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_GT(app.live.autopilot.steps(), before) << "the autopilot did not come back";
    app.shutdown();
}

TEST(LivePainting, NoDataIsReportedSilencePaintsNothingAndAKickDropsDyeAtTheBassEmitter)
{
    LiveApp app({"--audio"});
    app.setup();
    useCpu(app);
    app.update();
    ASSERT_NE(app.capture, nullptr);
    EXPECT_EQ(app.live.audioState(), "listening to 'stand-in'");

    // A device that delivers nothing: the state says so, and says no more once sound arrives.
    const auto start = std::chrono::steady_clock::now();
    while (app.live.audioState().find("no sound arrives") == std::string::npos &&
           std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        app.update();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_NE(app.live.audioState().find("no sound arrives"), std::string::npos) << app.live.audioState();

    play(app, 2.0, false);
    EXPECT_EQ(app.live.audioState(), "listening to 'stand-in'");
    for (float d : density(app))
        ASSERT_EQ(d, 0.0f) << "silence painted";

    play(app, 1.0, true);
    const EmitterPlace bass = fixedMusicEmitters()[0];
    EXPECT_GT(densityAround(app, bass.x, bass.y), 1.0);
    app.shutdown();
}
