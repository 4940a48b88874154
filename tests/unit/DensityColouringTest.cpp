// The CPU colouring of a density field: index rule at both ends, the lighting term on plateaus and slopes, the
// gradient bar rows, and the grid-size dependents.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "fluid/WorkerPool.h"

#include "fluid/FluidModelCPU.h"
#include "render/DensityRenderer.h"
#include "tests/support/SchemeStops.h"

using namespace vornix;

namespace {

// A hand-made field of (n + 2)^2 cells in IX order.
struct Field {
    explicit Field(std::uint32_t n) : n(n), cells((n + 2) * (n + 2), 0.0f) {}
    float& at(int i, int j) { return cells[static_cast<std::size_t>(i) + (n + 2) * static_cast<std::size_t>(j)]; }
    std::uint32_t n;
    std::vector<float> cells;
};

std::array<int, 3> pixel(const Surface8u& s, int x, int y)
{
    const std::uint8_t* p = s.getPixel(x, y);
    return {p[0], p[1], p[2]};
}

// Expected colours come from the hand-written stops, not from the table the renderer is given.
std::array<int, 3> entry(int scheme, int k) { return schemes::entry(scheme, k); }

GradientTable tables(int scheme)
{
    GradientTable t;
    t.buildTables(scheme);
    return t;
}

TEST(DensityColouring, IndexRuleMapsTheRangeOntoTheGradient)
{
    const GradientTable t = tables(0);   // Spectrum: red .. blue
    constexpr float Infinity = std::numeric_limits<float>::infinity();
    Field f(8);
    const float values[8] = {0.0f, -3.0f, 1.0f, 7.5f, 0.5f, std::numeric_limits<float>::quiet_NaN(), Infinity,
                             -Infinity};
    for (int x = 0; x < 8; ++x)
        for (int j = 1; j <= 8; ++j)
            f.at(x + 1, j) = values[x];
    for (bool lighting : {false, true}) {
        Surface8u s(8, 8, false, SurfaceChannelOrder::RGB);
        colorDensityField(f.cells.data(), 8, t.gradientColors, lighting, 0, s);
        EXPECT_EQ(pixel(s, 6, 3), (std::array<int, 3>{0, 0, 255})) << lighting;   // +infinity: the top, unlit
        EXPECT_EQ(pixel(s, 7, 3), (std::array<int, 3>{255, 0, 0})) << lighting;   // -infinity: the bottom
    }
    Surface8u s(8, 8, false, SurfaceChannelOrder::RGB);
    colorDensityField(f.cells.data(), 8, t.gradientColors, false, 0, s);
    const std::array<int, 3> red{255, 0, 0}, blue{0, 0, 255};
    EXPECT_EQ(pixel(s, 0, 3), red);    // 0
    EXPECT_EQ(pixel(s, 1, 3), red);    // negative
    EXPECT_EQ(pixel(s, 2, 3), blue);   // 1
    EXPECT_EQ(pixel(s, 3, 3), blue);   // above 1
    EXPECT_EQ(pixel(s, 4, 3), (std::array<int, 3>{0, 255, 0}));   // entry trunc(0.5 x 2048) = 1024: green
    EXPECT_EQ(pixel(s, 5, 3), red);    // NaN counts as 0
}

TEST(DensityColouring, LightingWhitensFlatPlateausFromHalfDensityOnly)
{
    const GradientTable t = tables(3);   // Blackbody
    const std::uint32_t n = 20;
    for (float d : {0.5f, 0.8f, 0.25f}) {
        Field f(n);
        for (auto& c : f.cells)
            c = d;   // boundary ring included: the plateau is flat at every pixel
        Surface8u lit(n, n, false, SurfaceChannelOrder::RGB), plain(n, n, false, SurfaceChannelOrder::RGB);
        colorDensityField(f.cells.data(), n, t.gradientColors, true, 0, lit);
        colorDensityField(f.cells.data(), n, t.gradientColors, false, 0, plain);
        const int k = static_cast<int>(d * 2048.0f);
        EXPECT_EQ(pixel(plain, 7, 7), entry(3, k));
        if (d >= 0.5f) {
            EXPECT_EQ(pixel(lit, 7, 7), (std::array<int, 3>{255, 255, 255})) << d;
        } else {
            // Entry 512 is (0, 96, 255); w = k x 512 / 2048 = 128 byte units on a flat plateau at 0.25.
            EXPECT_EQ(pixel(plain, 7, 7), (std::array<int, 3>{0, 96, 255}));
            EXPECT_EQ(pixel(lit, 7, 7), (std::array<int, 3>{128, 224, 255}));
        }
    }
}

TEST(DensityColouring, LightingSparesSlopesAndEmptyCells)
{
    const GradientTable t = tables(1);   // Black2White
    const std::uint32_t n = 10;
    Field f(n);
    for (int j = 0; j <= 11; ++j)
        for (int i = 0; i <= 11; ++i)
            f.at(i, j) = 0.05f * static_cast<float>(i);   // a steady ramp to the right
    Surface8u lit(n, n, false, SurfaceChannelOrder::RGB), plain(n, n, false, SurfaceChannelOrder::RGB);
    colorDensityField(f.cells.data(), n, t.gradientColors, true, 0, lit);
    colorDensityField(f.cells.data(), n, t.gradientColors, false, 0, plain);
    // Slope 0.05 per cell: nz^100000 is about e^-125, nothing is added.
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(pixel(lit, x, 4), pixel(plain, x, 4)) << x;

    // A tiny slope of one float step keeps almost all of the term: nz = 1 - 2^-24 gives 0.994 of w.
    Field g(n);
    for (auto& c : g.cells)
        c = 0.5f;
    g.at(3, 3) = 0.5f - 0x1p-12f;   // dx at pixel (1, 2) is 2^-12: s = 1 + 2^-24 rounds to 1 + 2^-23
    Surface8u nearlyFlat(n, n, false, SurfaceChannelOrder::RGB);
    colorDensityField(g.cells.data(), n, t.gradientColors, true, 0, nearlyFlat);
    const float s = 1.0f + 0x1p-24f;
    const float w = std::pow(1.0f / std::sqrt(s), 100000.0f) * 1024.0f * 512.0f / 2048.0f;
    const int expected = std::min(255, static_cast<int>(std::trunc(static_cast<float>(entry(1, 1024)[0]) + w)));
    EXPECT_EQ(pixel(nearlyFlat, 1, 2)[0], expected);
}

// The colouring rule pixel by pixel, written plainly (std::pow for every lit pixel). A NaN is no density; an
// infinite density is clamped like any other, and its infinite slope leaves no light.
std::array<int, 3> plainPixel(const Field& f, int scheme, bool lighting, int x, int y)
{
    const auto value = [&](int i, int j) {
        const float d = f.cells[static_cast<std::size_t>(i) + (f.n + 2) * static_cast<std::size_t>(j)];
        return std::isnan(d) ? 0.0f : d;
    };
    const float d = value(x + 1, y + 1);
    const float scaled = d * 2048.0f;
    const int k = !(scaled > 0.0f) ? 0 : scaled >= 2047.0f ? 2047 : static_cast<int>(scaled);
    std::array<int, 3> rgb = entry(scheme, k);
    if (lighting && d > 0.0f) {
        const float dx = d - value(x + 2, y + 1), dy = d - value(x + 1, y + 2);
        const float nz = 1.0f / std::sqrt(1.0f + dx * dx + dy * dy);
        const float w = std::pow(nz, 100000.0f) * static_cast<float>(k) * 512.0f / 2048.0f;
        if (w > 0.0f)
            for (int& c : rgb)
                c = static_cast<int>(std::min(255.0f, std::trunc(static_cast<float>(c) + w)));
    }
    return rgb;
}

TEST(DensityColouring, EveryPixelFollowsThePlainRuleOnOneOrSeveralThreads)
{
    const GradientTable t = tables(4);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(-0.2f, 1.3f);
    WorkerPool two(1), five(4);
    // Sizes around the chunk of 256 columns and the threading threshold; odd values and near-flat plateaus.
    for (std::uint32_t n : {1u, 5u, 127u, 128u, 255u, 257u, 300u}) {
        Field f(n);
        for (std::size_t c = 0; c < f.cells.size(); ++c) {
            const float r = spread(random);
            f.cells[c] = r > 1.2f ? 0.6f : r > 1.1f ? 0.6f + 0x1p-20f * static_cast<float>(c % 5) : r;
        }
        f.at(1, 1) = std::numeric_limits<float>::infinity();
        f.at(static_cast<int>(n), static_cast<int>(n)) = std::numeric_limits<float>::quiet_NaN();
        f.at(1, static_cast<int>(n)) = -std::numeric_limits<float>::infinity();
        for (bool lighting : {false, true}) {
            Surface8u one(static_cast<int>(n), static_cast<int>(n), false, SurfaceChannelOrder::RGB);
            colorDensityField(f.cells.data(), n, t.gradientColors, lighting, 0, one);
            for (int y = 0; y < static_cast<int>(n); ++y)
                for (int x = 0; x < static_cast<int>(n); ++x)
                    ASSERT_EQ(pixel(one, x, y), plainPixel(f, 4, lighting, x, y))
                        << "n " << n << " lighting " << lighting << " at " << x << ", " << y;
            for (WorkerPool* pool : {&two, &five}) {
                Surface8u banded(static_cast<int>(n), static_cast<int>(n), false, SurfaceChannelOrder::RGB);
                colorDensityField(f.cells.data(), n, t.gradientColors, lighting, gradientBarRowsFor(n), banded, pool);
                Surface8u single(static_cast<int>(n), static_cast<int>(n), false, SurfaceChannelOrder::RGB);
                colorDensityField(f.cells.data(), n, t.gradientColors, lighting, gradientBarRowsFor(n), single);
                ASSERT_EQ(0, std::memcmp(banded.getData(), single.getData(),
                                         static_cast<std::size_t>(n) * n * 3))
                    << "n " << n << " threads " << pool->threadCount();
            }
        }
    }
}

TEST(DensityColouring, GradientBarRowsFollowTheGridSize)
{
    EXPECT_EQ(gradientBarRowsFor(10), 1u);
    EXPECT_EQ(gradientBarRowsFor(20), 1u);
    EXPECT_EQ(gradientBarRowsFor(39), 1u);
    EXPECT_EQ(gradientBarRowsFor(40), 2u);
    EXPECT_EQ(gradientBarRowsFor(100), 5u);
    EXPECT_EQ(gradientBarRowsFor(1000), 50u);
}

TEST(DensityColouring, BarRowsShowTheWholeGradientWithoutLighting)
{
    const GradientTable t = tables(0);
    for (std::uint32_t n : {10u, 40u, 100u}) {
        Field f(n);
        for (auto& c : f.cells)
            c = 0.9f;   // a lit plateau under the bar: the bar must not be brightened
        Surface8u s(static_cast<int>(n), static_cast<int>(n), false, SurfaceChannelOrder::RGB);
        const std::uint32_t rows = gradientBarRowsFor(n);
        colorDensityField(f.cells.data(), n, t.gradientColors, true, rows, s);
        const float q = static_cast<float>(n) / 2048.0f;
        for (std::uint32_t y = 0; y < rows; ++y) {
            EXPECT_EQ(pixel(s, 0, static_cast<int>(y)), (std::array<int, 3>{255, 0, 0})) << n;
            const int last = static_cast<int>(static_cast<float>(n - 1) / q);
            EXPECT_EQ(last, static_cast<int>((n - 1) * 2048 / n));
            EXPECT_EQ(pixel(s, static_cast<int>(n) - 1, static_cast<int>(y)), entry(0, last)) << n;
        }
        EXPECT_EQ(pixel(s, 0, static_cast<int>(rows)), (std::array<int, 3>{255, 255, 255})) << n;
    }
}

TEST(DensityColouring, RendererColoursTheModelAndKeepsItsSurfaceInStep)
{
    GradientTable t = tables(1);
    FluidModelCPU model(12, 0.0f, 0.1f, 0.0f);
    model.addDensity(6, 6, 20.0f, 0.0f);   // full amount on cell (6, 6) only
    model.step();                            // dens(6, 6) = 2: beyond the top of the gradient
    DensityRenderer r;
    r.updateGridDependents(12, DensitySource::Field);
    ASSERT_EQ(r.densitySurface.getWidth(), 12);
    EXPECT_FALSE(r.densitySurface.hasAlpha());
    r.colorDensitySurface(model, RenderFlags{false, false}, t);
    EXPECT_EQ(pixel(r.densitySurface, 5, 5), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ(pixel(r.densitySurface, 0, 0), (std::array<int, 3>{0, 0, 0}));

    // A grid change the renderer was not told about must not read or write out of bounds.
    model.setN(30);
    r.colorDensitySurface(model, RenderFlags{true, true}, t);
    EXPECT_EQ(r.densitySurface.getWidth(), 30);
}

TEST(DensityColouring, GridDependentsByEngine)
{
    DensityRenderer r;
    r.updateGridDependents(100, DensitySource::Texture);
    EXPECT_EQ(r.gradientBarRows, 5u);
    EXPECT_EQ(r.OnePixel, static_cast<float>(1.0L / 99.0L));
    EXPECT_FALSE(r.densitySurface);   // the GPU engine needs no surface
    r.updateGridDependents(1, DensitySource::Texture);
    EXPECT_EQ(r.OnePixel, 0.0f);
    r.updateGridDependents(40, DensitySource::Field);
    EXPECT_EQ(r.gradientBarRows, 2u);
    EXPECT_EQ(r.densitySurface.getHeight(), 40);
}

} // namespace
