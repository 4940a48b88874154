// WorkerPool: helper threads that cannot be started leave a pool that runs on the threads it has.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>
#include <system_error>
#include <vector>

#include "fluid/WorkerPool.h"

namespace {

int startsLeft = 0;   // how many more helpers the failing starter lets start

std::thread failingStarter(std::function<void()> body)
{
    if (startsLeft-- <= 0)
        throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
    return std::thread(std::move(body));
}

void countTask(void* context, std::uint32_t index, unsigned)
{
    (*static_cast<std::vector<std::atomic<int>>*>(context))[index]++;
}

} // namespace

TEST(WorkerPool, RunsOnTheThreadsThatStartedAndSaysSoOnce)
{
    for (int started : {0, 1}) {
        startsLeft = started;
        testing::internal::CaptureStderr();
        vornix::WorkerPool pool(3, &failingStarter);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(pool.threadCount(), static_cast<unsigned>(started) + 1);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        for (int job = 0; job < 3; ++job) {
            std::vector<std::atomic<int>> hits(500);
            pool.run(&countTask, &hits, 500);
            EXPECT_TRUE(std::all_of(hits.begin(), hits.end(), [](const std::atomic<int>& h) { return h.load() == 1; }));
        }
    }
}

// A lost wake-up leaves a helper asleep with a job announced (or the caller asleep with the last task finished): the
// job, or the pool's destructor, then never returns. Pauses longer than the spin put every thread to sleep between
// the jobs, and tasks that outlast the spin make the caller sleep until a helper finishes. The time limit is a hang
// detector, far beyond what the work needs on a loaded machine; a hung thread cannot be stopped, so it ends the
// test program.
void busyTask(void* context, std::uint32_t, unsigned)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(200);
    while (std::chrono::steady_clock::now() < until)
        vornix::WorkerPool::relax();
    static_cast<std::atomic<int>*>(context)->fetch_add(1);
}

TEST(WorkerPool, SleepingThreadsWakeForEveryJobAndForTheShutdown)
{
    constexpr int Pools = 4, Jobs = 60, Tasks = 6;
    std::atomic<int> done{0};
    auto work = std::async(std::launch::async, [&done] {
        for (int p = 0; p < Pools; ++p) {
            vornix::WorkerPool pool(3);
            for (int job = 0; job < Jobs; ++job) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                pool.run(&busyTask, &done, Tasks);
            }
        }
    });
    if (work.wait_for(std::chrono::minutes(3)) != std::future_status::ready) {
        std::fprintf(stderr, "WorkerPool: hung after %d of %d tasks (a lost wake-up)\n", done.load(),
                     Pools * Jobs * Tasks);
        std::fflush(stderr);
        std::_Exit(1);
    }
    EXPECT_EQ(done.load(), Pools * Jobs * Tasks);
}
