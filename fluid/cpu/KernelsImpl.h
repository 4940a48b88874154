// The solver's inner loops, written once over a vector width W with GCC vector extensions. Included only by the
// per-path translation units, after their target pragma and after every standard header, and wrapped in an unnamed
// namespace: each path gets its own private copy and no inline function compiled for a wider instruction set can
// leak into code that runs on a narrower one.
//
// Every cell is computed with exactly the operations of the straightforward loops, in the same order, in single
// precision (the build forbids FMA contraction); only the order in which independent cells are visited changes.

namespace vornix::cpu {
namespace {

template <int W> struct Lanes;
template <> struct Lanes<1> {
    typedef float F __attribute__((vector_size(4)));
    typedef int I __attribute__((vector_size(4)));
};
template <> struct Lanes<4> {
    typedef float F __attribute__((vector_size(16)));
    typedef int I __attribute__((vector_size(16)));
};
template <> struct Lanes<8> {
    typedef float F __attribute__((vector_size(32)));
    typedef int I __attribute__((vector_size(32)));
};
template <> struct Lanes<16> {
    typedef float F __attribute__((vector_size(64)));
    typedef int I __attribute__((vector_size(64)));
};

// How a sweep divides: (a * sum + x0) / c in general; c == 1 needs no division; a == 1, c == 4 (the pressure solve)
// is exactly (sum + x0) * 0.25, since 1 * sum == sum and a division by a power of two is a multiplication.
enum SweepMode { General = 0, NoDivision = 1, Quarter = 2 };

// One pass of W sweeps (see SweepPass). Scratch per parity of the stage number: V, the stage's x values for columns
// 0 .. n + 1 (lane k: row t - 2k after sweep k; columns 0 and n + 1 hold the walls that sweep k + 1 reads), and X,
// the stage's x0 values (lane k: x0 of row t - 2k). Stage t overwrites stage t - 2 in place, column by column, just
// after reading it. P consecutive stages run interleaved, stage t + p one column behind stage t + p - 1 (which it
// needs up to that column), so that P division chains are in flight.
template <int W> struct Pass {
    using F = typename Lanes<W>::F;
    using I = typename Lanes<W>::I;
    static constexpr int P = W >= 8 ? 6 : 8;

    static F load(const float* p)
    {
        F v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(float* p, F v) { __builtin_memcpy(p, &v, sizeof v); }
    template <unsigned long... K> static F splat(float s, std::integer_sequence<unsigned long, K...>)
    {
        return F{((void)K, s)...};
    }
    static F splat(float s) { return splat(s, std::make_integer_sequence<unsigned long, W>()); }
    // Lane 0 from `first`, lane k from lane k - 1 of `v`: what the previous sweep left, one lane on.
    template <unsigned long... K> static F shiftIn(F first, F v, std::integer_sequence<unsigned long, K...>)
    {
        return __builtin_shufflevector(first, v, (K == 0 ? 0 : W + static_cast<int>(K) - 1)...);
    }
    static F shiftIn(F first, F v) { return shiftIn(first, v, std::make_integer_sequence<unsigned long, W>()); }
    static F flip(F v, I sign) { return reinterpret_cast<F>(reinterpret_cast<I>(v) ^ sign); }

    struct Stage {
        float* v;          // V of this parity: stage t - 2 on entry, stage t on exit
        const float* vb;   // V of the other parity: stage t - 1
        float* x0v;        // X of this parity
        const float* row;  // x row t (lane 0's own row before the pass), or zeros
        const float* above;// x row t + 1, or zeros
        const float* src;  // x0 row t, or zeros
        float* out;        // x row t - 2(W - 1) (lane W - 1 is final there), or the sink
        I bottom, top, first;   // lanes on row 0 (k >= 1), on row n + 1, lane 0 on row 0
    };

    // Step j of a group: stage q does column j - q. Stages go from the last to the first, so that last[q - 1] and
    // last[q - 2] still hold what those stages did one step ago, columns j - q and j - q + 1: the cell below and the
    // right neighbour as of the previous sweep. Only the group's last two stages (read by the next group) and the
    // wall columns go through memory.
    template <int Mode, bool Edge, bool Guard>
    static void step(Stage* st, F* last, int j, float a, float c, I signX, I signY, int n)
    {
#pragma GCC unroll 16
        for (int q = P - 1; q >= 0; --q) {
            const int i = j - q;
            if constexpr (Guard)
                if (i < 1 || i > n)
                    continue;
            Stage& s = st[q];
            const long o = static_cast<long>(i) * W;
            if (Guard && i == 1)
                last[q] = shiftIn(splat(s.row[0]), load(s.v));
            const F down = q > 0 ? last[q > 0 ? q - 1 : 0] : load(s.vb + o);
            F rightBase = q >= 2 ? last[q >= 2 ? q - 2 : 0] : load(s.v + o + W);
            if (Guard && q >= 2 && i == n)
                rightBase = flip(rightBase, signX);
            const F right = shiftIn(splat(s.row[i + 1]), rightBase);
            const F up = shiftIn(splat(s.above[i]), down);
            const F src = shiftIn(splat(s.src[i]), load(s.x0v + o));
            store(s.x0v + o, src);
            const F sum = ((last[q] + right) + down) + up;
            F r;
            if constexpr (Mode == General)
                r = (a * sum + src) / c;
            else if constexpr (Mode == NoDivision)
                r = a * sum + src;
            else
                r = (sum + src) * 0.25f;
            if constexpr (Edge) {
                r = s.bottom ? flip(up, signY) : r;
                r = s.top ? flip(down, signY) : r;
                r = s.first ? splat(s.row[i]) : r;
            }
            if (q >= P - 2)
                store(s.v + o, r);
            last[q] = r;
            s.out[i] = r[W - 1];
            if (Guard && i == 1)
                store(s.v, flip(r, signX));
            if (Guard && i == n)
                store(s.v + o + W, flip(r, signX));
        }
    }

    template <int Mode, bool Edge>
    static void group(const SweepPass& p, std::uint32_t t0)
    {
        const int n = static_cast<int>(p.n);
        const long G = p.size;
        const long slot = (static_cast<long>(n) + 2 + 16) * W;
        const I signX = p.b == Boundary::Horizontal ? I{} + (-2147483647 - 1) : I{};
        const I signY = p.b == Boundary::Vertical ? I{} + (-2147483647 - 1) : I{};
        float* const sink = p.ring + 4 * slot;
        Stage st[P];
        F last[P];
        for (int q = 0; q < P; ++q) {
            const long t = static_cast<long>(t0) + q;
            Stage& s = st[q];
            s.v = p.ring + (t & 1) * slot;
            s.vb = p.ring + ((t + 1) & 1) * slot;
            s.x0v = p.ring + (2 + (t & 1)) * slot;
            s.row = t <= n + 1 ? p.x + t * G : p.zeros;
            s.above = t + 1 <= n + 1 ? p.x + (t + 1) * G : p.zeros;
            s.src = t <= n ? p.x0 + t * G : p.zeros;
            const long r = t - 2 * (W - 1);
            s.out = r >= 1 && r <= n ? p.x + r * G : sink;
            for (int k = 0; k < W; ++k) {
                const long row = t - 2 * k;
                s.bottom[k] = row == 0 && k >= 1 ? -1 : 0;
                s.top[k] = row == n + 1 ? -1 : 0;
                s.first[k] = row == 0 && k == 0 ? -1 : 0;
            }
            last[q] = F{};
        }
        const float a = p.a, c = p.c;
        // Steps where every stage is inside columns [2, n - 1] need no checks.
        const int lastStep = n + P - 1;
        int j = 1;
        for (; j <= lastStep && (j < P + 1 || j > n - 1); ++j)
            step<Mode, Edge, true>(st, last, j, a, c, signX, signY, n);
        for (; j <= n - 1; ++j)
            step<Mode, Edge, false>(st, last, j, a, c, signX, signY, n);
        for (; j <= lastStep; ++j)
            step<Mode, Edge, true>(st, last, j, a, c, signX, signY, n);
        // The walls of the rows finished here: left and right from their own row, bottom and top from rows 1 and n.
        const bool negX = p.b == Boundary::Horizontal, negY = p.b == Boundary::Vertical;
        for (int q = 0; q < P; ++q) {
            const long r = static_cast<long>(t0) + q - 2 * (W - 1);
            if (r < 1 || r > n)
                continue;
            float* row = p.x + r * G;
            row[0] = negX ? -row[1] : row[1];
            row[n + 1] = negX ? -row[n] : row[n];
            for (const long w : {0L, static_cast<long>(n) + 1}) {
                if (r != (w == 0 ? 1 : n))
                    continue;
                float* wall = p.x + w * G;
                for (int col = 1; col <= n; ++col)
                    wall[col] = negY ? -row[col] : row[col];
            }
        }
    }

    static bool edgeStage(long t, int n)
    {
        if (t == 0)
            return true;
        if (t % 2 == 0 && t / 2 < W)
            return true;
        const long above = t - (n + 1);
        return above >= 0 && above % 2 == 0 && above / 2 < W;
    }

    template <int Mode> static void run(const SweepPass& p, std::uint32_t first, std::uint32_t end)
    {
        const int n = static_cast<int>(p.n);
        for (std::uint32_t t0 = first; t0 < end; t0 += P) {
            bool edge = false;
            for (int q = 0; q < P; ++q)
                edge = edge || edgeStage(static_cast<long>(t0) + q, n);
            if (edge)
                group<Mode, true>(p, t0);
            else
                group<Mode, false>(p, t0);
        }
    }

    static void sweep(const SweepPass& p, std::uint32_t first, std::uint32_t end)
    {
        if (p.c == 1.0f)
            run<NoDivision>(p, first, end);
        else if (p.a == 1.0f && p.c == 4.0f)
            run<Quarter>(p, first, end);
        else
            run<General>(p, first, end);
    }
};

template <int W> void sweepPass(const SweepPass& p, std::uint32_t first, std::uint32_t end)
{
    if constexpr (W >= 16)
        if (p.lanes == 16)
            return Pass<16>::sweep(p, first, end);
    if constexpr (W >= 8)
        if (p.lanes == 8)
            return Pass<8>::sweep(p, first, end);
    if constexpr (W >= 4)
        if (p.lanes == 4)
            return Pass<4>::sweep(p, first, end);
    Pass<1>::sweep(p, first, end);
}

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
#if defined(VORNIX_GATHER_AVX512)
        if constexpr (W == 16)
            return reinterpret_cast<F>(
                _mm512_mask_i32gather_ps(_mm512_setzero_ps(), 0xffff, reinterpret_cast<__m512i>(index), base, 4));
#endif
#if defined(VORNIX_GATHER_AVX2)
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
    return KernelSet{W, &sweepPass<W>, &addSourceRange<W>, &advectRows<W>, &divergenceRowRange<W>,
                     &gradientRowRange<W>};
}

} // namespace
} // namespace vornix::cpu
