// FrameSchedule: the arithmetic of the paced frame loop, separated from the clock and the window system so that the
// loop's timing rules can be checked with made-up times.
#pragma once

#include <cstdint>
#include <functional>

namespace vornix {

class FrameSchedule {
public:
    // Starts the schedule: the first deadline is `now`.
    void start(double now) { next_ = now; }

    // After a frame that ended at `now`: moves the deadline on by one period. A loop more than one second behind
    // first drops whole periods, so it never tries to catch up with a burst of frames. Returns the new deadline.
    double advance(double now, double period);

    double next() const { return next_; }

    // A sleep's due time in 100 ns units, negative meaning "from now" (as the timer takes it): trunc(-seconds * 1e7).
    // Zero or positive means the deadline is less than 100 ns away (or past), and the sleep returns at once.
    static std::int64_t dueTime100ns(double seconds);

    // Sleeps until `deadline` on `clock`, waking for input: `waitEvents(timeout)` waits at most `timeout` seconds and
    // delivers whatever events arrive. Returns at once, touching no events, when the deadline is under 100 ns away or
    // `quitRequested` already answers true; stops waiting as soon as it does.
    static void sleepUntil(double deadline, const std::function<double()>& clock,
                           const std::function<void(double)>& waitEvents, const std::function<bool()>& quitRequested);

private:
    double next_ = 0.0;
};

} // namespace vornix
