// GLFW's timed wait sleeps on the X connection with a sub-millisecond time-out and returns as soon as an event
// arrives, so the deadline is met to within the scheduler's wake-up latency.
#include "shell/platform/FrameWait.h"

#include <GLFW/glfw3.h>

#include "shell/FrameSchedule.h"

namespace vornix::platform {

FrameWait::FrameWait() = default;
FrameWait::~FrameWait() = default;

void FrameWait::sleepUntil(double deadline, const std::function<double()>& clock,
                           const std::function<bool()>& quitRequested)
{
    const auto waitEvents = [this](double timeout) {
        glfwWaitEventsTimeout(timeout);
        delivered();
    };
    FrameSchedule::sleepUntil(deadline, clock, waitEvents, quitRequested);
}

} // namespace vornix::platform
