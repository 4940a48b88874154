#include "fluid/cpu/ReciprocalDivisors.h"

#include <cstring>

namespace vornix::cpu {

bool ReciprocalDivisors::use(const KernelSet& kernels, float c, std::uint64_t cellSweeps)
{
    if (!pays_ && !eager_)
        return false;
    Entry* entry = nullptr;
    for (Entry& e : entries_)
        if (e.kernels == &kernels && std::memcmp(&e.c, &c, sizeof c) == 0)
            entry = &e;
    if (!entry) {
        entry = &entries_[next_];
        next_ = (next_ + 1) % entries_.size();
        *entry = Entry{c, &kernels, 0, Verdict::Unknown};
    }
    if (entry->verdict == Verdict::Unknown) {
        entry->work += cellSweeps;
        if (!eager_ && entry->work < WorkBeforeProof)
            return false;
        entry->verdict = kernels.reciprocalIsExact(c) ? Verdict::Exact : Verdict::NotExact;
    }
    return entry->verdict == Verdict::Exact;
}

} // namespace vornix::cpu
