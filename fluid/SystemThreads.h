// What the operating system offers the solver's threads: how many processors this process may run on, and sleeping
// on an address until another thread changes it. The only platform-dependent code of the fluid models.
#pragma once

#include <atomic>
#include <cstdint>

namespace vornix {

// Processors this process may run on (its affinity mask where the system has one), at least 1.
unsigned usableProcessorCount();

// Sleeps while value == old (spurious returns are possible: callers loop). Pairs with wakeAllWaiters.
void sleepWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t old);

// Wakes every thread sleeping on value; call after changing it.
void wakeAllWaiters(std::atomic<std::uint32_t>& value);

} // namespace vornix
