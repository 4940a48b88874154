// WorkerPool: helper threads that join the calling thread on one job of numbered tasks at a time. Used by the CPU
// solver and by the renderer's CPU colouring, each with a pool of its own.
//
// Tasks are claimed in increasing order, by the caller and by whichever helpers are awake, so a job finishes even if
// no helper ever runs (the caller then does every task itself, in order). Helpers wait for work with a short spin
// and then sleep on a futex; nothing spins without bound. The helpers are joined in the destructor. A helper
// that cannot be started is not an error: the pool runs with the threads it has (at least the caller) and says so in
// one line on standard error.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace vornix {

class WorkerPool {
public:
    // task(context, index, thread): thread is 0 for the caller and 1.. for the helpers.
    using TaskFn = void (*)(void* context, std::uint32_t index, unsigned thread);

    // Starts one helper thread running body; throws (std::system_error) when the thread cannot be made.
    using ThreadStarter = std::thread (*)(std::function<void()> body);
    static std::thread startThread(std::function<void()> body) { return std::thread(std::move(body)); }

    // Up to `helpers` helper threads, as many as `start` can make.
    explicit WorkerPool(unsigned helpers, ThreadStarter start = &startThread);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The caller plus the helpers that started.
    unsigned threadCount() const { return static_cast<unsigned>(threads_.size()) + 1; }

    // Runs task(context, k, thread) for every k in [0, count) and returns when all have finished. Tasks with a higher
    // index may wait for lower ones (they were claimed earlier, by a thread that is running them).
    void run(TaskFn task, void* context, std::uint32_t count);

    // A bounded busy wait, then a futex sleep, until value != old.
    static void waitWhileEqual(const std::atomic<std::uint32_t>& value, std::uint32_t old);
    // One polling step of a busy wait (a pause instruction where there is one).
    static void relax()
    {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }

private:
    static constexpr std::uint64_t Closed = 0xffffffffu;

    void helperLoop(unsigned thread);
    void work(std::uint64_t generation, unsigned thread);

    std::atomic<std::uint64_t> ticket_{0};       // generation << 32 | next task index
    std::atomic<std::uint32_t> wake_{0};         // bumped for every job and at shutdown: what sleeping helpers watch
    std::atomic<TaskFn> task_{nullptr};
    std::atomic<void*> context_{nullptr};
    std::atomic<std::uint32_t> count_{0};
    std::atomic<std::uint32_t> finished_{0};
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

} // namespace vornix
