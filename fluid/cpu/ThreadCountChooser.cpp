#include "fluid/cpu/ThreadCountChooser.h"

#include <algorithm>

namespace vornix::cpu {

namespace {

// The gap between probes starts at FirstProbeGap steps and doubles up to LastProbeGap while the probes confirm the
// choice, so that a probe that costs a scheduler slice on a loaded machine is rare. All threads must beat one thread
// by ThreadsMargin to be chosen: the noise of a loaded machine must not tip the choice toward the mode that suffers
// most from it. Running means weigh the newest step by NewWeight, a probe by ProbeWeight.
constexpr std::uint32_t FirstProbeGap = 16;
constexpr std::uint32_t LastProbeGap = 128;
constexpr double ThreadsMargin = 0.97;
constexpr double NewWeight = 0.25;
constexpr double ProbeWeight = 0.5;

} // namespace

bool ThreadCountChooser::threadsPreferred() const
{
    return mean_[0] != 0 && mean_[1] != 0 && mean_[1] < ThreadsMargin * mean_[0];
}

void ThreadCountChooser::beginStep()
{
    // Measure each mode once, then keep to the faster one between probes of the other.
    probing_ = mean_[1] == 0 || mean_[0] == 0 || untilProbe_ == 0;
    if (probing_) {
        threaded_ = mean_[1] == 0 ? true : mean_[0] == 0 ? false : !threadsPreferred();
        wasPreferred_ = threadsPreferred();
    } else {
        --untilProbe_;
        threaded_ = threadsPreferred();
    }
    timed_ = true;
    start_ = std::chrono::steady_clock::now();
}

void ThreadCountChooser::endStep()
{
    if (timed_) {
        const auto elapsed = std::chrono::steady_clock::now() - start_;
        const double ns =
            std::max(1.0, static_cast<double>(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()));
        double& mean = mean_[threaded_ ? 1 : 0];
        mean = mean == 0 ? ns : mean + (probing_ ? ProbeWeight : NewWeight) * (ns - mean);
    }
    if (probing_ && mean_[0] != 0 && mean_[1] != 0) {
        probeGap_ = probeGap_ == 0 || threadsPreferred() != wasPreferred_ ? FirstProbeGap
                                                                           : std::min(2 * probeGap_, LastProbeGap);
        untilProbe_ = probeGap_;
    }
    probing_ = false;
    timed_ = false;
}

} // namespace vornix::cpu
