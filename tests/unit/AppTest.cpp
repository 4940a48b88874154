// The application base without a window: the dispatch rule for events, the average frame rate, the renderer's
// sample-count levels, and the program's own window settings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/vornixApp.h"
#include "shell/App.h"
#include "shell/Display.h"
#include "shell/RendererGl.h"

namespace {

class RecordingApp : public vornix::App {
public:
    void quit() override {}
    int getWindowWidth() const override { return 0; }
    int getWindowHeight() const override { return 0; }
    bool isFullScreen() const override { return false; }
    void setFullScreen(bool) override {}

    void keyDown(vornix::KeyEvent event) override { log.push_back("hook key " + std::to_string(event.code)); }
    void mouseDrag(vornix::MouseEvent event) override { log.push_back("hook drag " + std::to_string(event.x)); }
    void resize(vornix::ResizeEvent event) override { log.push_back("hook resize " + std::to_string(event.width)); }
    void update() override { ++updates; }

    std::vector<std::string> log;
    int updates = 0;
};

} // namespace

TEST(AppDispatch, CallbacksRunInOrderAndTheFirstConsumerStopsTheRestAndTheHook)
{
    RecordingApp app;
    bool firstConsumes = false;
    const int id0 = app.registerKeyDown([&](vornix::KeyEvent) {
        app.log.push_back("first");
        return firstConsumes;
    });
    const int id1 = app.registerKeyDown([&](vornix::KeyEvent e) {
        app.log.push_back("second");
        return e.code == vornix::KeyCode::Escape;
    });
    EXPECT_EQ(id0, 0);
    EXPECT_EQ(id1, 1);

    vornix::KeyEvent key;
    key.code = vornix::KeyCode::Space;
    app.privateKeyDown(key);
    EXPECT_EQ(app.log, (std::vector<std::string>{"first", "second", "hook key 32"}));

    app.log.clear();
    key.code = vornix::KeyCode::Escape;
    app.privateKeyDown(key);
    EXPECT_EQ(app.log, (std::vector<std::string>{"first", "second"}));

    app.log.clear();
    firstConsumes = true;
    app.privateKeyDown(key);
    EXPECT_EQ(app.log, (std::vector<std::string>{"first"}));

    // Lists are separate per event kind: a drag with no callbacks reaches its hook.
    app.log.clear();
    vornix::MouseEvent drag;
    drag.x = -5;
    app.privateMouseDrag(drag);
    EXPECT_EQ(app.log, (std::vector<std::string>{"hook drag -5"}));

    // The resize step without a renderer still runs callbacks and the hook.
    app.log.clear();
    app.registerResize([&](vornix::ResizeEvent) { return false; });
    app.privateResize(vornix::ResizeEvent{{}, 600, 600});
    EXPECT_EQ(app.log, (std::vector<std::string>{"hook resize 600"}));
}

TEST(AppFrameRate, AverageStaysZeroUntilAnIntervalHasPassedThenResamplesOncePerInterval)
{
    RecordingApp app;
    app.fpsSampleInterval = 0.5;
    // Frames at 25 per second on a made-up clock.
    double now = 0.0;
    auto frame = [&] {
        app.privateUpdate();   // counts the frame and samples at the real clock, which is near 0: no sample yet
        now += 0.04;
        app.sampleFps(now);
    };
    for (int k = 0; k < 12; ++k)
        frame();
    EXPECT_EQ(app.averageFps, 0.0f);   // 0.48 s: not yet more than the interval
    frame();
    EXPECT_NEAR(app.averageFps, 25.0f, 0.01f);
    EXPECT_EQ(app.updates, 13);
    EXPECT_EQ(app.getElapsedFrames(), 13u);

    // Slower frames show up at the next sample, not before.
    for (int k = 0; k < 6; ++k) {
        app.privateUpdate();
        now += 0.1;
        app.sampleFps(now);
        if (k < 4) {
            EXPECT_NEAR(app.averageFps, 25.0f, 0.01f) << k;
        }
    }
    EXPECT_NEAR(app.averageFps, 10.0f, 0.01f);
}

TEST(RendererGl, LevelIsTheLargestWhoseSampleCountWasGranted)
{
    EXPECT_EQ(vornix::RendererGl::levelForSamples(0), 0);
    EXPECT_EQ(vornix::RendererGl::levelForSamples(4), 2);
    EXPECT_EQ(vornix::RendererGl::levelForSamples(5), 2);
    EXPECT_EQ(vornix::RendererGl::levelForSamples(16), 5);
    EXPECT_EQ(vornix::RendererGl::levelForSamples(64), 6);
    EXPECT_EQ(vornix::RendererGl(9).antiAliasingLevel, 6);
}

TEST(DisplayChoice, AWindowBelongsToTheDisplayItOverlapsMostOrElseTheNearest)
{
    using vornix::displayOfWindow;
    // Two 1280 x 1024 displays side by side, the second one 200 pixels lower.
    const std::vector<vornix::Display> displays{{0, 0, 1280, 1024}, {1280, 200, 2560, 1224}};
    EXPECT_EQ(&displayOfWindow(displays, 340, 212, 940, 812), &displays[0]);
    EXPECT_EQ(&displayOfWindow(displays, 1000, 300, 1600, 900), &displays[1]);    // moved: mostly on the second
    EXPECT_EQ(&displayOfWindow(displays, 980, 300, 1580, 900), &displays[0]);     // 300 pixels on each: the first
    EXPECT_EQ(&displayOfWindow(displays, 3000, 1500, 3600, 2100), &displays[1]);  // on none: the nearest
    EXPECT_EQ(&displayOfWindow(displays, -900, 100, -300, 700), &displays[0]);
}

TEST(ProgramSettings, ThirtyFramesPerSecondIn600By600UnderItsTitle)
{
    vornix::vornixApp app;
    vornix::AppBasic::Settings settings;
    settings.title = "vornix";
    app.prepareSettings(&settings);
    EXPECT_EQ(settings.frameRate, 30.0f);
    EXPECT_EQ(settings.windowSize.x, 600);
    EXPECT_EQ(settings.windowSize.y, 600);
    EXPECT_EQ(settings.title, "vornix - Quillon's interactive fluidum");
    EXPECT_FALSE(settings.fullScreen || settings.shouldQuit);
}
