// Timer: the application clock, on the monotonic steady clock. Started when the application object is made.
#pragma once

#include <chrono>

namespace vornix {

class Timer {
public:
    // A timer starts at once unless asked not to.
    explicit Timer(bool startNow = true)
    {
        if (startNow)
            start();
    }

    void start()
    {
        startTime_ = now();
        stopped_ = false;
    }
    void stop()
    {
        if (!stopped_) {
            stopTime_ = now();
            stopped_ = true;
        }
    }
    bool isStopped() const { return stopped_; }

    // Seconds since start while running; start to stop once stopped.
    double getSeconds() const { return stopped_ ? stopTime_ - startTime_ : now() - startTime_; }

    // The clock's reading in seconds.
    static double now()
    {
        using namespace std::chrono;
        return duration<double>(steady_clock::now().time_since_epoch()).count();
    }

private:
    bool stopped_ = true;
    double startTime_ = -1.0;
    double stopTime_ = -1.0;
};

} // namespace vornix
