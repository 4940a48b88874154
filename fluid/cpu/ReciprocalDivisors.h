// ReciprocalDivisors: which divisors c the sweeps may divide through the reciprocal (KernelSet::reciprocalIsExact),
// proven once per divisor and vector path and remembered. The proof takes a few milliseconds, so a divisor is only
// checked once the float divisions it would save outweigh it; a new viscosity on every frame therefore costs little.
#pragma once

#include <array>
#include <cstdint>

#include "fluid/cpu/KernelSet.h"

namespace vornix::cpu {

class ReciprocalDivisors {
public:
    // Whether a solve of cellSweeps cell updates with divisor c may divide through the reciprocal on this path.
    // Never on a processor where the plain division is faster (reciprocalDivisionPays), unless eager.
    bool use(const KernelSet& kernels, float c, std::uint64_t cellSweeps);
    // Prove every divisor at its first solve and use it on any processor (for tests, which run few and small
    // solves and must cover the reciprocal's path everywhere).
    void setEager(bool on) { eager_ = on; }

private:
    // Cell updates after which a divisor is proven: their float divisions take longer than the proof.
    static constexpr std::uint64_t WorkBeforeProof = std::uint64_t{1} << 25;
    enum class Verdict : std::uint8_t { Unknown, Exact, NotExact };
    struct Entry {
        float c = 0;
        const KernelSet* kernels = nullptr;
        std::uint64_t work = 0;
        Verdict verdict = Verdict::Unknown;
    };
    std::array<Entry, 8> entries_{};
    unsigned next_ = 0;
    bool eager_ = false;
    bool pays_ = reciprocalDivisionPays();
};

} // namespace vornix::cpu
