#include "fluid/cpu/SolverKernels.h"

#include <cmath>
#include <cstdint>

namespace vornix::cpu {

namespace {

constexpr int SolverSweeps = 20;

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

void addSource(const Grid& g, float* x, const float* s, float dt)
{
    for (std::uint32_t k = 0; k < g.cells; ++k)
        x[k] += dt * s[k];
}

void setBnd(const Grid& g, float* x, int b)
{
    const std::uint32_t n = g.n;
    for (std::uint32_t k = 1; k <= n; ++k) {
        x[g.ix(0, k)] = b == Horizontal ? -x[g.ix(1, k)] : x[g.ix(1, k)];
        x[g.ix(n + 1, k)] = b == Horizontal ? -x[g.ix(n, k)] : x[g.ix(n, k)];
        x[g.ix(k, 0)] = b == Vertical ? -x[g.ix(k, 1)] : x[g.ix(k, 1)];
        x[g.ix(k, n + 1)] = b == Vertical ? -x[g.ix(k, n)] : x[g.ix(k, n)];
    }
    x[g.ix(0, 0)] = 0.5f * (x[g.ix(1, 0)] + x[g.ix(0, 1)]);
    x[g.ix(0, n + 1)] = 0.5f * (x[g.ix(1, n + 1)] + x[g.ix(0, n)]);
    x[g.ix(n + 1, 0)] = 0.5f * (x[g.ix(n, 0)] + x[g.ix(n + 1, 1)]);
    x[g.ix(n + 1, n + 1)] = 0.5f * (x[g.ix(n, n + 1)] + x[g.ix(n + 1, n)]);
}

void linSolve(const Grid& g, float* x, const float* x0, int b, float a, float c)
{
    for (int sweep = 0; sweep < SolverSweeps; ++sweep) {
        for (std::uint32_t i = 1; i <= g.n; ++i)
            for (std::uint32_t j = 1; j <= g.n; ++j)
                x[g.ix(i, j)] = (a * (x[g.ix(i - 1, j)] + x[g.ix(i + 1, j)] + x[g.ix(i, j - 1)] + x[g.ix(i, j + 1)])
                                 + x0[g.ix(i, j)]) / c;
        setBnd(g, x, b);
    }
}

void diffuse(const Grid& g, float* x, const float* x0, int b, float rate, float dt)
{
    const float nf = static_cast<float>(g.n);
    const float a = dt * rate * nf * nf;
    const float c = 1 + 4 * a;
    linSolve(g, x, x0, b, a, c);
}

void advect(const Grid& g, float* d, const float* d0, int b, const float* u, const float* v, float dt)
{
    const float nf = static_cast<float>(g.n);
    const float dt0 = dt * nf;
    for (std::uint32_t i = 1; i <= g.n; ++i) {
        for (std::uint32_t j = 1; j <= g.n; ++j) {
            float x = static_cast<float>(i) - dt0 * u[g.ix(i, j)];
            float y = static_cast<float>(j) - dt0 * v[g.ix(i, j)];
            x = clampRange(x, 0.5f, nf + 0.5f);
            y = clampRange(y, 0.5f, nf + 0.5f);
            const std::uint32_t i0 = static_cast<std::uint32_t>(static_cast<int>(x));
            const std::uint32_t i1 = i0 + 1;
            const std::uint32_t j0 = static_cast<std::uint32_t>(static_cast<int>(y));
            const std::uint32_t j1 = j0 + 1;
            const float s1 = x - static_cast<float>(static_cast<int>(i0));
            const float s0 = 1 - s1;
            const float t1 = y - static_cast<float>(static_cast<int>(j0));
            const float t0 = 1 - t1;
            d[g.ix(i, j)] = s0 * (t0 * d0[g.ix(i0, j0)] + t1 * d0[g.ix(i0, j1)])
                            + s1 * (t0 * d0[g.ix(i1, j0)] + t1 * d0[g.ix(i1, j1)]);
        }
    }
    setBnd(g, d, b);
}

void project(const Grid& g, float* u, float* v, float* p, float* div)
{
    const float nf = static_cast<float>(g.n);
    for (std::uint32_t i = 1; i <= g.n; ++i) {
        for (std::uint32_t j = 1; j <= g.n; ++j) {
            div[g.ix(i, j)] = -0.5f * (u[g.ix(i + 1, j)] - u[g.ix(i - 1, j)] + v[g.ix(i, j + 1)] - v[g.ix(i, j - 1)]) / nf;
            p[g.ix(i, j)] = 0;
        }
    }
    setBnd(g, div, Scalar);
    setBnd(g, p, Scalar);
    linSolve(g, p, div, Scalar, 1, 4);
    for (std::uint32_t i = 1; i <= g.n; ++i) {
        for (std::uint32_t j = 1; j <= g.n; ++j) {
            u[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i + 1, j)] - p[g.ix(i - 1, j)]);
            v[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i, j + 1)] - p[g.ix(i, j - 1)]);
        }
    }
    setBnd(g, u, Horizontal);
    setBnd(g, v, Vertical);
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
