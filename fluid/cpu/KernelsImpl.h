// The solver's inner loops, written once over a vector width W with GCC vector extensions. Included only by the
// per-path translation units, after their target pragma and after every standard header, and wrapped in an unnamed
// namespace: each path gets its own private copy and no inline function compiled for a wider instruction set can
// leak into code that runs on a narrower one.
//
// Every cell is computed with exactly the operations of the straightforward loops, in the same order, in single
// precision (the build forbids FMA contraction); only the order in which independent cells are visited changes, and
// where another form is used (a division through the reciprocal, a product formed in double precision) it is one that
// gives the same bits for every input it meets (LaneOps.h says why).

namespace vornix::cpu {
namespace {

#include "fluid/cpu/LaneOps.h"
#include "fluid/cpu/SweepKernel.h"

// The row stages, W cells of a row at a time (a scalar loop for the rest of the row): every cell independent, every
// expression as in the straightforward loops.
template <int W> struct Rows {
    using F = typename Lanes<W>::F;
    using I = typename Lanes<W>::I;

    static F load(const float* p)
    {
        F v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(float* p, F v) { __builtin_memcpy(p, &v, sizeof v); }
    static F splat(float s) { return F{} + s; }
    static I splat(int s) { return I{} + s; }
    template <unsigned long... K> static F iota(std::integer_sequence<unsigned long, K...>)
    {
        return F{static_cast<float>(K)...};
    }
    static F iota() { return iota(std::make_integer_sequence<unsigned long, W>()); }

    static F gather(const float* base, I index)
    {
        // The per-path unit says which gather instruction its target offers.
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16)
            return reinterpret_cast<F>(
                _mm512_mask_i32gather_ps(_mm512_setzero_ps(), 0xffff, reinterpret_cast<__m512i>(index), base, 4));
#endif
#if defined(VORNIX_PATH_AVX2)
        if constexpr (W == 8)
            return reinterpret_cast<F>(_mm256_i32gather_ps(base, reinterpret_cast<__m256i>(index), 4));
#endif
        F r;
        for (int k = 0; k < W; ++k)
            r[k] = base[index[k]];
        return r;
    }
};

template <int W>
void addSourceRange(float* __restrict x, const float* __restrict s, float dt, std::uint32_t begin, std::uint32_t end)
{
    using R = Rows<W>;
    std::uint32_t k = begin;
    if constexpr (W > 1)
        for (; k + W <= end; k += W)
            R::store(x + k, R::load(x + k) + dt * R::load(s + k));
    for (; k < end; ++k)
        x[k] += dt * s[k];
}

// The advection's clamp of a back-traced position, tested as x >= lo rather than x < lo: the same value for every
// number, and a position that is not a number (from a NaN or infinite velocity) becomes lo, so it is never converted
// to an integer and every read stays inside the field.
float clampPosition(float x, float lo, float hi) { return x >= lo ? (x > hi ? hi : x) : lo; }

template <int W, bool Two>
void advectRowRange(const Grid& g, float* __restrict d, const float* __restrict d0, float* __restrict e,
                    const float* __restrict e0, const float* __restrict u, const float* __restrict v, float dt,
                    std::uint32_t j0, std::uint32_t j1)
{
    using R = Rows<W>;
    using F = typename R::F;
    using I = typename R::I;
    const float nf = static_cast<float>(g.n);
    const float dt0 = dt * nf;
    const int size = static_cast<int>(g.size);
    for (std::uint32_t j = j0; j < j1; ++j) {
        std::uint32_t i = 1;
        if constexpr (W > 1) {
            const F lo = R::splat(0.5f), hi = R::splat(nf + 0.5f);
            const F fj = R::splat(static_cast<float>(j));
            for (; i + W - 1 <= g.n; i += W) {
                const std::uint32_t o = g.ix(i, j);
                // Column numbers below 2^24 are exact in float, so iota + i is (float)i lane by lane.
                F x = (R::iota() + static_cast<float>(i)) - dt0 * R::load(u + o);
                F y = fj - dt0 * R::load(v + o);
                x = x >= lo ? (x > hi ? hi : x) : lo;   // as clampPosition
                y = y >= lo ? (y > hi ? hi : y) : lo;
                const I i0 = __builtin_convertvector(x, I);   // truncation, as (int)x
                const I j0c = __builtin_convertvector(y, I);
                const F s1 = x - __builtin_convertvector(i0, F);
                const F s0 = 1.0f - s1;
                const F t1 = y - __builtin_convertvector(j0c, F);
                const F t0 = 1.0f - t1;
                const I at = i0 + j0c * size;
                const F p00 = R::gather(d0, at), p01 = R::gather(d0, at + size);
                const F p10 = R::gather(d0, at + 1), p11 = R::gather(d0, at + (size + 1));
                R::store(d + o, s0 * (t0 * p00 + t1 * p01) + s1 * (t0 * p10 + t1 * p11));
                if constexpr (Two) {
                    const F q00 = R::gather(e0, at), q01 = R::gather(e0, at + size);
                    const F q10 = R::gather(e0, at + 1), q11 = R::gather(e0, at + (size + 1));
                    R::store(e + o, s0 * (t0 * q00 + t1 * q01) + s1 * (t0 * q10 + t1 * q11));
                }
            }
        }
        for (; i <= g.n; ++i) {
            float x = static_cast<float>(i) - dt0 * u[g.ix(i, j)];
            float y = static_cast<float>(j) - dt0 * v[g.ix(i, j)];
            x = clampPosition(x, 0.5f, nf + 0.5f);
            y = clampPosition(y, 0.5f, nf + 0.5f);
            const int i0 = static_cast<int>(x);
            const int j0c = static_cast<int>(y);
            const float s1 = x - static_cast<float>(i0);
            const float s0 = 1 - s1;
            const float t1 = y - static_cast<float>(j0c);
            const float t0 = 1 - t1;
            const float* p = d0 + g.ix(static_cast<std::uint32_t>(i0), static_cast<std::uint32_t>(j0c));
            d[g.ix(i, j)] = s0 * (t0 * p[0] + t1 * p[g.size]) + s1 * (t0 * p[1] + t1 * p[g.size + 1]);
            if constexpr (Two) {
                const float* q = e0 + (p - d0);
                e[g.ix(i, j)] = s0 * (t0 * q[0] + t1 * q[g.size]) + s1 * (t0 * q[1] + t1 * q[g.size + 1]);
            }
        }
    }
}

template <int W>
void advectRows(const Grid& g, float* d, const float* d0, float* e, const float* e0, const float* u,
                const float* v, float dt, std::uint32_t j0, std::uint32_t j1)
{
    if (e)
        advectRowRange<W, true>(g, d, d0, e, e0, u, v, dt, j0, j1);
    else
        advectRowRange<W, false>(g, d, d0, nullptr, nullptr, u, v, dt, j0, j1);
}

template <int W>
void divergenceRowRange(const Grid& g, const float* __restrict u, const float* __restrict v, float* __restrict p,
                        float* __restrict div, std::uint32_t j0, std::uint32_t j1)
{
    using R = Rows<W>;
    const float nf = static_cast<float>(g.n);
    const std::uint32_t s = g.size;
    for (std::uint32_t j = j0; j < j1; ++j) {
        std::uint32_t i = 1;
        if constexpr (W > 1)
            for (; i + W - 1 <= g.n; i += W) {
                const std::uint32_t o = g.ix(i, j);
                R::store(div + o, -0.5f * (R::load(u + o + 1) - R::load(u + o - 1) + R::load(v + o + s) -
                                           R::load(v + o - s)) /
                                      nf);
                R::store(p + o, R::splat(0.0f));
            }
        for (; i <= g.n; ++i) {
            div[g.ix(i, j)] =
                -0.5f * (u[g.ix(i + 1, j)] - u[g.ix(i - 1, j)] + v[g.ix(i, j + 1)] - v[g.ix(i, j - 1)]) / nf;
            p[g.ix(i, j)] = 0;
        }
    }
}

template <int W>
void gradientRowRange(const Grid& g, float* __restrict u, float* __restrict v, const float* __restrict p,
                      std::uint32_t j0, std::uint32_t j1)
{
    using R = Rows<W>;
    const float nf = static_cast<float>(g.n);
    const std::uint32_t s = g.size;
    for (std::uint32_t j = j0; j < j1; ++j) {
        std::uint32_t i = 1;
        if constexpr (W > 1)
            for (; i + W - 1 <= g.n; i += W) {
                const std::uint32_t o = g.ix(i, j);
                R::store(u + o, R::load(u + o) - 0.5f * nf * (R::load(p + o + 1) - R::load(p + o - 1)));
                R::store(v + o, R::load(v + o) - 0.5f * nf * (R::load(p + o + s) - R::load(p + o - s)));
            }
        for (; i <= g.n; ++i) {
            u[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i + 1, j)] - p[g.ix(i - 1, j)]);
            v[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i, j + 1)] - p[g.ix(i, j - 1)]);
        }
    }
}

template <int W> KernelSet makeKernelSet()
{
    return KernelSet{W, &sweepPass<W>, &reciprocalIsExact<W>, &addSourceRange<W>, &advectRows<W>,
                     &divergenceRowRange<W>, &gradientRowRange<W>};
}

} // namespace
} // namespace vornix::cpu
