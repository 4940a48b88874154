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

template <int W> struct Strip {
    using F = typename Lanes<W>::F;
    using I = typename Lanes<W>::I;
    static constexpr int V = StripVectors;

    static F load(const float* p)
    {
        F v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(float* p, F v) { __builtin_memcpy(p, &v, sizeof v); }

    // Lane 0 from the last lane of `below`, lanes 1.. from lanes 0.. of `prev`: the already swept cell beneath each.
    template <unsigned long... K> static F downNeighbours(F below, F prev, std::integer_sequence<unsigned long, K...>)
    {
        return __builtin_shufflevector(below, prev, (W - 1 + static_cast<int>(K))...);
    }
    // Lanes 0.. from lanes 1.. of `next`, the last lane from lane 0 of `above`: the not yet swept cell above each.
    template <unsigned long... K> static F upNeighbours(F next, F above, std::integer_sequence<unsigned long, K...>)
    {
        return __builtin_shufflevector(next, above, (1 + static_cast<int>(K))...);
    }

    // One butterfly stage of a W x W transpose: rows i and i + D swap their off-diagonal D-blocks.
    template <int D, unsigned long... K> static void swapBlocks(F& lo, F& hi, std::integer_sequence<unsigned long, K...>)
    {
        const F l = lo, h = hi;
        lo = __builtin_shufflevector(l, h, ((K & D) ? W + static_cast<int>(K) - D : static_cast<int>(K))...);
        hi = __builtin_shufflevector(l, h, ((K & D) ? W + static_cast<int>(K) : static_cast<int>(K) + D)...);
    }
    template <int D> static void transposeStage(F* m)
    {
        if constexpr (D >= 1) {
            for (int i = 0; i < W; ++i)
                if ((i & D) == 0)
                    swapBlocks<D>(m[i], m[i + D], std::make_integer_sequence<unsigned long, W>());
            transposeStage<D / 2>(m);
        }
    }
    static void transpose(F* m) { transposeStage<W / 2>(m); }

    // Skews W rows (row k at rows[k]) into W consecutive slots starting with slot tau0: slot tau0 + p gets, in lane k,
    // column tau0 + p - k of row k.
    static void skewIn(const float* const* rows, int tau0, float* slots)
    {
        F m[W];
        for (int k = 0; k < W; ++k)
            m[k] = load(rows[k] + tau0 - k);
        transpose(m);
        for (int p = 0; p < W; ++p)
            store(slots + p * W, m[p]);
    }
    static void skewOut(float* const* rows, int tau0, const float* slots)
    {
        F m[W];
        for (int p = 0; p < W; ++p)
            m[p] = load(slots + p * W);
        transpose(m);
        for (int k = 0; k < W; ++k)
            store(rows[k] + tau0 - k, m[k]);
    }

    // Work layout: V + 2 skewed row groups of x (group -1 carries the row below the strip in its last lane, group V
    // the row above in its first lane), then V skewed groups of x0. Skewed slot q of a group holds, in lane k, the
    // cell of column q - W - k of that lane's row.
    struct Layout {
        float* work;
        int len;
        float* xs(int g, int q) const { return work + (static_cast<long>(g + 1) * len + q) * W; }
        float* x0s(int g, int q) const { return work + (static_cast<long>(V + 2 + g) * len + q) * W; }
    };

    template <int Mode> static void sweep(const StripSweep& s)
    {
        const int n = static_cast<int>(s.n);
        const long G = s.size;
        const int j0 = static_cast<int>(s.firstRow);
        const Layout lay{s.work, n + 3 * W};

        // Skew in: the rows of the strip with both walls, the row below (already swept) and the row above. Whole
        // W x W blocks go through a register transpose; the ragged ends of the skew are copied one by one.
        for (int g = -1; g <= V; ++g) {
            const bool full = g >= 0 && g < V;
            int blockEnd = W - 1;   // slots [W - 1, blockEnd) are filled by blocks
            if (full && j0 + g * W + W - 1 <= n + 1 && W > 1) {
                const float* rows[W];
                const float* rows0[W];
                for (int k = 0; k < W; ++k) {
                    rows[k] = s.x + (j0 + g * W + k) * G;
                    rows0[k] = s.x0 + (j0 + g * W + k) * G;
                }
                for (; blockEnd + W - 1 <= n + 1; blockEnd += W) {
                    skewIn(rows, blockEnd, lay.xs(g, blockEnd + W));
                    skewIn(rows0, blockEnd, lay.x0s(g, blockEnd + W));
                }
            }
            for (int k = 0; k < W; ++k) {
                if ((g == -1 && k != W - 1) || (g == V && k != 0))
                    continue;
                const int r = j0 + g * W + k;
                if (r < 0 || r > n + 1)
                    continue;
                const float* row = s.x + r * G;
                float* dst = lay.xs(g, k + W) + k;
                const bool source = full && r >= 1 && r <= n;
                const float* row0 = s.x0 + r * G;
                float* dst0 = lay.x0s(g, k + W) + k;
                for (int c = 0; c <= n + 1; ++c) {
                    if (blockEnd > W - 1 && c + k >= W - 1 && c + k < blockEnd) {
                        c = blockEnd - k - 1;
                        continue;
                    }
                    dst[c * W] = row[c];
                    if (source)
                        dst0[c * W] = row0[c];
                }
            }
        }

        I iota;
        for (int k = 0; k < W; ++k)
            iota[k] = k;
        I rowOk[V];
        F prev[V];
        for (int g = 0; g < V; ++g) {
            rowOk[g] = (iota + (j0 + g * W)) <= n;
            prev[g] = load(lay.xs(g, W));
        }
        const float a = s.a, c = s.c;
        const int lastTau = n + W - 1;
        const auto seq = std::make_integer_sequence<unsigned long, W>();
        for (int t = 1; t <= lastTau + (V - 1) * W; ++t) {
            for (int g = 0; g < V; ++g) {
                const int tau = t - g * W;
                if (tau < 1 || tau > lastTau)
                    continue;
                const int q = tau + W;
                const F left = prev[g];
                const F right = load(lay.xs(g, q + 1));
                const F down = downNeighbours(load(lay.xs(g - 1, q + W - 1)), left, seq);
                const F up = upNeighbours(right, load(lay.xs(g + 1, q - (W - 1))), seq);
                const F sum = ((left + right) + down) + up;
                const F src = load(lay.x0s(g, q));
                F r;
                if constexpr (Mode == General)
                    r = (a * sum + src) / c;
                else if constexpr (Mode == NoDivision)
                    r = a * sum + src;
                else
                    r = (sum + src) * 0.25f;
                const I col = tau - iota;
                const I ok = (col >= 1) & (col <= n) & rowOk[g];
                r = ok ? r : load(lay.xs(g, q));
                store(lay.xs(g, q), r);
                prev[g] = r;
            }
        }

        // Skew out, with the walls that depend on these rows.
        const bool negX = s.b == Horizontal, negY = s.b == Vertical;
        for (int g = 0; g < V; ++g) {
            int blockEnd = W;   // slots [W, blockEnd) are written back by blocks
            if (j0 + g * W + W - 1 <= n && W > 1) {
                float* rows[W];
                for (int k = 0; k < W; ++k)
                    rows[k] = s.x + (j0 + g * W + k) * G;
                for (; blockEnd + W - 1 <= n; blockEnd += W)
                    skewOut(rows, blockEnd, lay.xs(g, blockEnd + W));
            }
            for (int k = 0; k < W; ++k) {
                const int r = j0 + g * W + k;
                if (r < 1 || r > n)
                    continue;
                float* row = s.x + r * G;
                const float* src = lay.xs(g, k + W) + k;
                for (int col = 1; col <= n; ++col) {
                    if (blockEnd > W && col + k >= W && col + k < blockEnd) {
                        col = blockEnd - k - 1;
                        continue;
                    }
                    row[col] = src[col * W];
                }
                row[0] = negX ? -row[1] : row[1];
                row[n + 1] = negX ? -row[n] : row[n];
            }
        }
        if (j0 == 1) {
            float* wall = s.x;
            const float* inner = s.x + G;
            for (int col = 1; col <= n; ++col)
                wall[col] = negY ? -inner[col] : inner[col];
        }
        if (j0 <= n && n < j0 + V * W) {
            float* wall = s.x + (n + 1) * G;
            const float* inner = s.x + n * G;
            for (int col = 1; col <= n; ++col)
                wall[col] = negY ? -inner[col] : inner[col];
        }
    }

    static void sweepStrip(const StripSweep& s)
    {
        if (s.c == 1.0f)
            sweep<NoDivision>(s);
        else if (s.a == 1.0f && s.c == 4.0f)
            sweep<Quarter>(s);
        else
            sweep<General>(s);
    }
};

void addSourceRange(float* __restrict x, const float* __restrict s, float dt, std::uint32_t begin, std::uint32_t end)
{
    for (std::uint32_t k = begin; k < end; ++k)
        x[k] += dt * s[k];
}

float clampRange(float x, float lo, float hi) { return x < lo ? lo : (x > hi ? hi : x); }

void advectRowRange(const Grid& g, float* __restrict d, const float* __restrict d0, const float* __restrict u,
                    const float* __restrict v, float dt, std::uint32_t j0, std::uint32_t j1)
{
    const float nf = static_cast<float>(g.n);
    const float dt0 = dt * nf;
    for (std::uint32_t j = j0; j < j1; ++j) {
        for (std::uint32_t i = 1; i <= g.n; ++i) {
            float x = static_cast<float>(i) - dt0 * u[g.ix(i, j)];
            float y = static_cast<float>(j) - dt0 * v[g.ix(i, j)];
            x = clampRange(x, 0.5f, nf + 0.5f);
            y = clampRange(y, 0.5f, nf + 0.5f);
            const int i0 = static_cast<int>(x);
            const int j0c = static_cast<int>(y);
            const float s1 = x - static_cast<float>(i0);
            const float s0 = 1 - s1;
            const float t1 = y - static_cast<float>(j0c);
            const float t0 = 1 - t1;
            const float* p = d0 + g.ix(static_cast<std::uint32_t>(i0), static_cast<std::uint32_t>(j0c));
            d[g.ix(i, j)] = s0 * (t0 * p[0] + t1 * p[g.size]) + s1 * (t0 * p[1] + t1 * p[g.size + 1]);
        }
    }
}

void divergenceRowRange(const Grid& g, const float* __restrict u, const float* __restrict v, float* __restrict p,
                        float* __restrict div, std::uint32_t j0, std::uint32_t j1)
{
    const float nf = static_cast<float>(g.n);
    for (std::uint32_t j = j0; j < j1; ++j) {
        for (std::uint32_t i = 1; i <= g.n; ++i) {
            div[g.ix(i, j)] =
                -0.5f * (u[g.ix(i + 1, j)] - u[g.ix(i - 1, j)] + v[g.ix(i, j + 1)] - v[g.ix(i, j - 1)]) / nf;
            p[g.ix(i, j)] = 0;
        }
    }
}

void gradientRowRange(const Grid& g, float* __restrict u, float* __restrict v, const float* __restrict p,
                      std::uint32_t j0, std::uint32_t j1)
{
    const float nf = static_cast<float>(g.n);
    for (std::uint32_t j = j0; j < j1; ++j) {
        for (std::uint32_t i = 1; i <= g.n; ++i) {
            u[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i + 1, j)] - p[g.ix(i - 1, j)]);
            v[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i, j + 1)] - p[g.ix(i, j - 1)]);
        }
    }
}

template <int W> KernelSet makeKernelSet()
{
    return KernelSet{W, &Strip<W>::sweepStrip, &addSourceRange, &advectRowRange, &divergenceRowRange,
                     &gradientRowRange};
}

} // namespace
} // namespace vornix::cpu
