// FluidModelCPU: bit identity with the literal oracle, the step's data flow, the brush, setBnd, setN.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "fluid/FluidModelCPU.h"
#include "fluid/cpu/Grid.h"
#include "tests/support/ReferenceSolver.h"

using vornix::FluidModelCPU;
using vornix::reference::ReferenceFluid;

namespace {

std::vector<float> copyField(const float* f, std::uint32_t cells) { return std::vector<float>(f, f + cells); }

bool sameBits(const std::vector<float>& a, const std::vector<float>& b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

bool allZero(const float* f, std::uint32_t cells)
{
    for (std::uint32_t k = 0; k < cells; ++k)
        if (f[k] != 0.0f)
            return false;
    return true;
}

// A stroke pattern that reaches the walls, the corners and beyond the grid, with both brushes.
template <class Model> void stroke(Model& m, int n, int frame)
{
    const int cx = 1 + (frame * 7) % n;
    const int cy = 1 + (frame * 3) % n;
    m.addDensity(cx, cy, 0.5f, 0.1f * n + 1.0f);
    m.addVelocity(cx, cy, 4.0f - frame % 9, 2.5f - frame % 5, 0.05f * n + 1.0f);
    if (frame % 4 == 0)
        m.addDensity(-3, n + 4, 0.5f, 6.0f);        // centre outside the grid, reaching the corner
    if (frame % 5 == 0)
        m.addVelocity(n, 1, -30.0f, 45.0f, 0.0f);   // radius 0: the centre cell only
}

struct OracleCase {
    int n;
    float viscosity, dt, diffusion;
    int steps;
};

ReferenceFluid runOracle(const OracleCase& c)
{
    ReferenceFluid oracle(c.n, c.viscosity, c.dt, c.diffusion);
    for (int frame = 0; frame < c.steps; ++frame) {
        stroke(oracle, c.n, frame);
        oracle.step();
    }
    // The result must not be trivially zero, or the comparison proves nothing.
    float total = 0;
    for (float d : oracle.dens) total += std::fabs(d);
    EXPECT_GT(total, 0.0f);
    return oracle;
}

// Runs the model with the same strokes as the oracle and compares every field after the last step.
void expectSameAsOracle(const OracleCase& c, const ReferenceFluid& oracle, vornix::cpu::SimdPath path,
                        unsigned threads, bool adaptive = false)
{
    FluidModelCPU model(c.n, c.viscosity, c.dt, c.diffusion);
    model.setSimdPath(path);
    model.setThreadCount(threads);
    // Off: every solve on a large enough grid takes the threaded path. On: steps switch between one and all
    // threads as they time themselves.
    model.setAdaptiveThreads(adaptive);
    // Divide through the reciprocal from the first step (the program waits until that pays).
    model.setEagerReciprocal(true);
    for (int frame = 0; frame < c.steps; ++frame) {
        stroke(model, c.n, frame);
        model.step();
    }
    const auto cells = model.cellCount();
    SCOPED_TRACE(std::string("N = ") + std::to_string(c.n) + ", path " + vornix::cpu::simdPathName(path) + ", " +
                 std::to_string(threads) + " thread(s)");
    EXPECT_TRUE(sameBits(copyField(model.densityField(), cells), oracle.dens));
    EXPECT_TRUE(sameBits(copyField(model.uField(), cells), oracle.u));
    EXPECT_TRUE(sameBits(copyField(model.vField(), cells), oracle.v));
}

// The vector paths this processor runs; the first call says in the test output which they are.
std::vector<vornix::cpu::SimdPath> runnablePaths()
{
    static bool reported = false;
    std::vector<vornix::cpu::SimdPath> paths;
    std::string ran, skipped;
    for (auto p : {vornix::cpu::SimdPath::Scalar, vornix::cpu::SimdPath::Sse2, vornix::cpu::SimdPath::Avx2,
                   vornix::cpu::SimdPath::Avx512}) {
        if (vornix::cpu::simdPathSupported(p))
            paths.push_back(p);
        (vornix::cpu::simdPathSupported(p) ? ran : skipped) += std::string(" ") + vornix::cpu::simdPathName(p);
    }
    if (!reported)
        std::printf("Identity tests run the vector paths:%s; this processor lacks:%s\n", ran.c_str(),
                    skipped.empty() ? " none" : skipped.c_str());
    reported = true;
    return paths;
}

class OracleIdentity : public ::testing::TestWithParam<OracleCase> {};

// Every vector path this processor can run, with one and two threads: the sweep passes are 1, 4, 8 and 16 sweeps
// deep, so the sizes below cover grids smaller than a pass's row lag, grids just around one interleaved group of
// stages, (N = 131, two threads) passes split into chunks on both threads, and (N = 401) the larger groups of stages
// the 4-lane passes use on large grids.
TEST_P(OracleIdentity, EveryFieldMatchesTheLiteralStepBitForBit)
{
    const ReferenceFluid oracle = runOracle(GetParam());
    for (auto path : runnablePaths())
        for (unsigned threads : {1u, 2u})
            expectSameAsOracle(GetParam(), oracle, path, threads);
}

INSTANTIATE_TEST_SUITE_P(Grids, OracleIdentity,
                         ::testing::Values(OracleCase{1, 0.00001f, 0.1f, 0.00002f, 12},
                                           OracleCase{2, 0.0005f, 0.15f, 0.0000075f, 12},
                                           OracleCase{3, 0.0f, 0.2f, 0.0f, 12},
                                           OracleCase{15, 0.0002f, 0.07f, 0.0000001f, 30},
                                           OracleCase{16, 0.00001f, 0.1f, 0.00002f, 25},
                                           OracleCase{17, 0.0f, 1.0f, 0.0005f, 25},
                                           OracleCase{33, 0.001f, 0.2f, 0.0f, 20},
                                           OracleCase{97, 0.0001f, 0.1f, 0.0001f, 8},
                                           OracleCase{131, 0.0f, 0.1f, 0.00002f, 4},
                                           OracleCase{401, 0.00001f, 0.1f, 0.00002f, 2}));

// One large grid on the default engine (the widest path, two threads, adaptive), where the passes run many chunks
// side by side and the steps switch between one and two threads as they time themselves; and with more threads than
// this machine likely has cores, forced onto the threaded path, so that threads lose their core in mid-solve and the
// tasks of a solve are taken by whichever thread gets to them.
TEST(OracleIdentityLarge, DefaultEngineMatchesAtN300)
{
    const OracleCase c{300, 0.00001f, 0.1f, 0.00002f, 3};
    const ReferenceFluid oracle = runOracle(c);
    std::printf("Default engine: vector path %s\n", vornix::cpu::simdPathName(vornix::cpu::bestSimdPath()));
    expectSameAsOracle(c, oracle, vornix::cpu::bestSimdPath(), vornix::cpu::Solver::defaultThreadCount(), true);
    expectSameAsOracle(c, oracle, vornix::cpu::bestSimdPath(), 5);
}

// A NaN or infinite force makes the velocity non-finite; advection must still read inside the fields (the sanitizer
// build checks the reads) on every path and thread count, and a reset model must step as before.
TEST(FluidModelCPU, NonFiniteForcesKeepAdvectionInsideTheFields)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto path : runnablePaths())
        for (unsigned threads : {1u, 2u}) {
            SCOPED_TRACE(std::string(vornix::cpu::simdPathName(path)) + ", " + std::to_string(threads) + " thread(s)");
            FluidModelCPU m(130, 0.0001f, 0.1f, 0.0001f);
            m.setSimdPath(path);
            m.setThreadCount(threads);
            m.setAdaptiveThreads(false);
            m.addDensity(40, 40, 1.0f, 10.0f);
            m.addVelocity(40, 40, nan, inf, 6.0f);
            m.addVelocity(90, 20, -inf, 3.0f, 4.0f);
            m.step();
            m.step();
            m.reset();
            m.addDensity(60, 60, 1.0f, 4.0f);
            m.step();
            EXPECT_GT(m.getDensity(60, 60), 0.0f);
            EXPECT_TRUE(std::isfinite(m.getDensity(0, 0)));
        }
}

TEST(FluidModelCPU, EngineSettingsAreValidated)
{
    FluidModelCPU m(8, 0, 0.1f, 0);
    EXPECT_EQ(m.simdPath(), vornix::cpu::bestSimdPath());
    EXPECT_GE(m.threadCount(), 1u);
    EXPECT_THROW(m.setThreadCount(0), std::invalid_argument);
    for (auto p : {vornix::cpu::SimdPath::Avx2, vornix::cpu::SimdPath::Avx512})
        if (!vornix::cpu::simdPathSupported(p)) {
            EXPECT_THROW(m.setSimdPath(p), std::invalid_argument);
        }
    m.setThreadCount(3);
    EXPECT_EQ(m.threadCount(), 3u);
    m.setN(40);   // scratch follows the grid for every thread
    m.addDensity(20, 20, 1.0f, 5.0f);
    m.step();
    EXPECT_GT(m.getDensity(20, 20), 0.0f);
}

TEST(FluidModelCPU, NewModelIsAllZeroAndStaysZeroWhenStepped)
{
    FluidModelCPU m(20, 0.001f, 0.1f, 0.001f);
    m.step();
    m.step();
    for (const float* f : {m.uField(), m.vField(), m.uPrevField(), m.vPrevField(), m.densityField(), m.densPrevField()})
        EXPECT_TRUE(allZero(f, m.cellCount()));
}

TEST(FluidModelCPU, DensityAppearsOnlyAfterStepScaledByDT)
{
    FluidModelCPU m(10, 0.0f, 0.25f, 0.0f);
    m.addDensity(5, 6, 0.5f, 3.0f);
    EXPECT_EQ(m.getDensity(5, 6), 0.0f);
    m.step();
    // No velocity, no diffusion: dens = DT * fade * amount, centred on (5, 6).
    EXPECT_FLOAT_EQ(m.getDensity(5, 6), 0.25f * 0.5f);
    const float w = 1.0f - 1.0f / 3.0f;
    EXPECT_FLOAT_EQ(m.getDensity(6, 6), 0.25f * w * 0.5f);
    EXPECT_EQ(m.getDensity(8, 6), 0.0f);   // distance 3 = radius: untouched
    EXPECT_TRUE(allZero(m.densPrevField(), m.cellCount()));
    EXPECT_TRUE(allZero(m.uPrevField(), m.cellCount()));
    EXPECT_TRUE(allZero(m.vPrevField(), m.cellCount()));
}

TEST(FluidModelCPU, BoundaryCellsShowTheirInnerNeighbourAfterAStep)
{
    FluidModelCPU m(8, 0.0f, 0.1f, 0.0f);
    m.addDensity(1, 4, 1.0f, 2.0f);
    m.step();
    EXPECT_EQ(m.getDensity(0, 4), m.getDensity(1, 4));
    EXPECT_GT(m.getDensity(0, 4), 0.0f);
}

TEST(FluidModelCPU, ResetClearsFieldsAndKeepsParameters)
{
    FluidModelCPU m(12, 0.001f, 0.1f, 0.002f);
    m.addDensity(6, 6, 0.5f, 4.0f);
    m.addVelocity(6, 6, 3.0f, -2.0f, 4.0f);
    m.step();
    m.Viscosity = 0.5f;
    m.DT = 0.3f;
    m.Diffusion = 0.25f;
    m.reset();
    for (const float* f : {m.uField(), m.vField(), m.densityField()})
        EXPECT_TRUE(allZero(f, m.cellCount()));
    EXPECT_EQ(m.Viscosity, 0.5f);
    EXPECT_EQ(m.DT, 0.3f);
    EXPECT_EQ(m.Diffusion, 0.25f);
    EXPECT_EQ(m.N, 12u);
}

TEST(FluidModelCPU, SetNWithTheSameSizeKeepsTheFluidAndOtherSizesClearIt)
{
    FluidModelCPU m(16, 0.0f, 0.1f, 0.0f);
    m.addDensity(8, 8, 0.5f, 5.0f);
    m.step();
    const float before = m.getDensity(8, 8);
    m.setN(16);
    EXPECT_EQ(m.getDensity(8, 8), before);
    m.setN(30);
    EXPECT_EQ(m.N, 30u);
    EXPECT_EQ(m.GridSize, 32u);
    EXPECT_EQ(m.cellCount(), 32u * 32u);
    for (const float* f : {m.uField(), m.vField(), m.uPrevField(), m.vPrevField(), m.densityField(), m.densPrevField()})
        EXPECT_TRUE(allZero(f, m.cellCount()));
}

TEST(FluidModelCPU, NonPositiveGridSizesAreRejected)
{
    EXPECT_THROW(FluidModelCPU(0, 0, 0.1f, 0), std::invalid_argument);
    EXPECT_THROW(FluidModelCPU(-4, 0, 0.1f, 0), std::invalid_argument);
    FluidModelCPU m(10, 0, 0.1f, 0);
    EXPECT_THROW(m.setN(0), std::invalid_argument);
    EXPECT_THROW(m.setN(-1), std::invalid_argument);
    EXPECT_EQ(m.N, 10u);
}

// ---- the brush --------------------------------------------------------------------------------------------------

class Brush : public ::testing::Test {
protected:
    static constexpr std::uint32_t n = 10;
    vornix::cpu::Grid g = vornix::cpu::makeGrid(n);
    std::vector<float> f = std::vector<float>(g.cells, 0.0f);

    std::vector<std::pair<int, int>> touched() const
    {
        std::vector<std::pair<int, int>> cells;
        for (std::uint32_t j = 0; j < g.size; ++j)
            for (std::uint32_t i = 0; i < g.size; ++i)
                if (f[g.ix(i, j)] != 0.0f)
                    cells.emplace_back(i, j);
        return cells;
    }
};

TEST_F(Brush, RadiusZeroAddsTheFullAmountToTheCentreOnly)
{
    vornix::cpu::addForceArea(g, f.data(), 4, 7, 0.5f, 0.0f);
    ASSERT_EQ(touched().size(), 1u);
    EXPECT_EQ(f[g.ix(4, 7)], 0.5f);
}

TEST_F(Brush, CentreAtTheCornerReachesOnlyInteriorCells)
{
    vornix::cpu::addForceArea(g, f.data(), 0, 0, 1.0f, 3.0f);
    for (auto [i, j] : touched()) {
        EXPECT_GE(i, 1);
        EXPECT_LE(i, 3);
        EXPECT_GE(j, 1);
        EXPECT_LE(j, 3);
    }
    // (1, 1) lies at distance sqrt(2) from (0, 0).
    EXPECT_FLOAT_EQ(f[g.ix(1, 1)], 1.0f - std::sqrt(2.0f) / 3.0f);
}

TEST_F(Brush, AnyCentreAndRadiusWritesInteriorCellsOnly)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const int centres[] = {-2000000000, -50, -1, 0, 1, 5, 10, 11, 60, 2000000000};
    const float radii[] = {0.0f, 0.5f, 3.0f, 100.0f, 1e30f, inf, nan, -4.0f};
    for (int x : centres)
        for (int y : centres)
            for (float r : radii)
                vornix::cpu::addForceArea(g, f.data(), x, y, 1.0f, r);
    for (auto [i, j] : touched()) {
        EXPECT_TRUE(i >= 1 && i <= 10 && j >= 1 && j <= 10) << i << "," << j;
    }
}

TEST_F(Brush, CallsAccumulate)
{
    vornix::cpu::addForceArea(g, f.data(), 5, 5, 0.5f, 2.0f);
    vornix::cpu::addForceArea(g, f.data(), 5, 5, 0.25f, 2.0f);
    EXPECT_EQ(f[g.ix(5, 5)], 0.75f);
}

// ---- stages -----------------------------------------------------------------------------------------------------

using vornix::Boundary;

TEST(SolverStages, SetBndNegatesTheWallsOfItsKindAndAveragesCorners)
{
    const auto g = vornix::cpu::makeGrid(4);
    for (Boundary b : {Boundary::Scalar, Boundary::Horizontal, Boundary::Vertical}) {
        std::vector<float> x(g.cells);
        for (std::uint32_t k = 0; k < g.cells; ++k) x[k] = 1.0f + static_cast<float>(k);
        vornix::cpu::setBnd(g, x.data(), b);
        for (std::uint32_t k = 1; k <= 4; ++k) {
            const float sx = b == Boundary::Horizontal ? -1.0f : 1.0f, sy = b == Boundary::Vertical ? -1.0f : 1.0f;
            EXPECT_EQ(x[g.ix(0, k)], sx * x[g.ix(1, k)]);
            EXPECT_EQ(x[g.ix(5, k)], sx * x[g.ix(4, k)]);
            EXPECT_EQ(x[g.ix(k, 0)], sy * x[g.ix(k, 1)]);
            EXPECT_EQ(x[g.ix(k, 5)], sy * x[g.ix(k, 4)]);
        }
        EXPECT_EQ(x[g.ix(0, 0)], 0.5f * (x[g.ix(1, 0)] + x[g.ix(0, 1)]));
        EXPECT_EQ(x[g.ix(5, 5)], 0.5f * (x[g.ix(4, 5)] + x[g.ix(5, 4)]));
    }
}

TEST(SolverStages, DiffusionWithRateZeroCopiesTheSource)
{
    const auto g = vornix::cpu::makeGrid(6);
    std::vector<float> x(g.cells, 0.0f), x0(g.cells);
    for (std::uint32_t k = 0; k < g.cells; ++k) x0[k] = std::sin(static_cast<float>(k));
    vornix::cpu::Solver(g.n).diffuse(g, x.data(), x0.data(), Boundary::Scalar, 0.0f, 0.1f);
    for (std::uint32_t i = 1; i <= 6; ++i)
        for (std::uint32_t j = 1; j <= 6; ++j)
            EXPECT_EQ(x[g.ix(i, j)], x0[g.ix(i, j)]);
    EXPECT_EQ(x[g.ix(0, 3)], x0[g.ix(1, 3)]);
}

TEST(SolverStages, AdvectionWithZeroVelocityReproducesTheInterior)
{
    const auto g = vornix::cpu::makeGrid(7);
    std::vector<float> d(g.cells, 0.0f), d0(g.cells), zero(g.cells, 0.0f);
    for (std::uint32_t k = 0; k < g.cells; ++k) d0[k] = std::cos(0.3f * static_cast<float>(k));
    vornix::cpu::Solver(g.n).advect(g, d.data(), d0.data(), Boundary::Scalar, zero.data(), zero.data(), 0.1f);
    for (std::uint32_t i = 1; i <= 7; ++i)
        for (std::uint32_t j = 1; j <= 7; ++j)
            EXPECT_EQ(d[g.ix(i, j)], d0[g.ix(i, j)]);
}

// Advection reads a vector's corners by gathers or, where its lanes' sources lie close together, from row windows:
// bands of rows whose velocities move the lanes' sources by nothing, by less than a cell either way, by a few cells
// and by up to fifty, evenly or varying from lane to lane, and up against every wall, must give the literal bits on
// every path, for one field and for two advected together.
TEST(SolverStages, AdvectionMatchesTheLiteralLoopsForNearAndFarSources)
{
    const int n = 100;
    const auto g = vornix::cpu::makeGrid(n);
    const float dt = 0.1f;   // dt * n = 10: a velocity of 0.1 moves a source by one cell
    std::vector<float> u(g.cells), v(g.cells), d0(g.cells), e0(g.cells);
    const float scales[] = {0.0f, 0.0004f, 0.003f, 0.02f, 0.08f, 0.3f, 1.0f, 5.0f};
    for (int j = 0; j <= n + 1; ++j)
        for (int i = 0; i <= n + 1; ++i) {
            const std::uint32_t k = g.ix(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j));
            const float s = scales[(j / 4) % 8], fi = static_cast<float>(i), fj = static_cast<float>(j);
            // Bands of 32 rows: the same shift in every lane; shifts varying in both directions; across only.
            const int mode = (j / 32) % 3;
            u[k] = mode == 0 ? s * 0.37f : s * std::sin(0.7f * fi + 0.3f * fj);
            v[k] = mode == 0 ? -s * 0.23f : (mode == 1 ? s : 0.001f * s) * std::cos(0.5f * fi - 0.2f * fj);
            d0[k] = std::sin(0.11f * static_cast<float>(k)) + 1.5f;
            e0[k] = std::cos(0.07f * static_cast<float>(k));
        }
    std::vector<float> expectedD(g.cells, 0.0f), expectedE(g.cells, 0.0f);
    vornix::reference::advectField(n, 0, expectedD.data(), d0.data(), u.data(), v.data(), dt);
    vornix::reference::advectField(n, 1, expectedE.data(), e0.data(), u.data(), v.data(), dt);
    for (auto path : runnablePaths()) {
        vornix::cpu::Solver solver(g.n);
        solver.setSimdPath(path);
        std::vector<float> d(g.cells, 0.0f), e(g.cells, 0.0f), alone(g.cells, 0.0f);
        solver.advect(g, alone.data(), d0.data(), Boundary::Scalar, u.data(), v.data(), dt);
        solver.advectPair(g, d.data(), d0.data(), Boundary::Scalar, e.data(), e0.data(), Boundary::Horizontal,
                          u.data(), v.data(), dt);
        EXPECT_TRUE(sameBits(alone, expectedD)) << vornix::cpu::simdPathName(path);
        EXPECT_TRUE(sameBits(d, expectedD)) << vornix::cpu::simdPathName(path);
        EXPECT_TRUE(sameBits(e, expectedE)) << vornix::cpu::simdPathName(path);
    }
}

// The sweeps divide through the reciprocal only where that gives t / c to the last bit, and fall back to the float
// division elsewhere: the smallest subnormal alone among zeros (where t = x0), tiny numbers of every exponent from
// there up to where the fast arithmetic starts, zeros of both signs, infinities and NaN must leave the same bits as
// the literal sweeps. c = 2 - 2^-23 passes the reciprocal's proof on normal numbers, yet for t = 2^-149 the
// reciprocal form gives 0 where the quotient rounds to 2^-149; with a = 1 that zero is not repaired by later sweeps.
TEST(SolverStages, LinearSolveMatchesTheLiteralSweepsOnTinyAndNonFiniteValues)
{
    const int n = 130;   // large enough for the threaded path
    const auto g = vornix::cpu::makeGrid(n);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    auto tiny = [](std::uint32_t k) {   // sign, exponent -149 .. -90 and mantissa from k; every seventh a zero
        if (k % 7 == 0)
            return k % 2 ? -0.0f : 0.0f;
        const float m = 1.0f + static_cast<float>((k * 2654435761u) >> 9) * 0x1p-23f;
        const float v = std::ldexp(k % 3 ? 1.0f : m, -149 + static_cast<int>(k % 60));
        return k % 2 ? -v : v;
    };
    struct Fields {
        std::vector<float> x, x0;
    };
    std::vector<Fields> cases(3, Fields{std::vector<float>(g.cells, 0.0f), std::vector<float>(g.cells, 0.0f)});
    cases.push_back(Fields{std::vector<float>(g.cells, -0.0f), std::vector<float>(g.cells, -0.0f)});   // stays -0
    for (std::uint32_t k = 0; k < g.cells; ++k) {
        if (k % 8 == 0 && (k / g.size) % 8 == 0)
            cases[0].x0[k] = 0x1p-149f;   // alone among zeros, so that t = x0
        cases[1].x[k] = tiny(k + 11);
        cases[1].x0[k] = tiny(k);
        cases[2].x[k] = std::sin(static_cast<float>(k));
        cases[2].x0[k] = std::cos(static_cast<float>(k));
    }
    cases[2].x0[g.ix(20, 30)] = inf;
    cases[2].x0[g.ix(100, 40)] = -inf;
    cases[2].x0[g.ix(60, 110)] = nan;
    cases[2].x[g.ix(110, 100)] = inf;
    auto same = [](const std::vector<float>& a, const std::vector<float>& b) {
        for (std::size_t k = 0; k < a.size(); ++k)
            if (std::memcmp(&a[k], &b[k], sizeof(float)) != 0 && !(std::isnan(a[k]) && std::isnan(b[k])))
                return false;
        return true;
    };
    // Eager: through the reciprocal on every processor; otherwise the plain division (this grid is too small for
    // the program to prove a divisor).
    for (auto path : runnablePaths())
        for (const auto& [threads, eager] : {std::pair{1u, true}, {2u, true}, {1u, false}, {2u, false}}) {
            vornix::cpu::Solver solver(g.n);
            solver.setSimdPath(path);
            solver.setThreadCount(threads);
            solver.setAdaptiveThreads(false);
            solver.setEagerReciprocal(eager);
            for (const auto& [a, c] : {std::pair{1.0f, 0x1.fffffep0f}, {0.5f, 3.0f}, {2.0f, 9.0f}})
                for (std::size_t which = 0; which < cases.size(); ++which) {
                    std::vector<float> expected = cases[which].x, x = cases[which].x;
                    vornix::reference::linSolve(n, 0, expected.data(), cases[which].x0.data(), a, c);
                    solver.linSolve(g, x.data(), cases[which].x0.data(), Boundary::Scalar, a, c);
                    EXPECT_TRUE(same(x, expected)) << vornix::cpu::simdPathName(path) << ", " << threads
                                                   << " thread(s), eager " << eager << ", c = " << c << ", case "
                                                   << which;
                }
        }
}

TEST(SolverStages, ProjectionRemovesMostOfTheDivergence)
{
    const auto g = vornix::cpu::makeGrid(32);
    std::vector<float> u(g.cells, 0.0f), v(g.cells, 0.0f), p(g.cells), div(g.cells);
    for (std::uint32_t i = 12; i <= 20; ++i)
        for (std::uint32_t j = 12; j <= 20; ++j) {
            u[g.ix(i, j)] = (static_cast<float>(i) - 16.0f) * 0.1f;   // a source: strongly divergent
            v[g.ix(i, j)] = (static_cast<float>(j) - 16.0f) * 0.1f;
        }
    auto divergence = [&] {
        double sum = 0;
        for (std::uint32_t i = 1; i <= 32; ++i)
            for (std::uint32_t j = 1; j <= 32; ++j)
                sum += std::fabs(u[g.ix(i + 1, j)] - u[g.ix(i - 1, j)] + v[g.ix(i, j + 1)] - v[g.ix(i, j - 1)]);
        return sum;
    };
    const double before = divergence();
    vornix::cpu::Solver(g.n).project(g, u.data(), v.data(), p.data(), div.data());
    EXPECT_LT(divergence(), 0.5 * before);
}

} // namespace
