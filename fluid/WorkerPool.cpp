#include "fluid/WorkerPool.h"

#include "fluid/SystemThreads.h"

#include <exception>
#include <iostream>
#include <system_error>

namespace vornix {

namespace {

// About 20 to 50 microseconds of polling before a thread goes to sleep: long enough to bridge the gaps between the
// stages of one step, short enough not to steal a loaded machine's time.
constexpr int SpinRounds = 4000;

} // namespace

WorkerPool::WorkerPool(unsigned helpers, ThreadStarter start)
{
    threads_.reserve(helpers);
    for (unsigned t = 0; t < helpers; ++t) {
        try {
            std::thread helper = start([this, t] { helperLoop(t + 1); });
            if (!helper.joinable())
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            threads_.push_back(std::move(helper));
        } catch (const std::exception& e) {
            // The threads that did start are complete helpers; the caller does the rest of every job.
            std::cerr << "Worker pool: " << t << " of " << helpers << " helper threads started (" << e.what()
                      << "); running on " << t + 1 << " thread(s)" << std::endl;
            break;
        }
    }
}

WorkerPool::~WorkerPool()
{
    stop_.store(true, std::memory_order_release);
    wake_.fetch_add(1, std::memory_order_release);
    wakeAllWaiters(wake_);
    for (auto& t : threads_)
        t.join();
}

void WorkerPool::waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t old)
{
    for (int i = 0; i < SpinRounds; ++i) {
        if (value.load(std::memory_order_acquire) != old)
            return;
        WorkerPool::relax();
    }
    while (value.load(std::memory_order_acquire) == old)
        sleepWhileEqual(value, old);
}

void WorkerPool::run(TaskFn task, void* context, std::uint32_t count)
{
    if (count == 0)
        return;
    const std::uint64_t generation = (ticket_.load(std::memory_order_relaxed) >> 32) + 1;
    task_.store(task, std::memory_order_relaxed);
    context_.store(context, std::memory_order_relaxed);
    count_.store(count, std::memory_order_relaxed);
    finished_.store(0, std::memory_order_relaxed);
    ticket_.store(generation << 32, std::memory_order_release);
    if (!threads_.empty()) {
        wake_.fetch_add(1, std::memory_order_release);
        wakeAllWaiters(wake_);
    }
    work(generation, 0);
    for (;;) {
        const std::uint32_t done = finished_.load(std::memory_order_acquire);
        if (done == count)
            break;
        waitWhileEqual(finished_, done);
    }
    // Close the job before its description is overwritten by the next: a helper that read this generation's ticket
    // late can then never claim a task of the next job under this job's ticket.
    ticket_.store(generation << 32 | Closed, std::memory_order_release);
}

void WorkerPool::work(std::uint64_t generation, unsigned thread)
{
    for (;;) {
        std::uint64_t t = ticket_.load(std::memory_order_acquire);
        if (t >> 32 != generation)
            return;
        const std::uint32_t index = static_cast<std::uint32_t>(t);
        const std::uint32_t count = count_.load(std::memory_order_relaxed);
        const TaskFn task = task_.load(std::memory_order_relaxed);
        void* const context = context_.load(std::memory_order_relaxed);
        if (index >= count)
            return;
        if (!ticket_.compare_exchange_weak(t, t + 1, std::memory_order_acq_rel, std::memory_order_relaxed))
            continue;
        task(context, index, thread);
        if (finished_.fetch_add(1, std::memory_order_acq_rel) + 1 == count && thread != 0)
            wakeAllWaiters(finished_);
    }
}

void WorkerPool::helperLoop(unsigned thread)
{
    // Start from the constructor's value, so that a job or a shutdown announced before this thread ran is not missed.
    std::uint32_t seen = 0;
    for (;;) {
        waitWhileEqual(wake_, seen);
        seen = wake_.load(std::memory_order_acquire);
        if (stop_.load(std::memory_order_acquire))
            return;
        work(ticket_.load(std::memory_order_acquire) >> 32, thread);
    }
}

} // namespace vornix
