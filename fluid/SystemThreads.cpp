#include "fluid/SystemThreads.h"

#include <algorithm>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#elif defined(__linux__)
#include <sched.h>
#endif

namespace vornix {

// The affinity mask, not the machine's processor count: under taskset or a container's CPU limit only those
// processors run our threads, and more threads than that only queue.
unsigned usableProcessorCount()
{
#if defined(__linux__)
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return static_cast<unsigned>(std::max(1, CPU_COUNT(&set)));
#endif
    return std::max(1u, std::thread::hardware_concurrency());
}

// The C++ library's atomic wait sleeps on a futex on Linux. Where there is none it falls back on a shared table of
// condition variables, which in GCC 12 can lose a wake-up (a pool job then never finishes), so Windows sleeps on the
// address with the system's own call instead.
void sleepWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t old)
{
#ifdef _WIN32
    static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
    WaitOnAddress(const_cast<std::atomic<std::uint32_t>*>(&value), &old, sizeof old, INFINITE);
#else
    value.wait(old, std::memory_order_acquire);
#endif
}

void wakeAllWaiters(std::atomic<std::uint32_t>& value)
{
#ifdef _WIN32
    WakeByAddressAll(&value);
#else
    value.notify_all();
#endif
}

} // namespace vornix
