// The frame loop's sleep on the platform's own wait (GLFW's timed wait on Linux, a waitable timer with a
// message-aware wait on Windows): it lasts until the deadline, wakes for an event, and stops when an event asks to
// quit. Runs beside the GL tests because the wait needs GLFW set up (the hidden window of GlEnvironment).
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "shell/platform/FrameWait.h"

namespace {

double seconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

TEST(FrameWait, LastsUntilTheDeadlineWakesForAnEventAndStopsWhenAsked)
{
    vornix::platform::FrameWait wait;
    const auto never = [] { return false; };

    // Not before the deadline (1 ms of slack for the timer's and the clock's rounding).
    const double deadline = seconds() + 0.05;
    wait.sleepUntil(deadline, &seconds, never);
    EXPECT_GE(seconds(), deadline - 0.001);

    // A deadline in the past, or a quit already asked for: no wait at all (a wait here would last an hour).
    wait.sleepUntil(seconds() - 1.0, &seconds, never);
    wait.sleepUntil(seconds() + 3600.0, &seconds, [] { return true; });

    // An hour away: only an event can end this wait, and the check after it stops the sleep. The events come from
    // another thread until the sleep has ended; the time limit is a hang detector (a wait deaf to events).
    std::atomic<bool> woke{false};
    int asked = 0;
    std::thread poster([&woke] {
        while (!woke.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            glfwPostEmptyEvent();
        }
    });
    std::thread watchdog([&woke] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(2);
        while (!woke.load()) {
            if (std::chrono::steady_clock::now() > until) {
                std::fprintf(stderr, "FrameWait: an event did not end the wait\n");
                std::fflush(stderr);
                std::_Exit(1);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    wait.sleepUntil(seconds() + 3600.0, &seconds, [&asked] { return ++asked > 1; });
    woke = true;
    poster.join();
    watchdog.join();
    EXPECT_EQ(asked, 2);   // once before the wait, once after the event
}

} // namespace
