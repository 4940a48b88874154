// WorkerPool: helper threads that cannot be started leave a pool that runs on the threads it has.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
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
        vornix::cpu::WorkerPool pool(3, &failingStarter);
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
