// The preset table and the mouse-to-brush arithmetic.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>

#include "app/BrushInput.h"
#include "app/Preset.h"

using namespace vornix;

TEST(Presets, EveryFieldOfTheSixPresetsIsAsListed)
{
    struct Row {
        const char* name;
        int colorScheme;
        float brushSizeDensity, brushSizeVelocity;
        int velocityPrecision, viscosity, diffusion;
        float deltaTime;
        int quality;
        bool show3DLighting;
    };
    const Row expected[] = {
        {"Fancy", 3, 20.0f, 10.0f, 4, 100, 200, 0.1f, 200, true},
        {"Pudding", 2, 20.0f, 3.0f, 40, 5000, 75, 0.15f, 200, true},
        {"Smoke", 1, 35.0f, 2.0f, 2, 1, 1200, 0.2f, 200, false},
        {"VJ", 4, 25.0f, 35.0f, 0, 50, 500, 0.2f, 200, true},
        {"Retro Plasma", 0, 3.0f, 1.0f, 10, 2000, 1, 0.07f, 15, false},
        {"Sensitive", 6, std::bit_cast<float>(std::uint32_t{0x41F00001}), 20.0f, 80, 600, 800, 0.07f, 200, true},
    };
    const auto presets = builtInPresets();
    ASSERT_EQ(presets.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        const Preset& p = presets[k];
        const Row& e = expected[k];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(p.name, e.name);
        EXPECT_EQ(p.colorScheme, e.colorScheme);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(p.brushSizeDensity), std::bit_cast<std::uint32_t>(e.brushSizeDensity));
        EXPECT_EQ(std::bit_cast<std::uint32_t>(p.brushSizeVelocity), std::bit_cast<std::uint32_t>(e.brushSizeVelocity));
        EXPECT_EQ(p.velocityPrecision, e.velocityPrecision);
        EXPECT_EQ(p.viscosity, e.viscosity);
        EXPECT_EQ(p.diffusion, e.diffusion);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(p.deltaTime), std::bit_cast<std::uint32_t>(e.deltaTime));
        EXPECT_EQ(p.quality, e.quality);
        EXPECT_EQ(p.show3DLighting, e.show3DLighting);
        EXPECT_EQ(p.engine, EngineGPU);
        EXPECT_FALSE(p.showFramerate || p.showGradientBar || p.showHelp || p.paused);
    }
    // The density brush of "Sensitive" is one ulp above 30, not 30.
    EXPECT_NE(presets[5].brushSizeDensity, 30.0f);
}

TEST(Presets, RatesAreTenMillionthsAsFloats)
{
    EXPECT_EQ(toModelRate(100), static_cast<float>(100 / 10000000.0));
    EXPECT_EQ(toModelRate(0), 0.0f);
    EXPECT_EQ(toModelRate(10000), 0.001f);
}

TEST(BrushInput, WindowCornersMapToTheFirstAndLastInteriorCells)
{
    Cell c;
    ASSERT_TRUE(cellUnderPixel(0, 0, 600, 600, 200, c));
    EXPECT_EQ(c.i, 1);
    EXPECT_EQ(c.j, 1);
    ASSERT_TRUE(cellUnderPixel(599, 599, 600, 600, 200, c));
    EXPECT_EQ(c.i, 200);
    EXPECT_EQ(c.j, 200);
    // Outside the window: no clamping, and truncation toward zero (-2 / 3 -> 0, so cell 1).
    ASSERT_TRUE(cellUnderPixel(-2, 650, 600, 600, 200, c));
    EXPECT_EQ(c.i, 1);
    EXPECT_EQ(c.j, 217);
    ASSERT_TRUE(cellUnderPixel(-4, -300, 600, 600, 200, c));
    EXPECT_EQ(c.i, 0);
    EXPECT_EQ(c.j, -99);
}

TEST(BrushInput, AWindowWithoutAreaPaintsNothing)
{
    Cell c;
    EXPECT_FALSE(cellUnderPixel(10, 10, 0, 600, 200, c));
    EXPECT_FALSE(cellUnderPixel(10, 10, 600, 0, 200, c));
    EXPECT_FALSE(cellUnderPixel(10, 10, 600, 600, 0, c));
}

TEST(BrushInput, HugeCoordinatesOnTinyCellsSaturateInsteadOfOverflowing)
{
    Cell c;
    ASSERT_TRUE(cellUnderPixel(INT_MAX, INT_MIN, 1, 1, 1000, c));
    EXPECT_GT(c.i, 1000);
    EXPECT_LT(c.j, 1);
}

TEST(BrushInput, MotionIsDampedByThePrecision)
{
    const Force f = dampedForce(10, 0, 4);
    EXPECT_EQ(f.x, 10.0f / 1.4f);
    EXPECT_EQ(f.y, 0.0f);
    const Force raw = dampedForce(10, -7, 0);
    EXPECT_EQ(raw.x, 10.0f);
    EXPECT_EQ(raw.y, -7.0f);
    const Force still = dampedForce(0, 0, 80);
    EXPECT_EQ(still.x, 0.0f);
    EXPECT_EQ(still.y, 0.0f);
    // Slow motion is weakened strongly, fast motion barely.
    EXPECT_LT(dampedForce(1, 0, 40).x, 0.03f);
    EXPECT_GT(dampedForce(400, 0, 40).x, 360.0f);
    EXPECT_LT(dampedForce(-3, 0, 4).x, 0.0f);
}
