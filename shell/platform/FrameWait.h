// FrameWait: the frame loop's sleep until the next frame's deadline, during which the window's events are delivered
// as they arrive. Each platform waits with its most precise means (see the platform's FrameWait.cpp).
#pragma once

#include <functional>
#include <utility>

namespace vornix::platform {

class FrameWait {
public:
    FrameWait();
    ~FrameWait();
    FrameWait(const FrameWait&) = delete;
    FrameWait& operator=(const FrameWait&) = delete;

    // Sleeps until `deadline` (seconds on `clock`), delivering window events as they come. Returns at once, touching
    // no events, when the deadline is less than 100 ns away or `quitRequested` already answers true; stops waiting as
    // soon as an event makes it answer true.
    void sleepUntil(double deadline, const std::function<double()>& clock, const std::function<bool()>& quitRequested);

    // Called after each round of delivered events: a key press waits for the text input that comes in the same round.
    void onEventsDelivered(std::function<void()> callback) { afterEvents_ = std::move(callback); }

private:
    void delivered() const
    {
        if (afterEvents_)
            afterEvents_();
    }

    std::function<void()> afterEvents_;
    void* timer_ = nullptr;       // the system's timer object, where the platform uses one
    bool raisedTimerResolution_ = false;
};

} // namespace vornix::platform
