// The preset table and the mouse-to-brush arithmetic.
#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cstdint>

#include "app/BrushInput.h"
#include "app/Preset.h"

using namespace vornix;

TEST(Presets, TableHoldsTheSixPresetsInOrder)
{
    const auto presets = builtInPresets();
    ASSERT_EQ(presets.size(), 6u);
    const char* names[] = {"Fancy", "Pudding", "Smoke", "VJ", "Retro Plasma", "Sensitive"};
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(presets[k].name, names[k]);
        EXPECT_EQ(presets[k].engine, EngineGPU);
        EXPECT_FALSE(presets[k].showFramerate || presets[k].showGradientBar || presets[k].showHelp ||
                     presets[k].paused);
    }
    const Preset& retro = presets[4];
    EXPECT_EQ(retro.quality, 15);
    EXPECT_EQ(retro.deltaTime, 0.07f);
    EXPECT_EQ(retro.viscosity, 2000);
    EXPECT_EQ(retro.diffusion, 1);
    EXPECT_EQ(retro.colorScheme, 0);
    EXPECT_FALSE(retro.show3DLighting);
    EXPECT_EQ(presets[0].colorScheme, 3);
    EXPECT_EQ(presets[0].quality, 200);
    EXPECT_EQ(presets[2].brushSizeDensity, 35.0f);
    // The density brush of "Sensitive" is one ulp above 30, not 30.
    EXPECT_EQ(std::bit_cast<std::uint32_t>(presets[5].brushSizeDensity), 0x41F00001u);
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
