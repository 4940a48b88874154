// The running program's pace: vornix in the shell's real window and frame loop for a few seconds. The loop sleeps to
// each 1/30-second deadline, so the measured rate may fall below 30 on a busy machine but must never rise above it:
// a loop that fell behind may catch up (up to a second's frames), so the frames it ran since its first are never
// more than the deadlines that passed.
// The frames are made cheap, so that a faster pace would show: a 15 x 15 grid on the CPU engine, and no multisampling
// (Mesa's software rasteriser spends most of a frame period resolving 16 samples on a loaded machine).
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "app/vornixApp.h"
#include "shell/RendererGl.h"

void makeTestContextCurrent();

namespace {

class PacedProgram : public vornix::vornixApp {
public:
    void setup() override
    {
        vornixApp::setup();
        presetIndex.value = 4;   // "Retro Plasma"
        applyPanelChanges();
        engine.value = vornix::EngineCPU;   // applied in the first frame
    }
    // Frames are counted for three seconds, from one second after the first frame (which makes the CPU model; the
    // loop may then run a few frames at once to catch up); `all` counts every frame since the first.
    void update() override
    {
        vornixApp::update();
        const double now = getElapsedSeconds();
        if (start < 0)
            start = now;
        ++all;
        if (now - start < 1.0)
            return;
        if (frames++ == 0)
            first = now;
        last = now;
        if (last - first >= 3.0)
            quit();
    }
    double start = -1;
    int frames = 0, all = 0;
    double first = 0, last = 0;
};

TEST(ProgramPace, ThirtyFramesPerSecondAndNeverMore)
{
    PacedProgram program;
    const int status = program.run("vornixApp", std::make_shared<vornix::RendererGl>(0), {});
    makeTestContextCurrent();
    ASSERT_EQ(status, 0);
    ASSERT_GT(program.frames, 1);
    const double rate = (program.frames - 1) / (program.last - program.first);
    std::printf("vornix ran %d frames in %.2f s: %.1f frames per second\n", program.frames - 1,
                program.last - program.first, rate);
    // Never ahead of the schedule (one frame per 1/30 s since the first, two frames of slack for where the clock and
    // the schedule start); half the pace for a machine whose cores other processes keep busy.
    EXPECT_LE(program.all, 3 + static_cast<int>((program.last - program.start) * 30.0));
    EXPECT_GE(rate, 15.0);
}

} // namespace
