// The row stages, W cells of a row at a time (a scalar loop for the rest of the row): every cell independent, every
// expression as in the straightforward loops. On the checked widths a vector whose products or quotients would meet
// a tiny number forms them in double precision instead (Ops::mulExact, divExact): the same bits without the float
// unit's slow path. Part of KernelsImpl.h: included only there.

template <int W> struct Rows {
    using O = Ops<W>;
    using F = typename O::F;
    using I = typename O::I;

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
#if defined(VORNIX_PATH_AVX512) || defined(VORNIX_PATH_AVX2)
        if constexpr (W == 8)
            return reinterpret_cast<F>(_mm256_i32gather_ps(base, reinterpret_cast<__m256i>(index), 4));
#endif
        F r;
        for (int k = 0; k < W; ++k)
            r[k] = base[index[k]];
        return r;
    }

    // The cells at index and index + 1 of every lane. With AVX-512 (AVX2) one 64-bit gather per eight (four) lanes
    // reads both (a gather costs about one read per element, so this halves it), and permutes split the pairs.
    static void gatherPair(const float* base, I index, F& first, F& second)
    {
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16) {
            const __m512i at = reinterpret_cast<__m512i>(index);
            const __m512 lo = _mm512_castpd_ps(_mm512_i32gather_pd(_mm512_castsi512_si256(at), base, 4));
            const __m512 hi = _mm512_castpd_ps(_mm512_i32gather_pd(_mm512_extracti64x4_epi64(at, 1), base, 4));
            const __m512i even = _mm512_set_epi32(30, 28, 26, 24, 22, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2, 0);
            const __m512i odd = _mm512_add_epi32(even, _mm512_set1_epi32(1));
            first = reinterpret_cast<F>(_mm512_permutex2var_ps(lo, even, hi));
            second = reinterpret_cast<F>(_mm512_permutex2var_ps(lo, odd, hi));
            return;
        }
#endif
#if defined(VORNIX_PATH_AVX512) || defined(VORNIX_PATH_AVX2)
        if constexpr (W == 8) {
            const __m256i at = reinterpret_cast<__m256i>(index);
            const double* const pairs = reinterpret_cast<const double*>(base);
            // lo: lanes 0..3 as pairs (a0 b0 a1 b1 | a2 b2 a3 b3), hi: lanes 4..7. (The masked form: GCC 12's plain
            // one starts from an undefined vector and warns.)
            const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
            const __m256 lo = _mm256_castpd_ps(
                _mm256_mask_i32gather_pd(_mm256_setzero_pd(), pairs, _mm256_castsi256_si128(at), all, 4));
            const __m256 hi = _mm256_castpd_ps(
                _mm256_mask_i32gather_pd(_mm256_setzero_pd(), pairs, _mm256_extracti128_si256(at, 1), all, 4));
            // Per 128-bit half the shuffle gives a0 a1 a4 a5 | a2 a3 a6 a7; the 64-bit permute puts them in order.
            first = reinterpret_cast<F>(_mm256_castpd_ps(_mm256_permute4x64_pd(
                _mm256_castps_pd(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0))), _MM_SHUFFLE(3, 1, 2, 0))));
            second = reinterpret_cast<F>(_mm256_castpd_ps(_mm256_permute4x64_pd(
                _mm256_castps_pd(_mm256_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1))), _MM_SHUFFLE(3, 1, 2, 0))));
            return;
        }
#endif
        first = gather(base, index);
        second = gather(base, index + 1);
    }

    // Where the four corners of a vector's cells come from: by gathers, or, with AVX-512 and where every lane's lower
    // row is r or r + 1 and its column within 31 of m, from windows of 32 floats of rows r, r + 1 and r + 2 by
    // permutes: a few instructions where a gather reads every element on its own. Same values either way.
    struct Corners {
        I at;          // each lane's lower-left corner (for gathers only)
        long window;   // the windows' first cell (row r, column m), or -1 for gathers
        I column;      // each lane's column less m
        I upper;       // the lanes whose lower row is r + 1
        bool third;    // whether any lane reads row r + 2
    };
    static Corners locate(I i0, I j0, int size)
    {
        Corners c{I{}, -1, I{}, I{}, false};
        // The lanes' own cells, for the gathers (the windows do without).
        const auto gathers = [&] {
            c.at = i0 + j0 * size;
            return c;
        };
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16) {
            using U = typename O::U;
            const int m = i0[0] > 7 ? i0[0] - 7 : 0;   // leaves room for lanes left of lane 0's column
            if (m + 32 > size)
                return gathers();
            c.column = i0 - m;
            if (O::any(reinterpret_cast<U>(c.column) > 30u))
                return gathers();
            int r = j0[0];
            if (O::any(reinterpret_cast<U>(j0 - r) > 1u)) {
                r -= 1;
                if (O::any(reinterpret_cast<U>(j0 - r) > 1u))
                    return gathers();
            }
            c.window = static_cast<long>(r) * size + m;
            c.upper = j0 != r;
            c.third = O::any(c.upper);
            return c;
        }
#endif
        return gathers();
    }
    // p00 and p10 (the lower-left corner and its right neighbour), p01 and p11 (the row above).
    static void fetch(const float* f, const Corners& c, int size, F& p00, F& p01, F& p10, F& p11)
    {
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16) {
            if (c.window >= 0) {
                const __m512i left = reinterpret_cast<__m512i>(c.column);
                const __m512i right = reinterpret_cast<__m512i>(c.column + 1);
                const float* row = f + c.window;
                const auto pick = [](const float* w, __m512i at) {
                    return reinterpret_cast<F>(_mm512_permutex2var_ps(_mm512_loadu_ps(w), at, _mm512_loadu_ps(w + 16)));
                };
                const F r0 = pick(row, left), r0b = pick(row, right);
                const F r1 = pick(row + size, left), r1b = pick(row + size, right);
                F r2 = r1, r2b = r1b;
                if (c.third) {
                    r2 = pick(row + 2L * size, left);
                    r2b = pick(row + 2L * size, right);
                }
                p00 = c.upper ? r1 : r0;
                p10 = c.upper ? r1b : r0b;
                p01 = c.upper ? r2 : r1;
                p11 = c.upper ? r2b : r1b;
                return;
            }
        }
#endif
        gatherPair(f, c.at, p00, p10);
        gatherPair(f, c.at + size, p01, p11);
    }

    // Whether any of the values, or a product or quotient of them with the stage's constants, may be subnormal.
    template <class... V> static bool tiny(V... values)
    {
        if constexpr (O::Checked) {
            typename O::Checker check;
            (check.add(values), ...);
            return check.below(TinyForReciprocal);
        }
        return false;
    }

    // a * x, formed in double when exact (only ever asked for on the checked widths).
    static F product(F x, float a, bool exact)
    {
        if constexpr (O::Checked)
            if (exact)
                return O::mulExact(x, static_cast<double>(a));
        return a * x;
    }

    // -0.5 * sum / n, formed in double when sum is tiny.
    static F halfQuotient(F sum, float n, double nd)
    {
        if constexpr (O::Checked)
            if (tiny(sum))
                return O::divExact(O::mulExact(sum, -0.5), n, nd, 1.0 / nd);
        return -0.5f * sum / n;
    }

    // The bilinear sample s0 * (t0 * p00 + t1 * p01) + s1 * (t0 * p10 + t1 * p11), its products formed in double
    // when any corner is tiny.
    static F sample(F s0, F s1, F t0, F t1, F p00, F p01, F p10, F p11)
    {
        if constexpr (O::Checked)
            if (tiny(p00, p01, p10, p11))
                return O::mulExact(s0, O::mulExact(t0, p00) + O::mulExact(t1, p01)) +
                       O::mulExact(s1, O::mulExact(t0, p10) + O::mulExact(t1, p11));
        return s0 * (t0 * p00 + t1 * p01) + s1 * (t0 * p10 + t1 * p11);
    }
};

template <int W>
void addSourceRange(float* __restrict x, const float* __restrict s, float dt, std::uint32_t begin, std::uint32_t end)
{
    using O = Ops<W>;
    std::uint32_t k = begin;
    if constexpr (W > 1)
        for (; k + W <= end; k += W)
            O::store(x + k, O::load(x + k) + dt * O::load(s + k));
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
    using O = Ops<W>;
    using F = typename R::F;
    using I = typename R::I;
    const float nf = static_cast<float>(g.n);
    const float dt0 = dt * nf;
    const int size = static_cast<int>(g.size);
    for (std::uint32_t j = j0; j < j1; ++j) {
        std::uint32_t i = 1;
        if constexpr (W > 1) {
            const F lo = O::splat(0.5f), hi = O::splat(nf + 0.5f);
            const F fj = O::splat(static_cast<float>(j));
            for (; i + W - 1 <= g.n; i += W) {
                const std::uint32_t o = g.ix(i, j);
                const F uo = O::load(u + o), vo = O::load(v + o);
                const bool tinyVelocity = R::tiny(uo, vo);
                // Column numbers below 2^24 are exact in float, so iota + i is (float)i lane by lane.
                F x = (R::iota() + static_cast<float>(i)) - R::product(uo, dt0, tinyVelocity);
                F y = fj - R::product(vo, dt0, tinyVelocity);
                x = x >= lo ? (x > hi ? hi : x) : lo;   // as clampPosition
                y = y >= lo ? (y > hi ? hi : y) : lo;
                const I i0 = __builtin_convertvector(x, I);   // truncation, as (int)x
                const I j0c = __builtin_convertvector(y, I);
                const F s1 = x - __builtin_convertvector(i0, F);
                const F s0 = 1.0f - s1;
                const F t1 = y - __builtin_convertvector(j0c, F);
                const F t0 = 1.0f - t1;
                const typename R::Corners corners = R::locate(i0, j0c, size);
                F p00, p01, p10, p11;
                R::fetch(d0, corners, size, p00, p01, p10, p11);
                O::store(d + o, R::sample(s0, s1, t0, t1, p00, p01, p10, p11));
                if constexpr (Two) {
                    F q00, q01, q10, q11;
                    R::fetch(e0, corners, size, q00, q01, q10, q11);
                    O::store(e + o, R::sample(s0, s1, t0, t1, q00, q01, q10, q11));
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
    using O = Ops<W>;
    using F = typename O::F;
    const float nf = static_cast<float>(g.n);
    const double nd = nf;
    const std::uint32_t s = g.size;
    for (std::uint32_t j = j0; j < j1; ++j) {
        std::uint32_t i = 1;
        if constexpr (W > 1)
            for (; i + W - 1 <= g.n; i += W) {
                const std::uint32_t o = g.ix(i, j);
                const F sum = O::load(u + o + 1) - O::load(u + o - 1) + O::load(v + o + s) - O::load(v + o - s);
                O::store(div + o, R::halfQuotient(sum, nf, nd));
                O::store(p + o, O::splat(0.0f));
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
    using O = Ops<W>;
    using F = typename O::F;
    const float nf = static_cast<float>(g.n);
    const float half = 0.5f * nf;
    const std::uint32_t s = g.size;
    for (std::uint32_t j = j0; j < j1; ++j) {
        std::uint32_t i = 1;
        if constexpr (W > 1)
            for (; i + W - 1 <= g.n; i += W) {
                const std::uint32_t o = g.ix(i, j);
                const F dx = O::load(p + o + 1) - O::load(p + o - 1);
                const F dy = O::load(p + o + s) - O::load(p + o - s);
                const bool exact = R::tiny(dx, dy);
                O::store(u + o, O::load(u + o) - R::product(dx, half, exact));
                O::store(v + o, O::load(v + o) - R::product(dy, half, exact));
            }
        for (; i <= g.n; ++i) {
            u[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i + 1, j)] - p[g.ix(i - 1, j)]);
            v[g.ix(i, j)] -= 0.5f * nf * (p[g.ix(i, j + 1)] - p[g.ix(i, j - 1)]);
        }
    }
}
