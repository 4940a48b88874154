#include "fluid/cpu/Grid.h"

#include <cmath>
#include <cstdint>

namespace vornix::cpu {

namespace {

float clampRange(float x, float lo, float hi) { return x < lo ? lo : (x > hi ? hi : x); }

// Clamps a brush bound into the interior 1..n and truncates it. A bound that is not a number (from a NaN radius)
// counts as the low end, so no NaN is ever converted to an integer.
std::uint32_t interiorBound(float value, std::uint32_t n)
{
    if (!(value >= 1.0f))
        return 1;
    const float hi = static_cast<float>(n);
    return static_cast<std::uint32_t>(value > hi ? hi : value);
}

} // namespace

void setBnd(const Grid& g, float* x, Boundary b) { setBndRows(g, x, b, 1, g.n + 1); }

void setBndRows(const Grid& g, float* x, Boundary b, std::uint32_t lo, std::uint32_t hi)
{
    const std::uint32_t n = g.n;
    for (std::uint32_t k = lo; k < hi; ++k) {
        x[g.ix(0, k)] = b == Boundary::Horizontal ? -x[g.ix(1, k)] : x[g.ix(1, k)];
        x[g.ix(n + 1, k)] = b == Boundary::Horizontal ? -x[g.ix(n, k)] : x[g.ix(n, k)];
    }
    const bool bottom = lo == 1, top = hi == n + 1;
    for (std::uint32_t k = 1; k <= n && (bottom || top); ++k) {
        if (bottom)
            x[g.ix(k, 0)] = b == Boundary::Vertical ? -x[g.ix(k, 1)] : x[g.ix(k, 1)];
        if (top)
            x[g.ix(k, n + 1)] = b == Boundary::Vertical ? -x[g.ix(k, n)] : x[g.ix(k, n)];
    }
    if (bottom) {
        x[g.ix(0, 0)] = 0.5f * (x[g.ix(1, 0)] + x[g.ix(0, 1)]);
        x[g.ix(n + 1, 0)] = 0.5f * (x[g.ix(n, 0)] + x[g.ix(n + 1, 1)]);
    }
    if (top) {
        x[g.ix(0, n + 1)] = 0.5f * (x[g.ix(1, n + 1)] + x[g.ix(0, n)]);
        x[g.ix(n + 1, n + 1)] = 0.5f * (x[g.ix(n, n + 1)] + x[g.ix(n + 1, n)]);
    }
}

void addForceArea(const Grid& g, float* f, int x, int y, float value, float radius)
{
    const float xf = static_cast<float>(x);
    const float yf = static_cast<float>(y);
    const std::uint32_t iLo = interiorBound(xf - radius, g.n);
    const std::uint32_t iHi = interiorBound(xf + radius, g.n);
    const std::uint32_t jLo = interiorBound(yf - radius, g.n);
    const std::uint32_t jHi = interiorBound(yf + radius, g.n);
    for (std::uint32_t i = iLo; i <= iHi; ++i) {
        for (std::uint32_t j = jLo; j <= jHi; ++j) {
            // Squares in 64-bit: the same numbers as 32-bit wherever that does not overflow, and defined for any
            // centre the mouse can produce.
            const std::int64_t dx = static_cast<std::int64_t>(x) - i;
            const std::int64_t dy = static_cast<std::int64_t>(y) - j;
            const float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
            float w = 1 - d / radius;
            if (std::isnan(w))
                w = 1;
            w = clampRange(w, 0, 1);
            f[g.ix(i, j)] += w * value;
        }
    }
}

} // namespace vornix::cpu
