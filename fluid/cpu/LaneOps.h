// Vector types and the few operations the kernels need per vector width, written once with GCC vector extensions
// where that gives good code and with the path's own instructions where it does not (the per-path unit defines
// VORNIX_PATH_AVX512 or VORNIX_PATH_AVX2). Part of KernelsImpl.h: included only there, inside its unnamed namespace.

template <int W> struct Lanes {
    typedef float F __attribute__((vector_size(4 * W)));
    typedef int I __attribute__((vector_size(4 * W)));
    typedef unsigned U __attribute__((vector_size(4 * W)));
};

// Magnitudes below which a sweep leaves its fast arithmetic (see Ops::Check): under TinyForReciprocal the division
// through the reciprocal is not proven exact; under TinyForHardware the float unit may meet a subnormal number,
// which Intel cores handle in microcode at more than a hundred cycles per instruction.
constexpr float TinyForReciprocal = 0x1p-100f;
constexpr float TinyForHardware = 0x1p-118f;

template <int W> struct Ops {
    using F = typename Lanes<W>::F;
    using I = typename Lanes<W>::I;
    using U = typename Lanes<W>::U;

#if defined(VORNIX_PATH_AVX512)
    static constexpr bool Avx512 = W == 16;
    static constexpr bool Fma = W >= 4;
    static constexpr int Registers = 32;
#elif defined(VORNIX_PATH_AVX2)
    static constexpr bool Avx512 = false;
    static constexpr bool Fma = W >= 4;
    static constexpr int Registers = 16;
#else
    static constexpr bool Avx512 = false;
    static constexpr bool Fma = false;
    static constexpr int Registers = 16;
#endif
    // The widths that divide through the reciprocal, check every result and leave tiny numbers to double
    // precision (Pass); the narrower ones keep the plain float operations throughout.
    static constexpr bool Checked = Fma;

    static F load(const float* p)
    {
        F v;
        __builtin_memcpy(&v, p, sizeof v);
        return v;
    }
    static void store(float* p, F v) { __builtin_memcpy(p, &v, sizeof v); }
    // Every lane s, bit for bit (F{} + s would make -0 a +0), written as a constructor of equal lanes, which GCC
    // makes one broadcast (a loop over the lanes it makes a chain of inserts).
    template <unsigned long... K> static F splat(float s, std::integer_sequence<unsigned long, K...>)
    {
        return F{((void)K, s)...};
    }
    static F splat(float s) { return splat(s, std::make_integer_sequence<unsigned long, W>()); }
    static F flip(F v, I sign) { return reinterpret_cast<F>(reinterpret_cast<I>(v) ^ sign); }
    // Whether any lane of a comparison result is set.
    template <class M> static bool any(M m)
    {
#if defined(VORNIX_PATH_AVX512)
        if constexpr (sizeof m == 64) {
            __m512i v;
            __builtin_memcpy(&v, &m, sizeof v);
            return _mm512_test_epi32_mask(v, v) != 0;
        }
#endif
#if defined(VORNIX_PATH_AVX512) || defined(VORNIX_PATH_AVX2)
        if constexpr (sizeof m == 32) {
            __m256i v;
            __builtin_memcpy(&v, &m, sizeof v);
            return !_mm256_testz_si256(v, v);
        }
#endif
        bool set = false;
        for (unsigned k = 0; k < sizeof m / sizeof m[0]; ++k)
            set = set || m[k] != 0;
        return set;
    }

    // Element W - 1 from *first, element k from element k + 1 of v (the sweeps' lanes run from the top element down,
    // see Pass). With AVX-512 one valignd against a broadcast load; the two-source shuffle GCC makes of the generic
    // form costs more.
    template <unsigned long... K> static F shiftIn(F first, F v, std::integer_sequence<unsigned long, K...>)
    {
        return __builtin_shufflevector(v, first, (K == W - 1 ? W : static_cast<int>(K) + 1)...);
    }
    static F shiftIn(const float* first, F v)
    {
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16) {
            int bits;
            __builtin_memcpy(&bits, first, sizeof bits);
            return reinterpret_cast<F>(_mm512_alignr_epi32(_mm512_set1_epi32(bits), reinterpret_cast<__m512i>(v), 1));
        }
#endif
        return shiftIn(splat(*first), v, std::make_integer_sequence<unsigned long, W>());
    }

#if defined(VORNIX_PATH_AVX512)
    // shiftIn on each 128-bit half of an 8-lane vector, as if it were two 4-lane ones: elements 3 and 7 from *low and
    // *high, every other element from the next one in its half (vpalignr works within halves).
    static F shiftInHalves(const float* low, const float* high, F v)
    {
        static_assert(W == 8, "two 4-lane halves");
        const __m256 ends = _mm256_blend_ps(_mm256_broadcast_ss(low), _mm256_broadcast_ss(high), 0xf0);
        return reinterpret_cast<F>(_mm256_alignr_epi8(_mm256_castps_si256(ends), reinterpret_cast<__m256i>(v), 4));
    }
#endif

    // *p = element 0: a plain scalar store, no shuffle.
    static void storeFirst(float* p, F v) { *p = v[0]; }

    // a * b - c with one rounding (the only fused operations in the program, used where the exact residual of a
    // product is the point).
    static F fusedMulSub(F a, F b, F c)
    {
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16)
            return reinterpret_cast<F>(_mm512_fmsub_ps(reinterpret_cast<__m512>(a), reinterpret_cast<__m512>(b),
                                                       reinterpret_cast<__m512>(c)));
#endif
#if defined(VORNIX_PATH_AVX512) || defined(VORNIX_PATH_AVX2)
        if constexpr (W == 8)
            return reinterpret_cast<F>(_mm256_fmsub_ps(reinterpret_cast<__m256>(a), reinterpret_cast<__m256>(b),
                                                       reinterpret_cast<__m256>(c)));
        if constexpr (W == 4)
            return reinterpret_cast<F>(_mm_fmsub_ps(reinterpret_cast<__m128>(a), reinterpret_cast<__m128>(b),
                                                    reinterpret_cast<__m128>(c)));
#endif
        static_assert(W < 0 || Fma, "no fused multiply-add on this path");
        return a * b - c;
    }
    // c - a * b with one rounding.
    static F fusedNegMulAdd(F a, F b, F c)
    {
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16)
            return reinterpret_cast<F>(_mm512_fnmadd_ps(reinterpret_cast<__m512>(a), reinterpret_cast<__m512>(b),
                                                        reinterpret_cast<__m512>(c)));
#endif
#if defined(VORNIX_PATH_AVX512) || defined(VORNIX_PATH_AVX2)
        if constexpr (W == 8)
            return reinterpret_cast<F>(_mm256_fnmadd_ps(reinterpret_cast<__m256>(a), reinterpret_cast<__m256>(b),
                                                        reinterpret_cast<__m256>(c)));
        if constexpr (W == 4)
            return reinterpret_cast<F>(_mm_fnmadd_ps(reinterpret_cast<__m128>(a), reinterpret_cast<__m128>(b),
                                                     reinterpret_cast<__m128>(c)));
#endif
        static_assert(W < 0 || Fma, "no fused multiply-add on this path");
        return c - a * b;
    }

    // t / c through the rounded reciprocal rc and one correction with the exact residual: q0 = t * rc,
    // r = q0 * c - t in one fused operation, q = q0 - r * rc. For a divisor checked by reciprocalIsExact:
    // - finite |t| >= 2^-102: t / c to the last bit (the argument is at reciprocalIsExact);
    // - t = +-0: +-0, as t / c (written with the residual's sign flipped for that: -0 * rc - -0 = +0, -0 - +0 = -0);
    // - 0 < |t| < 2^-102: not exact. Rounding q0 and r to the subnormal grid loses the argument's scaling: for
    //   c = 2 - 2^-23 and t = 2^-149 it gives 0 where t / c rounds to 2^-149;
    // - infinity or NaN: NaN (inf - inf in the residual).
    // So a caller must look at the dividends, not the quotients (a wrong one can be 0): the sweeps use this only
    // while every dividend of a step is 0 or at least TinyForReciprocal = 2^-100, finite, and redo the step otherwise.
    static F reciprocalDivide(F t, F c, F rc)
    {
        const F q0 = t * rc;
        return fusedNegMulAdd(fusedMulSub(q0, c, t), rc, q0);
    }

    // The proof for one divisor c in [1, 2^20]: for every t in [1, 2) reciprocalDivide(t) equals t / c and its
    // residual q0 * c - t is exact (a float); this loop checks all 2^23 of them. For t * 2^e every step then scales
    // by 2^e exactly as long as q0 and q stay normal and the residual stays exact: q0 and q are about t / c >=
    // 2^-102 / 2^20, normal; the residual's exact value is a multiple of ulp(q0) * ulp(c) >= 2^(e - 47) (q0 * c is
    // within a factor two of t), a multiple of 2^-149 for e >= -102, and its magnitude keeps the 24 bits it had at
    // e = 0, so it is a float, subnormal or not. Nothing overflows (rc <= 1, the fused product is not rounded).
    // Negative t mirror positive ones (rounding to nearest is symmetric). Hence exact for 2^-102 <= |t| <= the
    // largest float. About 2^23 / W iterations: a few milliseconds.
    static bool reciprocalIsExact(float c)
    {
        if constexpr (Fma) {
            if (!(c >= 1.0f && c <= 0x1p20f))
                return false;
            const F cv = splat(c), rcv = splat(1.0f / c);
            I lane{};
            for (int k = 0; k < W; ++k)
                lane[k] = k;
            I wrong{};
            for (int base = 0x3f800000; base < 0x40000000; base += W) {
                const F t = reinterpret_cast<F>(lane + base);
                const F q0 = t * rcv;
                wrong |= reinterpret_cast<I>(reciprocalDivide(t, cv, rcv)) ^ reinterpret_cast<I>(t / cv);
                // In double, q0 * c is exact (48 bits) and so is its difference to t (within a factor of two); the
                // fused residual must be that number, i.e. exact in float.
                wrong |= reinterpret_cast<I>(fusedMulSub(q0, cv, t)) ^
                         reinterpret_cast<I>(inDouble(q0, static_cast<double>(c), t));
            }
            return !any(wrong);
        }
        return false;
    }

    // Through double precision, rounded back to float: a * x - y for Product (exact here), x * y for Pair, x / c
    // through the reciprocal rc and one exact correction for Quotient. Eight lanes at a time with AVX-512, four
    // with AVX.
    enum DoubleOp { Product, Pair, Quotient };
    template <DoubleOp Op> static F viaDouble(F x, F y, double a, double rc)
    {
        F r{};
#if defined(VORNIX_PATH_AVX512)
        if constexpr (W == 16) {
            const __m512d a8 = _mm512_set1_pd(a), rc8 = _mm512_set1_pd(rc);
            const __m512 xv = reinterpret_cast<__m512>(x), yv = reinterpret_cast<__m512>(y);
            __m256 half[2];
            for (int h = 0; h < 2; ++h) {
                const __m512d xd = _mm512_cvtps_pd(h ? _mm512_extractf32x8_ps(xv, 1) : _mm512_castps512_ps256(xv));
                __m512d result;
                if constexpr (Op != Quotient) {
                    const __m256 yh = h ? _mm512_extractf32x8_ps(yv, 1) : _mm512_castps512_ps256(yv);
                    if constexpr (Op == Product)
                        result = _mm512_sub_pd(_mm512_mul_pd(xd, a8), _mm512_cvtps_pd(yh));
                    else
                        result = _mm512_mul_pd(xd, _mm512_cvtps_pd(yh));
                } else {
                    const __m512d q0 = _mm512_mul_pd(xd, rc8);
                    const __m512d residual = _mm512_fnmadd_pd(q0, a8, xd);   // x - q0 * c, exact
                    result = _mm512_fmadd_pd(residual, rc8, q0);
                }
                half[h] = _mm512_cvtpd_ps(result);
            }
            return reinterpret_cast<F>(_mm512_insertf32x8(_mm512_castps256_ps512(half[0]), half[1], 1));
        }
#endif
#if defined(VORNIX_PATH_AVX512) || defined(VORNIX_PATH_AVX2)
        const __m256d a4 = _mm256_set1_pd(a), rc4 = _mm256_set1_pd(rc);
        for (int k = 0; k < W; k += 4) {
            __m128 part, other;
            __builtin_memcpy(&part, reinterpret_cast<const float*>(&x) + k, sizeof part);
            __builtin_memcpy(&other, reinterpret_cast<const float*>(&y) + k, sizeof other);
            const __m256d xd = _mm256_cvtps_pd(part);
            __m256d result;
            if constexpr (Op == Product) {
                result = _mm256_sub_pd(_mm256_mul_pd(xd, a4), _mm256_cvtps_pd(other));
            } else if constexpr (Op == Pair) {
                result = _mm256_mul_pd(xd, _mm256_cvtps_pd(other));
            } else {
                const __m256d q0 = _mm256_mul_pd(xd, rc4);
                const __m256d residual = _mm256_fnmadd_pd(q0, a4, xd);   // x - q0 * c, exact
                result = _mm256_fmadd_pd(residual, rc4, q0);
            }
            part = _mm256_cvtpd_ps(result);
            __builtin_memcpy(reinterpret_cast<float*>(&r) + k, &part, sizeof part);
        }
#else
        (void)x, (void)y, (void)a, (void)rc;
#endif
        return r;
    }
    // q0 * c - t formed in double (exact here) and rounded to float.
    static F inDouble(F q0, double c, F t) { return viaDouble<Product>(q0, t, c, 0); }

    // a * x and t / c rounded exactly once without ever giving the float unit a subnormal number: each product or
    // quotient is formed in double precision, where these numbers are normal, and rounded to float on the way back
    // (conversions never take the slow path). A product of two floats is exact in double; the quotient is corrected
    // once with its exact residual, which leaves it within a tiny fraction of a double's last place of t / c and
    // exact where t / c is a float or lies half-way between two, so that the rounding to float is that of the true
    // quotient. Lanes of t that are infinite or NaN divide in float, which is quick for them.
    static F mulExact(F x, double a)
    {
        static_assert(W < 0 || Fma, "exact helpers are for the checked paths");
        return viaDouble<Product>(x, F{}, a, 0);
    }
    static F mulExact(F x, F y)
    {
        static_assert(W < 0 || Fma, "exact helpers are for the checked paths");
        return viaDouble<Pair>(x, y, 0, 0);
    }
    static F divExact(F t, float c, double cd, double rcd)
    {
        static_assert(W < 0 || Fma, "exact helpers are for the checked paths");
        const F q = viaDouble<Quotient>(t, t, cd, rcd);
        const I special = (reinterpret_cast<I>(t) & 0x7f800000) == 0x7f800000;
        if (!any(special))
            return q;
        // Only the special lanes divide in float; the others divide 1 / c, so that no tiny number reaches it.
        const F inFloat = (special ? t : splat(1.0f)) / c;
        return special ? inFloat : q;
    }

    // The smallest magnitude among the nonzero results of a sweep step, with NaN and infinity counted as 0: whether
    // the step may keep its fast arithmetic. Generic form: |r| - 1 as unsigned, so that 0 becomes the largest, and
    // |r| for NaN and infinity.
    struct Check {
        U smallestLess1 = U{} - 1u;
        U largest = U{};
        void add(F r)
        {
            const U magnitude = reinterpret_cast<U>(r) & 0x7fffffffu;
            const U less1 = magnitude - 1u;
            smallestLess1 = smallestLess1 < less1 ? smallestLess1 : less1;
            largest = largest > magnitude ? largest : magnitude;
        }
        bool below(float limit) const
        {
            unsigned bits;
            __builtin_memcpy(&bits, &limit, sizeof bits);
            return any((smallestLess1 < bits - 1u) | (largest >= 0x7f800000u));
        }
    };
#if defined(VORNIX_PATH_AVX512)
    // With AVX-512 two instructions per vector of any width: vfixupimm turns 0 into +inf and NaN or infinity into
    // 0, vrange keeps the smaller magnitude. (The fixup's first operand is only kept where the table says so, which
    // it never does: a zero there spares a copy of r.)
    struct WideCheck {
        F smallest;
        WideCheck() : smallest(splat(__builtin_inff())) {}
        void add(F r)
        {
            if constexpr (W == 16) {
                const __m512 v = reinterpret_cast<__m512>(r);
                smallest = reinterpret_cast<F>(_mm512_range_ps(
                    reinterpret_cast<__m512>(smallest),
                    _mm512_fixupimm_ps(_mm512_setzero_ps(), v, _mm512_set1_epi32(0x11881588), 0), 0x0a));
            } else if constexpr (W == 8) {
                const __m256 v = reinterpret_cast<__m256>(r);
                smallest = reinterpret_cast<F>(_mm256_range_ps(
                    reinterpret_cast<__m256>(smallest),
                    _mm256_fixupimm_ps(_mm256_setzero_ps(), v, _mm256_set1_epi32(0x11881588), 0), 0x0a));
            } else {
                const __m128 v = reinterpret_cast<__m128>(r);
                smallest = reinterpret_cast<F>(
                    _mm_range_ps(reinterpret_cast<__m128>(smallest),
                                 _mm_fixupimm_ps(_mm_setzero_ps(), v, _mm_set1_epi32(0x11881588), 0), 0x0a));
            }
        }
        bool below(float limit) const { return any(smallest < limit); }
    };
    using Checker = std::conditional_t<W >= 4, WideCheck, Check>;
#else
    using Checker = Check;
#endif
};
