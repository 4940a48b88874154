// The frame loop's pacing: deadlines, the one-second catch-up rule, and the sleep that wakes for input.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shell/FrameSchedule.h"

using vornix::FrameSchedule;

namespace {

constexpr double period = 1.0 / 30.0;

// Runs `frames` frames that each take `work` seconds on a simulated clock, sleeping to each deadline when early.
// Returns the sleep of every frame and how far the loop is behind (now - deadline) after each late frame.
struct PacedRun {
    std::vector<double> sleeps, behind;
};
PacedRun simulate(double work, int frames)
{
    FrameSchedule schedule;
    double now = 0.0;
    schedule.start(now);
    PacedRun run;
    for (int k = 0; k < frames; ++k) {
        now += work;
        const double next = schedule.advance(now, period);
        if (next > now) {
            run.sleeps.push_back(next - now);
            now = next;
        } else {
            run.sleeps.push_back(0.0);
            run.behind.push_back(now - next);
        }
    }
    return run;
}

} // namespace

TEST(FrameSchedule, ShortFramesSleepTheRestOfThePeriod)
{
    const PacedRun run = simulate(0.010, 60);
    for (double sleep : run.sleeps)
        EXPECT_NEAR(sleep, period - 0.010, 1e-9);   // about 23 ms
    EXPECT_TRUE(run.behind.empty());
}

TEST(FrameSchedule, LongFramesFallBehindThenDropWholePeriodsPastOneSecond)
{
    FrameSchedule schedule;
    double now = 0.0;
    schedule.start(now);
    double lag = 0.0;   // how far the last frame ended behind its deadline
    int jumps = 0, lateFrames = 0;
    for (int k = 0; k < 200; ++k) {
        now += 0.050;
        const double before = schedule.next();
        const double next = schedule.advance(now, period);
        const double step = next - before;
        if (now - before > 1.0) {
            // More than a second behind: the deadline moved by whole periods, to within one period ahead of now.
            ++jumps;
            EXPECT_NEAR(step / period, std::round(step / period), 1e-6);
            EXPECT_GT(next, now);
            EXPECT_LE(next - now, period);
            now = next;   // the loop sleeps the remainder
            lag = 0.0;
            continue;
        }
        EXPECT_NEAR(step, period, 1e-12) << "frame " << k;
        if (next > now) {   // only right after a jump can a 50 ms frame be early
            EXPECT_GT(jumps, 0);
            now = next;
            continue;
        }
        ++lateFrames;
        const double newLag = now - next;
        if (lag > 0.0) {
            EXPECT_NEAR(newLag - lag, 0.050 - period, 1e-9) << "frame " << k;   // 16.7 ms further behind
        }
        lag = newLag;
        EXPECT_LE(lag, 1.0 + 0.050);
    }
    EXPECT_GE(jumps, 2);
    EXPECT_GT(lateFrames, 150);
}

TEST(FrameSchedule, DueTimeIsNegativeHundredNanosecondUnitsTruncated)
{
    EXPECT_EQ(FrameSchedule::dueTime100ns(0.0231), -231000);
    EXPECT_EQ(FrameSchedule::dueTime100ns(99e-9), 0);
    EXPECT_EQ(FrameSchedule::dueTime100ns(-0.5), 5000000);
}

TEST(FrameSchedule, SleepWaitsWithTimeoutsUntilTheDeadlineAndStopsOnQuit)
{
    double now = 10.0;
    std::vector<double> timeouts;
    bool quit = false;
    const auto clock = [&] { return now; };
    const auto quitRequested = [&] { return quit; };

    // A deadline under 100 ns away: no wait, no events.
    FrameSchedule::sleepUntil(now + 50e-9, clock, [&](double t) { timeouts.push_back(t); }, quitRequested);
    EXPECT_TRUE(timeouts.empty());

    // Input wakes the wait twice before the deadline; each time the wait resumes with what is left.
    int wakes = 0;
    FrameSchedule::sleepUntil(
        now + 0.030, clock,
        [&](double t) {
            timeouts.push_back(t);
            now += (++wakes <= 2) ? 0.005 : t;
        },
        quitRequested);
    ASSERT_EQ(timeouts.size(), 3u);
    EXPECT_NEAR(timeouts[0], 0.030, 1e-12);
    EXPECT_NEAR(timeouts[1], 0.025, 1e-12);
    EXPECT_NEAR(timeouts[2], 0.020, 1e-12);
    EXPECT_NEAR(now, 10.030, 1e-12);

    // A quit request delivered by an event ends the sleep early; one already set prevents it.
    timeouts.clear();
    FrameSchedule::sleepUntil(
        now + 0.030, clock,
        [&](double t) {
            timeouts.push_back(t);
            now += 0.001;
            quit = true;
        },
        quitRequested);
    EXPECT_EQ(timeouts.size(), 1u);
    FrameSchedule::sleepUntil(now + 0.030, clock, [&](double t) { timeouts.push_back(t); }, quitRequested);
    EXPECT_EQ(timeouts.size(), 1u);
}
