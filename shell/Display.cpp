#include "shell/Display.h"

#include <algorithm>
#include <cstdint>

namespace vornix {

namespace {

// Length of the overlap of [a0, a1) and [b0, b1), and the gap between them when they do not overlap (negative).
std::int64_t overlap(int a0, int a1, int b0, int b1)
{
    return static_cast<std::int64_t>(std::min(a1, b1)) - std::max(a0, b0);
}

} // namespace

const Display& displayOfWindow(const std::vector<Display>& displays, int left, int top, int right, int bottom)
{
    const Display* best = &displays.front();
    std::int64_t bestArea = -1, bestDistance = INT64_MAX;
    for (const Display& d : displays) {
        const std::int64_t w = overlap(left, right, d.left, d.right), h = overlap(top, bottom, d.top, d.bottom);
        if (w > 0 && h > 0) {
            if (w * h > bestArea) {
                best = &d;
                bestArea = w * h;
            }
        } else if (bestArea < 0) {
            const std::int64_t dx = std::max<std::int64_t>(0, -w), dy = std::max<std::int64_t>(0, -h);
            if (dx * dx + dy * dy < bestDistance) {
                best = &d;
                bestDistance = dx * dx + dy * dy;
            }
        }
    }
    return *best;
}

} // namespace vornix
