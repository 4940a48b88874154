#include "shell/FrameSchedule.h"

#include <cmath>

namespace vornix {

double FrameSchedule::advance(double now, double period)
{
    if (now - next_ > 1.0)
        next_ += std::trunc((now - next_) / period) * period;
    next_ += period;
    return next_;
}

std::int64_t FrameSchedule::dueTime100ns(double seconds)
{
    return static_cast<std::int64_t>(std::trunc(seconds * -10000000.0));
}

void FrameSchedule::sleepUntil(double deadline, const std::function<double()>& clock,
                               const std::function<void(double)>& waitEvents,
                               const std::function<bool()>& quitRequested)
{
    if (dueTime100ns(deadline - clock()) >= 0 || quitRequested())
        return;
    // Each wait ends on input or at the deadline; events that woke it have been delivered by then.
    for (;;) {
        const double remaining = deadline - clock();
        if (remaining <= 0.0)
            return;
        waitEvents(remaining);
        if (quitRequested())
            return;
    }
}

} // namespace vornix
