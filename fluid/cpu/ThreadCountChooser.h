// ThreadCountChooser: decides, step by step, whether the CPU solver runs a step on one thread or on all of its
// threads, from the measured wall time of recent steps in each mode.
//
// Every step runs wholly in one mode and is timed as a whole: the first step measures all threads, the second one
// thread, then each step takes the faster mode (all threads must be faster by a margin), and now and then one step
// probes the other mode, so that a change of load (another process taking a core) is noticed.
#pragma once

#include <chrono>
#include <cstdint>

namespace vornix::cpu {

class ThreadCountChooser {
public:
    // Chooses the mode of the step that starts now and starts its clock.
    void beginStep();
    // Stops the clock and counts the step's time for its mode.
    void endStep();
    // Whether the current step (outside a step: the last one) runs on all threads.
    bool threaded() const { return threaded_; }
    // Forgets every measurement (after a change of grid, path or thread count).
    void forget() { *this = ThreadCountChooser{}; }

private:
    bool threadsPreferred() const;

    double mean_[2] = {};            // running mean of a step's wall time in ns, one thread / all; 0: not measured
    std::uint32_t untilProbe_ = 0;   // steps before the other mode is tried again
    std::uint32_t probeGap_ = 0;     // the last such gap; doubles while probes confirm the choice
    bool probing_ = false;           // this step measures the other mode
    bool wasPreferred_ = false;      // whether all threads were preferred when the probe began
    bool threaded_ = true;
    bool timed_ = false;             // whether this step's time counts
    std::chrono::steady_clock::time_point start_;
};

} // namespace vornix::cpu
