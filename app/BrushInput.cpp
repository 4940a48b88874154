#include "app/BrushInput.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace vornix {

namespace {

// trunc(value) + 1 as an int; values beyond the int range (a huge window coordinate over a tiny cell) saturate, so
// the cell still lies outside the grid, where the model clips it, instead of overflowing.
int cellIndex(float value)
{
    const float t = std::trunc(value);
    if (t >= static_cast<float>(std::numeric_limits<int>::max() - 1))
        return std::numeric_limits<int>::max();
    if (t <= static_cast<float>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min() + 1;
    return static_cast<int>(t) + 1;
}

float dampingFactor(int d, int precision)
{
    if (d == 0)
        return 1.0f;
    return static_cast<float>(1 + static_cast<double>(precision) / std::abs(static_cast<double>(d)));
}

} // namespace

bool cellUnderPixel(int x, int y, int windowWidth, int windowHeight, int n, Cell& cell)
{
    if (windowWidth <= 0 || windowHeight <= 0 || n <= 0)
        return false;
    const float cw = static_cast<float>(windowWidth) / static_cast<float>(n);
    const float ch = static_cast<float>(windowHeight) / static_cast<float>(n);
    cell.i = cellIndex(static_cast<float>(x) / cw);
    cell.j = cellIndex(static_cast<float>(y) / ch);
    return true;
}

Force dampedForce(int dx, int dy, int precision)
{
    if (precision <= 0)
        return Force{static_cast<float>(dx), static_cast<float>(dy)};
    const float kx = dampingFactor(dx, precision);
    const float ky = dampingFactor(dy, precision);
    return Force{static_cast<float>(dx) / kx, static_cast<float>(dy) / ky};
}

} // namespace vornix
