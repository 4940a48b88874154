#include "shell/BetweenFrames.h"

#include <utility>
#include <vector>

namespace vornix {

namespace {

std::vector<std::function<void()>>& queue()
{
    static std::vector<std::function<void()>> tasks;
    return tasks;
}

} // namespace

void runBetweenFrames(std::function<void()> task) { queue().push_back(std::move(task)); }

void runQueuedTasks()
{
    const std::vector<std::function<void()>> due = std::exchange(queue(), {});
    for (const auto& task : due)
        task();
}

} // namespace vornix
