// Colour schemes and their tables: stop lists, the piecewise-linear lookup, byte rounding, random gradients, and the
// scene-side table rebuild.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <set>

#include "render/ColorGradient.h"
#include "render/GradientTable.h"
#include "tests/support/SchemeStops.h"

using namespace vornix;

namespace {

std::array<int, 3> byteEntry(const std::vector<std::uint8_t>& t, int k)
{
    return {t[3 * k], t[3 * k + 1], t[3 * k + 2]};
}

TEST(ColorGradient, SchemeNamesInPanelOrder)
{
    ColorGradient g;
    EXPECT_EQ(g.schemeNames(), (std::vector<std::string>{"Spectrum", "Black2White", "Infrared", "Blackbody", "Neon",
                                                         "Winter", "Summer", "Random"}));
    EXPECT_TRUE(g.stops().empty());
    EXPECT_EQ(g.getColor(0.5f), (ColorA{0, 0, 0, 0}));   // fewer than two stops: nothing encloses x
}

TEST(ColorGradient, EveryFixedSchemeHasExactlyTheStopsOfItsTable)
{
    ColorGradient g;
    for (int s = 0; s < 7; ++s) {
        g.setScheme(s);
        const auto& expected = schemes::fixed()[static_cast<std::size_t>(s)];
        ASSERT_EQ(g.stops().size(), expected.size()) << g.schemeNames()[static_cast<std::size_t>(s)];
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const ColorStop& stop = g.stops()[k];
            const schemes::Stop& e = expected[k];
            EXPECT_EQ((std::array<float, 5>{stop.position, stop.r, stop.g, stop.b, stop.a}),
                      (std::array<float, 5>{e.position, e.r, e.g, e.b, 1.0f}))
                << g.schemeNames()[static_cast<std::size_t>(s)] << " stop " << k;
        }
    }
    // A later setScheme replaces the stops rather than adding to them.
    g.setScheme(1);
    EXPECT_EQ(g.stops().size(), 2u);
}

TEST(ColorGradient, TablesOfEveryFixedSchemeFollowItsStops)
{
    ColorGradient g;
    std::vector<std::uint8_t> bytes;
    std::vector<float> floats;
    for (int s = 0; s < 7; ++s) {
        g.setScheme(s);
        g.fillColorBytes(bytes);
        g.fillColorFloats(floats);
        ASSERT_EQ(bytes.size(), 2048u * 3);
        ASSERT_EQ(floats.size(), 2048u * 4);
        for (int k = 0; k < 2048; ++k) {
            ASSERT_EQ(byteEntry(bytes, k), schemes::entry(s, k)) << "scheme " << s << " entry " << k;
            const auto c = schemes::colourAt(s, static_cast<float>(k) / 2047.0f);
            ASSERT_EQ((std::array<float, 4>{floats[4 * k], floats[4 * k + 1], floats[4 * k + 2], floats[4 * k + 3]}),
                      (std::array<float, 4>{c[0], c[1], c[2], 1.0f}))
                << "scheme " << s << " entry " << k;
        }
    }
    // Blackbody, the scheme of the first preset, worked by hand: 409 / 2047 lies just before the stop at 0.2,
    // 1023 / 2047 halfway between 0.4 and 0.6, 1228 / 2047 just before 0.6.
    g.setScheme(3);
    g.fillColorBytes(bytes);
    EXPECT_EQ(byteEntry(bytes, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(byteEntry(bytes, 409), (std::array<int, 3>{0, 64, 255}));
    EXPECT_EQ(byteEntry(bytes, 1023), (std::array<int, 3>{127, 128, 128}));
    EXPECT_EQ(byteEntry(bytes, 1228), (std::array<int, 3>{255, 64, 0}));
    EXPECT_EQ(byteEntry(bytes, 2047), (std::array<int, 3>{255, 255, 255}));
}

TEST(ColorGradient, Black2WhiteTableRoundsToNearestByte)
{
    ColorGradient g;
    g.setScheme(1);
    std::vector<std::uint8_t> bytes = {1, 2, 3};   // filling empties the table first
    g.fillColorBytes(bytes);
    ASSERT_EQ(bytes.size(), 2048u * 3);
    for (int k = 0; k < 2048; ++k) {
        const int v = static_cast<int>(std::floor(255.0 * k / 2047.0 + 0.5));
        ASSERT_EQ(byteEntry(bytes, k), (std::array<int, 3>{v, v, v})) << "entry " << k;
    }
    EXPECT_EQ(byteEntry(bytes, 0), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(byteEntry(bytes, 2047), (std::array<int, 3>{255, 255, 255}));
}

TEST(ColorGradient, SpectrumEndsAndYellowAtAQuarter)
{
    ColorGradient g;
    g.setScheme(0);
    EXPECT_EQ(g.getColor(0.0f), (ColorA{1, 0, 0, 1}));
    EXPECT_EQ(g.getColor(1.0f), (ColorA{0, 0, 1, 1}));
    EXPECT_EQ(g.getColor(0.25f), (ColorA{1, 1, 0, 1}));
    // Between stops the channels interpolate linearly: halfway from yellow to green.
    const ColorA c = g.getColor(0.375f);
    EXPECT_FLOAT_EQ(c.r, 0.5f);
    EXPECT_EQ(c.g, 1.0f);
    EXPECT_EQ(c.b, 0.0f);
    // Outside the stops' range there is no colour.
    EXPECT_EQ(g.getColor(-0.001f), (ColorA{0, 0, 0, 0}));
    EXPECT_EQ(g.getColor(1.001f), (ColorA{0, 0, 0, 0}));
}

TEST(ColorGradient, WinterAtThreeQuartersIsTheMeanOfItsLastTwoStops)
{
    ColorGradient g;
    g.setScheme(5);
    const ColorA c = g.getColor(0.75f);
    const float expected = 230.0f / 255.0f + 0.5f * (0.6f - 230.0f / 255.0f);
    EXPECT_FLOAT_EQ(c.r, expected);
    EXPECT_FLOAT_EQ(c.g, expected);
    EXPECT_FLOAT_EQ(c.b, expected);
    EXPECT_EQ(c.a, 1.0f);
}

TEST(ColorGradient, AddStopKeepsTheListSortedAndBytesStayInRange)
{
    ColorGradient g;
    g.addStop(ColorA{0, 0, 1, 1}, 1.0f);
    g.addStop(ColorA{1, 0, 0, 1}, 0.0f);
    g.addStop(ColorA{0, 1, 0, 1}, 0.5f);
    ASSERT_EQ(g.stops().size(), 3u);
    EXPECT_EQ(g.stops()[0].position, 0.0f);
    EXPECT_EQ(g.stops()[1].position, 0.5f);
    EXPECT_EQ(g.stops()[2].position, 1.0f);
    // At a shared position the earlier pair wins, with the same colour as the later pair would give.
    EXPECT_EQ(g.getColor(0.5f), (ColorA{0, 1, 0, 1}));

    // Stops beyond 0..1 are clamped on their way into bytes instead of wrapping.
    ColorGradient wild;
    wild.addStop(ColorA{2, -1, 0.5f, 1}, 0.0f);
    wild.addStop(ColorA{2, -1, 0.5f, 1}, 1.0f);
    std::vector<std::uint8_t> bytes;
    wild.fillColorBytes(bytes);
    EXPECT_EQ(byteEntry(bytes, 1000), (std::array<int, 3>{255, 0, 128}));
}

TEST(ColorGradient, RandomSchemeHasFourStopsInTheirBandsAndChangesEveryCall)
{
    ColorGradient g;
    std::set<float> secondPositions;
    for (int index : {7, 8, -1, 1000, 7, 7, 7, 7}) {
        g.setScheme(index);
        ASSERT_EQ(g.stops().size(), 4u) << index;
        const auto& s = g.stops();
        EXPECT_EQ(s[0].position, 0.0f);
        EXPECT_GE(s[1].position, 0.25f);
        EXPECT_LT(s[1].position, 0.5f);
        EXPECT_GE(s[2].position, 0.5f);
        EXPECT_LT(s[2].position, 0.75f);
        EXPECT_EQ(s[3].position, 1.0f);
        for (const ColorStop& stop : s) {
            EXPECT_EQ(stop.a, 1.0f);
            for (float c : {stop.r, stop.g, stop.b}) {
                EXPECT_GE(c, 0.0f);
                EXPECT_LT(c, 1.0f);
            }
        }
        secondPositions.insert(s[1].position);
    }
    EXPECT_EQ(secondPositions.size(), 8u);
}

TEST(ColorGradient, RandomDrawsFollowTheGeneratorInBlueGreenRedOrder)
{
    ColorGradient g;
    reseedGradientRandom(5489u);
    std::mt19937 reference(5489u);
    const auto draw = [&reference] {
        for (;;) {
            const float r = static_cast<float>(static_cast<double>(reference()) * 0x1p-32);
            if (r < 1.0f)
                return r;
        }
    };
    g.randomize();
    // Stop 0: blue, green, red; stop 1: position, then blue, green, red; ...
    const float b0 = draw(), g0 = draw(), r0 = draw();
    const float p1 = 0.25f + draw() * 0.25f;
    const float b1 = draw();
    const auto& s = g.stops();
    EXPECT_EQ(s[0].b, b0);
    EXPECT_EQ(s[0].g, g0);
    EXPECT_EQ(s[0].r, r0);
    EXPECT_EQ(s[1].position, p1);
    EXPECT_EQ(s[1].b, b1);
}

TEST(GradientTable, RebuildsBothTablesAndKeepsTheIndexAsPassed)
{
    GradientTable table;
    table.buildTables(3);
    EXPECT_EQ(table.colorScheme, 3);
    ASSERT_EQ(table.gradientColors.size(), 2048u * 3);
    ASSERT_EQ(table.gradientColorsF.size(), 2048u * 4);
    EXPECT_EQ(byteEntry(table.gradientColors, 2047), (std::array<int, 3>{255, 255, 255}));
    for (int index : {42, -3}) {
        const std::vector<float> before = table.gradientColorsF;
        table.buildTables(index);
        EXPECT_EQ(table.colorScheme, index);
        EXPECT_NE(table.gradientColorsF, before);   // a new random gradient
        ASSERT_EQ(table.gradientColors.size(), 2048u * 3);
    }
}

} // namespace
