// Windows: GLFW's timed wait counts whole milliseconds on the system tick (15.6 ms unless a program raises the timer
// resolution), which turns a 33.3 ms frame period into waits of 31 or 47 ms. The frame loop waits instead on a
// waitable timer with a due time in 100 ns units: a high-resolution timer where the system has one (Windows 10 1803
// and later), else an ordinary one with the system timer raised to 1 ms for as long as the loop runs. The wait also
// ends for any input, which is delivered before waiting again.
#include "shell/platform/FrameWait.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <mmsystem.h>

#include <GLFW/glfw3.h>

#include "shell/Console.h"
#include "shell/FrameSchedule.h"

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace vornix::platform {

FrameWait::FrameWait()
{
    timer_ = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    if (!timer_) {
        raisedTimerResolution_ = timeBeginPeriod(1) == TIMERR_NOERROR;
        timer_ = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    }
    if (!timer_)
        console() << "No waitable timer (error " << GetLastError() << "): frames are paced by GLFW's wait"
                  << std::endl;
}

FrameWait::~FrameWait()
{
    if (timer_)
        CloseHandle(timer_);
    if (raisedTimerResolution_)
        timeEndPeriod(1);
}

void FrameWait::sleepUntil(double deadline, const std::function<double()>& clock,
                           const std::function<bool()>& quitRequested)
{
    if (!timer_) {
        const auto waitEvents = [this](double timeout) {
            glfwWaitEventsTimeout(timeout);
            delivered();
        };
        FrameSchedule::sleepUntil(deadline, clock, waitEvents, quitRequested);
        return;
    }
    LARGE_INTEGER due;
    due.QuadPart = FrameSchedule::dueTime100ns(deadline - clock());
    if (due.QuadPart >= 0 || quitRequested())
        return;
    // A timer that cannot be set leaves this frame unpaced.
    if (!SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE))
        return;
    HANDLE timer = timer_;
    for (;;) {
        // MWMO_INPUTAVAILABLE: messages already queued but not yet looked at also end the wait.
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + 1)
            return;   // the timer fired (or the wait failed)
        glfwPollEvents();
        delivered();
        if (quitRequested()) {
            CancelWaitableTimer(timer_);
            return;
        }
    }
}

} // namespace vornix::platform
