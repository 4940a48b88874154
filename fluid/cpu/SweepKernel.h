// The sweep passes (see SweepPass in KernelSet.h). Part of KernelsImpl.h: included only there.

// How a sweep divides: (a * sum + x0) / c in general, through the reciprocal where that is proven exact for this c
// (Ops::reciprocalIsExact); c == 1 needs no division; a == 1, c == 4 (the pressure solve) is exactly
// (sum + x0) * 0.25, since 1 * sum == sum and a division by a power of two is a multiplication.
enum SweepMode { Dividing, Reciprocal, NoDivision, Quarter };

// The arithmetic of one step of P stages. Fast: the reciprocal division where the mode has it, otherwise Float, the
// float operations of the straightforward loops. Exact: products and quotients formed in double precision, for steps
// among tiny numbers (Ops::mulExact, divExact); the same bits without the float unit's slow path for subnormals.
enum Arith { Fast, Float, Exact };

// One pass of W sweeps. Lane k of stage t is row t - 2k after sweep k; a stage walks the columns. Lane k is vector
// element W - 1 - k, so that the finished value (lane W - 1) sits in element 0, where a scalar store takes it without
// a shuffle (a masked store of the top element, or moving it down first, costs a fifth of a 16-lane step on Zen 4).
// P consecutive stages run interleaved, stage t + q one column behind stage t + q - 1 (which it needs up to that
// column), so that P independent chains are in flight; they hand the cell below and the right neighbour over in
// registers.
//
// Scratch, column by column (Column floats each): the V vectors of the stages t = 0, 1, 2, 3 (mod 4), i.e. the x
// values of a stage for the next two (columns 0 and n + 1 hold the walls that sweep k + 1 reads), then the X vectors
// likewise (lane k: x0 of row t - 2k, shifted on by one lane every two stages). A stage reads the slots of stages
// t - 1 and t - 2 and writes its own, so a step can be computed again from the same memory. Groups start at stages
// t0 = 0 (mod 4), which fixes every slot's offset at compile time. After the columns: a sink row.
//
// Checked widths watch a step's numbers: in the reciprocal mode every dividend that goes through the reciprocal (not
// those of the stages left to the divider, Pass::onDivider), and while all are at least TinyForReciprocal (or 0) the
// division through the reciprocal is exact; a step that falls below is computed again in float (or in double below
// TinyForHardware) from the same inputs. Elsewhere results are watched only to steer around the float unit's slow
// path. The next step starts in the arithmetic that the last one needed, as tiny numbers come in regions.
template <int W, int Stages = 8> struct Pass {
    using O = Ops<W>;
    using F = typename O::F;
    using I = typename O::I;
    static constexpr int P = Stages;
    static_assert(P % 4 == 0 && PassChunk % P == 0, "groups start at stages 0 (mod 4), and chunks hold whole groups");
    static constexpr long Column = 8 * W;
    // The divider takes a 512-bit vector every ten cycles or so and a step's other work takes fewer: only there does
    // the division through the reciprocal, with its three operations and a full check, pay. A narrower vector
    // divides while the other two or three ports are busy with the rest.
    static constexpr bool ReciprocalPays = O::Checked && W == 16;
    // In the reciprocal mode the even stages still divide plainly: the divider works beside the two ports that the
    // rest of a step keeps busy, and such a stage needs no watch of its dividends (its quotients are the float
    // division's), so a step shared between the two takes less than either alone (measured on an Intel Xeon, where a
    // 512-bit division occupies the divider for about ten cycles: half the stages on the divider did best).
    static constexpr bool onDivider(int q) { return q % 2 == 0; }
    // Whether stage q hands its X vector on in registers from step to step (see step) instead of through the
    // scratch: only where the path has 32 vector registers; there every stage of narrower vectors, and with 16
    // lanes the first four (read by stages 2 to 5). Carrying more of them, or with 16 registers, GCC spills (or,
    // with six of eight at 16 lanes, the dividing step slows by a fifth), which costs more than the stores saved.
    static constexpr bool carriesX(int q) { return O::Registers == 32 && (W < 16 || q < 4); }
    // Whether the steady steps of a 4-lane pass run two stages to a 256-bit vector (pairedSteps): where the path has
    // them and 32 registers. A 256-bit operation costs what a 128-bit one does, so such a step does its arithmetic in
    // half the operations.
    static constexpr bool Paired = O::Registers == 32 && W == 4;

    struct Coefficients {
        F a, c, rc;
        float cf;
        double ad, cd, rcd;
    };
    // Which walls the lanes of a group of stages meet (a template argument: most groups meet none).
    static constexpr int BottomEdge = 1, TopEdge = 2;
    struct Edges {
        I bottom, top, first;   // lanes on row 0 (k >= 1), on row n + 1, lane 0 on row 0
        I above;                // lanes above row n + 1
    };
    struct Group {
        const float* row[P + 1];   // x rows t0 .. t0 + P (the last: the up neighbours of the last stage), or zeros
        const float* src[P];       // x0 rows t0 .. t0 + P - 1, or zeros
        float* out[P];             // x rows t - 2(W - 1), which lane W - 1 finishes, or the sink
        float* scratch;
        I signX, signY;
        int n;
        Coefficients k;
        Edges edges[P];
    };

    // The float operations of the straightforward loops, for this width or two stages side by side (pairedStep).
    template <int Mode, class V> static V relaxFloat(V sum, V src, V a, V c)
    {
        if constexpr (Mode == Quarter)
            return (sum + src) * 0.25f;
        else if constexpr (Mode == NoDivision)
            return a * sum + src;
        else
            return (a * sum + src) / c;
    }

    // plain: in the reciprocal mode's fast steps, divide as the float loops do (onDivider).
    template <int Mode, Arith A, class Checker>
    static F relax(F sum, F src, const Coefficients& k, Checker& check, bool plain)
    {
        if constexpr (A == Exact) {
            if constexpr (Mode == Quarter) {
                return O::mulExact(sum + src, 0.25);
            } else {
                const F m = O::mulExact(sum, k.ad);
                if constexpr (Mode == NoDivision)
                    return m + src;
                else
                    return O::divExact(m + src, k.cf, k.cd, k.rcd);
            }
        } else if constexpr (A == Fast && Mode == Reciprocal) {
            if (plain)
                return relaxFloat<Dividing>(sum, src, k.a, k.c);
            // Exact only for the dividends Ops::reciprocalDivide names, so the step watches the dividends: a wrong
            // quotient of a tiny one can be 0, which a watch of the results would let pass.
            const F t = k.a * sum + src;
            check.add(t);
            return O::reciprocalDivide(t, k.c, k.rc);
        } else
            return relaxFloat<Mode>(sum, src, k.a, k.c);
    }

    // Step j: stage q does column j - q, from the last stage to the first, so that last[q - 1] and last[q - 2]
    // still hold what those stages did one step ago (the cell below and the right neighbour as of the previous
    // sweep). Results go to next[]; only the group's last two stages and the wall columns go through memory.
    // A step hands to the next, in registers, each stage's result (last: the cell below and the right neighbour of the
    // next two stages) and, where carriesX, its X vector (stage t + 2 reads stage t's two steps later, at the same
    // column). The other stages write their X vectors to memory, and so do the group's last two, for the next group.
    // (Separate arrays: GCC keeps a small array of vectors in registers, not a large aggregate.)
    template <int Mode, Arith A, int Edge, bool Guard, class Checker>
    static void step(const Group& group, const F* last, const F* xTwoBack, F* next, F* xNext, int j, Checker& check)
    {
        // The 25 row pointers are read from the table at each use: kept in registers, GCC parks them in vector
        // registers and pays a move on the busiest ports for every access.
        const Group* table = &group;
        __asm__ volatile("" : "+r"(table));
        const Group& g = *table;
        const int n = g.n;
        float* const cols = g.scratch + static_cast<long>(j) * Column;
        F upFromAbove{};
        bool haveUp = false;
#pragma GCC unroll 16
        for (int q = P - 1; q >= 0; --q) {
            const int i = j - q;
            if constexpr (Guard)
                if (i < 1 || i > n) {
                    next[q] = last[q];
                    if (carriesX(q))
                        xNext[q] = F{};
                    haveUp = false;
                    continue;
                }
            const float* const row = g.row[q] + i;
            float* const col = cols - q * Column;                      // scratch column i
            float* const v = col + (q & 3) * W;
            const float* const vBelow = col + ((q + 3) & 3) * W;   // stage t - 1
            const float* const vRight = col + ((q + 2) & 3) * W;   // stage t - 2
            float* const x = col + (4 + (q & 3)) * W;
            const float* const xBefore = col + (4 + ((q + 2) & 3)) * W;
            F left = last[q];
            if (Guard && i == 1)
                left = O::shiftIn(row - 1, O::load(vRight - Column));
            const F down = q > 0 ? last[q > 0 ? q - 1 : 0] : O::load(vBelow);
            F rightBase = q >= 2 ? last[q >= 2 ? q - 2 : 0] : O::load(vRight + Column);
            if (Guard && q >= 2 && i == n)
                rightBase = O::flip(rightBase, g.signX);
            const F right = O::shiftIn(row + 1, rightBase);
            // This stage's up neighbour (row t + 1 after the previous sweep) is the right neighbour that stage
            // t + 1, one column to the left, has just formed: one shift serves both.
            const F up = q == P - 1 || (Guard && !haveUp) ? O::shiftIn(g.row[q + 1] + i, down) : upFromAbove;
            upFromAbove = right;
            haveUp = true;
            const bool carried = q >= 2 && carriesX(q >= 2 ? q - 2 : 0);
            const F src = O::shiftIn(g.src[q] + i, carried ? xTwoBack[q >= 2 ? q - 2 : 0] : O::load(xBefore));
            if (carriesX(q))
                xNext[q] = src;
            if (!carriesX(q) || q >= P - 2)
                O::store(x, src);
            const F sum = ((left + right) + down) + up;
            F r = relax<Mode, A>(sum, src, g.k, check, onDivider(q));
            // A lane on row 0 has t - 2k = 0, so only even stages have one (t0 is even), and lane 0 only in stage 0.
            // (The three lane sets are disjoint: their order does not matter.)
            if constexpr ((Edge & BottomEdge) != 0)
                if (q % 2 == 0) {
                    r = g.edges[q].bottom ? O::flip(up, g.signY) : r;
                    if (q == 0)
                        r = g.edges[q].first ? O::splat(*row) : r;
                }
            // Lanes above the top wall feed only each other, and nothing of them is kept; left alone they carry the
            // wall's values on, shrinking row by row, until they look tiny and send whole steps to the exact
            // arithmetic (a third of the top groups' steps in a diffusion, measured). Zero they never do.
            if constexpr ((Edge & TopEdge) != 0) {
                r = g.edges[q].top ? O::flip(down, g.signY) : r;
                r = g.edges[q].above ? F{} : r;
            }
            // The reciprocal division has watched its dividends (relax). Elsewhere the check only steers around the
            // slow path: every result of a step that redoes a reciprocal one, otherwise the last two stages (the
            // group's window is 32 rows tall, tiny numbers come in regions).
            if (Mode == Reciprocal ? A != Fast : q >= P - 2)
                check.add(r);
            if (q >= P - 2)
                O::store(v, r);
            next[q] = r;
            O::storeFirst(g.out[q] + i, r);
            if (Guard && i == 1)
                O::store(v - Column, O::flip(r, g.signX));
            if (Guard && i == n)
                O::store(v + Column, O::flip(r, g.signX));
        }
    }

    // Two 4-lane vectors side by side in one 8-lane vector, and back.
    using Wide = Ops<2 * W>;
    using FF = typename Wide::F;
    template <unsigned long... K> static FF join(F low, F high, std::integer_sequence<unsigned long, K...>)
    {
        return __builtin_shufflevector(low, high, K...);
    }
    static FF join(F low, F high) { return join(low, high, std::make_integer_sequence<unsigned long, 2 * W>()); }
    // Elements From .. From + W - 1 of v.
    template <unsigned long From, unsigned long... K> static F half(FF v, std::integer_sequence<unsigned long, K...>)
    {
        return __builtin_shufflevector(v, v, (From + K)...);
    }
    static F low(FF v) { return half<0>(v, std::make_integer_sequence<unsigned long, W>()); }
    static F high(FF v) { return half<W>(v, std::make_integer_sequence<unsigned long, W>()); }
    // One half of a, then the low half of b (elements 2W .. 3W - 1 of the pair a, b): one shuffle.
    template <unsigned long FromA, unsigned long... K>
    static FF halves(FF a, FF b, std::integer_sequence<unsigned long, K...>)
    {
        return __builtin_shufflevector(a, b, (FromA + K)..., (2 * W + K)...);
    }
    static FF highLow(FF a, FF b) { return halves<W>(a, b, std::make_integer_sequence<unsigned long, W>()); }
    static FF lowLow(FF a, FF b) { return halves<0>(a, b, std::make_integer_sequence<unsigned long, W>()); }

    // Steps j, j + 1, ... up to end (all inside columns [2, n - 1], no walls near), while the arithmetic stays fast,
    // with stages 2h and 2h + 1 in the low and high half of one vector: the 4-lane step, vector by vector, in half
    // the operations. The state (last, x1, x2) comes in and goes out as the 4-lane step keeps it. Returns the next
    // step.
    template <int Mode> static int pairedSteps(const Group& group, F* last, F* x1, F* x2, int j, int end, Arith& arith)
    {
        static_assert(Paired && Mode != Reciprocal);
        constexpr int H = P / 2;
        FF l[H], ya[H], yb[H];
        for (int h = 0; h < H; ++h) {
            l[h] = join(last[2 * h], last[2 * h + 1]);
            ya[h] = join(x2[2 * h], x2[2 * h + 1]);
            yb[h] = join(x1[2 * h], x1[2 * h + 1]);
        }
        const FF a = Wide::splat(group.k.a[0]), c = Wide::splat(group.k.c[0]);
        // Two steps per round, so that the X vectors of one and two steps back swap arrays instead of moving.
        bool odd = false;
        while (j <= end && arith == Fast) {
            arith = pairedStep<Mode>(group, l, ya, a, c, j++);
            if (j > end || arith != Fast) {
                odd = true;
                break;
            }
            arith = pairedStep<Mode>(group, l, yb, a, c, j++);
        }
        const FF* one = odd ? ya : yb;
        const FF* two = odd ? yb : ya;
        for (int h = 0; h < H; ++h) {
            last[2 * h] = low(l[h]), last[2 * h + 1] = high(l[h]);
            x1[2 * h] = low(one[h]), x1[2 * h + 1] = high(one[h]);
            x2[2 * h] = low(two[h]), x2[2 * h + 1] = high(two[h]);
        }
        return j;
    }

    // One step of pairedSteps: l holds the pairs' last vectors, y their X vectors of two steps ago; both are
    // replaced by this step's. Returns the arithmetic the next step needs.
    //   Per pair: left is the pair's own last vector; the right neighbours' base is the previous pair's (stages
    //   2h - 2 and 2h - 1), and so is the X vector of two steps ago; the cells below are that pair's high half and
    //   this pair's low half; the up neighbours are this pair's high right half and the next pair's low one.
    //   Pair 0 reads stages t0 - 2 and t0 - 1 from the scratch, as stages 0 and 1 do. (8-float loads there: only
    //   their low halves are used, and they stay inside the scratch.) Pairs run from the last down, so a pair's
    //   vectors are replaced only after the pair above has read them.
    //   Away from the walls every row lies at a fixed distance from the last: addresses from the first rows only.
    template <int Mode> __attribute__((always_inline)) static Arith pairedStep(const Group& g, FF* l, FF* y, FF a,
                                                                              FF c, int j)
    {
        constexpr int H = P / 2;
        const long size = g.row[1] - g.row[0];   // floats from a row to the next (no wall near: all rows of x)
        const long stride = size - 1;            // from (row t, column i) to (row t + 1, column i - 1)
        const float* const rows = g.row[0] + j;
        const float* const srcs = g.src[0] + j;
        float* const outs = g.out[0] + j;
        float* const cols = g.scratch + static_cast<long>(j) * Column;
        typename Wide::Checker check;
        FF rightAbove{};
#pragma GCC unroll 8
        for (int h = H - 1; h >= 0; --h) {
            const int qa = 2 * h, qb = qa + 1;
            const long at = qa * stride, bt = qb * stride;
            float* const colA = cols - qa * Column;
            float* const colB = colA - Column;
            const int before = h > 0 ? h - 1 : 0;
            const FF down = h > 0 ? highLow(l[before], l[h]) : lowLow(Wide::load(colA + 3 * W), l[0]);
            const FF rightBase =
                h > 0 ? l[before] : lowLow(Wide::load(colA + Column + 2 * W), Wide::load(colB + Column + 3 * W));
            const FF srcBase = h > 0 ? y[before] : lowLow(Wide::load(colA + 6 * W), Wide::load(colB + 7 * W));
            const FF right = Wide::shiftInHalves(rows + at + 1, rows + bt + 1, rightBase);
            const FF up = h < H - 1 ? highLow(right, rightAbove)
                                    : join(high(right), O::shiftIn(rows + bt + size, low(l[h])));
            rightAbove = right;
            const FF src = Wide::shiftInHalves(srcs + at, srcs + bt, srcBase);
            const FF sum = ((l[h] + right) + down) + up;
            const FF r = relaxFloat<Mode>(sum, src, a, c);
            if (h == H - 1) {
                check.add(r);
                O::store(colA + (4 + (qa & 3)) * W, low(src));
                O::store(colB + (4 + (qb & 3)) * W, high(src));
                O::store(colA + (qa & 3) * W, low(r));
                O::store(colB + (qb & 3) * W, high(r));
            }
            outs[at] = r[0];
            outs[bt] = r[W];
            l[h] = r;
            y[h] = src;
        }
        return needed<Mode>(check);
    }

    struct NoCheck {
        void add(F) {}
    };

    template <int Mode, class Checker> __attribute__((always_inline)) static Arith needed(const Checker& check)
    {
        if (check.below(TinyForHardware))
            return Exact;
        if (Mode == Reciprocal && check.below(TinyForReciprocal))
            return Float;
        return Fast;
    }

    // One step in the arithmetic the previous one left, redone where its results are not proven; returns the
    // arithmetic for the next step.
    template <int Mode, bool Checked, int Edge, bool Guard>
    static void checkedStep(const Group& g, F* last, F* x1, F* x2, int j, Arith& arith)
    {
        F next[P], xNext[P];
        if constexpr (!Checked) {
            NoCheck none;
            step<Mode, Fast, Edge, Guard>(g, last, x2, next, xNext, j, none);
        } else {
            typename O::Checker check;
            if (arith == Fast) {
                step<Mode, Fast, Edge, Guard>(g, last, x2, next, xNext, j, check);
                arith = needed<Mode>(check);
                if (Mode == Reciprocal && arith != Fast) {
                    typename O::Checker again;
                    if (arith == Exact)
                        step<Mode, Exact, Edge, Guard>(g, last, x2, next, xNext, j, again);
                    else
                        step<Mode, Float, Edge, Guard>(g, last, x2, next, xNext, j, again);
                    arith = needed<Mode>(again);
                }
            } else if (arith == Float) {
                step<Mode, Float, Edge, Guard>(g, last, x2, next, xNext, j, check);
                arith = needed<Mode>(check);
            } else {
                step<Mode, Exact, Edge, Guard>(g, last, x2, next, xNext, j, check);
                arith = needed<Mode>(check);
            }
        }
        for (int q = 0; q < P; ++q) {
            last[q] = next[q];
            if (carriesX(q)) {
                x2[q] = x1[q];
                x1[q] = xNext[q];
            }
        }
    }

    template <int Mode, bool Checked, int Edge>
    static void group(const SweepPass& p, std::uint32_t t0, Arith& arith)
    {
        const int n = static_cast<int>(p.n);
        const long G = p.size;
        Group g;
        g.n = n;
        g.scratch = p.ring;
        g.signX = p.b == Boundary::Horizontal ? I{} + (-2147483647 - 1) : I{};
        g.signY = p.b == Boundary::Vertical ? I{} + (-2147483647 - 1) : I{};
        g.k = Coefficients{O::splat(p.a), O::splat(p.c), O::splat(1.0f / p.c), p.c, p.a, p.c, 1.0 / p.c};
        float* const sink = p.ring + (static_cast<long>(n) + 2) * Column;
        for (int q = 0; q <= P; ++q) {
            const long t = static_cast<long>(t0) + q;
            g.row[q] = t <= n + 1 ? p.x + t * G : p.zeros;
            if (q == P)
                break;
            g.src[q] = t <= n ? p.x0 + t * G : p.zeros;
            const long r = t - 2 * (W - 1);
            g.out[q] = r >= 1 && r <= n ? p.x + r * G : sink;
            for (int k = 0; k < W; ++k) {
                const long row = t - 2 * k;
                const int e = W - 1 - k;
                g.edges[q].bottom[e] = row == 0 && k >= 1 ? -1 : 0;
                g.edges[q].top[e] = row == n + 1 ? -1 : 0;
                g.edges[q].first[e] = row == 0 && k == 0 ? -1 : 0;
                g.edges[q].above[e] = row > n + 1 ? -1 : 0;
            }
        }
        F last[P], x1[P], x2[P];
        for (int q = 0; q < P; ++q)
            last[q] = x1[q] = x2[q] = F{};
        // Steps where every stage is inside columns [2, n - 1] need no checks.
        const int lastStep = n + P - 1;
        int j = 1;
        for (; j <= lastStep && (j < P + 1 || j > n - 1); ++j)
            checkedStep<Mode, Checked, Edge, true>(g, last, x1, x2, j, arith);
        for (; j <= n - 1; ++j) {
            if constexpr (Paired && Checked && Edge == 0 && Mode != Reciprocal)
                if (arith == Fast) {
                    j = pairedSteps<Mode>(g, last, x1, x2, j, n - 1, arith) - 1;
                    continue;
                }
            checkedStep<Mode, Checked, Edge, false>(g, last, x1, x2, j, arith);
        }
        for (; j <= lastStep; ++j)
            checkedStep<Mode, Checked, Edge, true>(g, last, x1, x2, j, arith);
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

    // The walls a stage's lanes meet: row 0 (bottom) or row n + 1 (top).
    static int edgeStage(long t, int n)
    {
        const long above = t - (n + 1);
        return (t % 2 == 0 && t / 2 < W ? BottomEdge : 0) |
               (above >= 0 && above % 2 == 0 && above / 2 < W ? TopEdge : 0);
    }

    template <int Mode, bool Checked> static void run(const SweepPass& p, std::uint32_t first, std::uint32_t end)
    {
        const int n = static_cast<int>(p.n);
        if (first == 0) {
            // The slots stage 0 reads (stages -1 and -2) hold the previous pass's values: clear them, so that the
            // lanes outside the grid compute zeros and never look tiny.
            for (long col = 0; col < n + 2; ++col)
                for (const int slot : {2, 3, 6})
                    O::store(p.ring + col * Column + slot * W, F{});
        }
        Arith arith = Fast;
        for (std::uint32_t t0 = first; t0 < end; t0 += P) {
            int edge = 0;
            for (int q = 0; q <= P; ++q)
                edge |= edgeStage(static_cast<long>(t0) + q, n);
            if (edge == 0)
                group<Mode, Checked, 0>(p, t0, arith);
            else if (edge == BottomEdge)
                group<Mode, Checked, BottomEdge>(p, t0, arith);
            else if (edge == TopEdge)
                group<Mode, Checked, TopEdge>(p, t0, arith);
            else
                group<Mode, Checked, BottomEdge | TopEdge>(p, t0, arith);
        }
    }

    template <int Mode> static void runChecked(const SweepPass& p, std::uint32_t first, std::uint32_t end)
    {
        // The exact helpers need finite coefficients and a divisor that is not 0; anything else runs the float
        // operations unchecked, as the straightforward loops do.
        const bool finite = __builtin_isfinite(p.a) && __builtin_isfinite(p.c) && p.c != 0.0f;
        if constexpr (O::Checked)
            if (finite)
                return run<Mode, true>(p, first, end);
        run<Mode, false>(p, first, end);
    }

    // Whether the pass divides by c (not c == 1, not the pressure's a == 1, c == 4).
    static bool divides(const SweepPass& p) { return p.c != 1.0f && !(p.a == 1.0f && p.c == 4.0f); }

    static void sweep(const SweepPass& p, std::uint32_t first, std::uint32_t end)
    {
        if (p.c == 1.0f)
            runChecked<NoDivision>(p, first, end);
        else if (!divides(p))
            runChecked<Quarter>(p, first, end);
        else if constexpr (ReciprocalPays) {
            if (p.reciprocal)
                run<Reciprocal, true>(p, first, end);
            else
                runChecked<Dividing>(p, first, end);
        } else
            runChecked<Dividing>(p, first, end);
    }
};

// Grid sizes from which paired 4-lane passes run twelve interleaved stages: more chains in flight hide more of a
// step's latency, which a division makes long, but each group starts and ends with 2P steps of single stages. Measured
// on an Intel Xeon (model 167): dividing passes gain from N = 100 (-10 % at N = 100 and 200, -23 % at 1000, +4 % at
// 64), the others only from between 200 (+7 %) and 300 (-4 %).
constexpr std::uint32_t TwelveStagesFrom = 250;
constexpr std::uint32_t TwelveDividingStagesFrom = 100;

template <int W> void sweepPass(const SweepPass& p, std::uint32_t first, std::uint32_t end)
{
    if constexpr (W >= 16)
        if (p.lanes == 16)
            return Pass<16>::sweep(p, first, end);
    if constexpr (W >= 8)
        if (p.lanes == 8)
            return Pass<8>::sweep(p, first, end);
    if constexpr (W >= 4)
        if (p.lanes == 4) {
            if constexpr (Pass<4>::Paired)
                if (p.n >= (Pass<4>::divides(p) ? TwelveDividingStagesFrom : TwelveStagesFrom))
                    return Pass<4, 12>::sweep(p, first, end);
            return Pass<4>::sweep(p, first, end);
        }
    Pass<1>::sweep(p, first, end);
}

// Whether this path divides by c through the reciprocal (Ops::reciprocalIsExact), at its widest checked width.
template <int W> bool reciprocalIsExact(float c)
{
    if constexpr (Ops<W>::Checked)
        return Ops<W>::reciprocalIsExact(c);
    return false;
}
