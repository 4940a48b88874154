// Colour files of other programs: the GIMP gradient evaluator against values worked out by hand for every blending
// and colouring, the import path from a .ggr to the gradient table, palettes, picture strips and files that cannot
// be used.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "app/studio/ColourImport.h"
#include "render/ColorGradient.h"
#include "shell/formats/GimpGradient.h"
#include "shell/formats/GimpPalette.h"
#include "shell/image/ImageIo.h"

using namespace vornix;

namespace {

// One segment over 0..1 from `left` to `right` colours with the given middle, blending and colouring.
GimpGradient segment(double middle, int blend, int coloring, std::array<double, 3> left = {0, 0, 0},
                     std::array<double, 3> right = {1, 1, 1})
{
    const std::string text = "GIMP Gradient\nName: t\n1\n0 " + std::to_string(middle) + " 1 " +
                             std::to_string(left[0]) + " " + std::to_string(left[1]) + " " + std::to_string(left[2]) +
                             " 1 " + std::to_string(right[0]) + " " + std::to_string(right[1]) + " " +
                             std::to_string(right[2]) + " 1 " + std::to_string(blend) + " " + std::to_string(coloring) +
                             "\n";
    std::string error;
    const auto g = parseGimpGradient(text, error);
    EXPECT_TRUE(g) << error;
    return g ? *g : GimpGradient{};
}

std::filesystem::path scratch(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vornix-colours-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

std::optional<OwnScheme> importText(const std::string& name, const std::string& text, std::string& error)
{
    std::ofstream(scratch(name), std::ios::binary) << text;
    return importColourFile(scratch(name).string(), error);
}

} // namespace

TEST(GimpGradient, EveryBlendingAndColouringMatchesHandWorkedValues)
{
    struct Case {
        double middle;
        int blend, coloring;
        double x, expected;   // grey level of black to white
    };
    const Case cases[] = {
        {0.5, 0, 0, 0.25, 0.25},          {0.25, 0, 0, 0.25, 0.5},          {0.25, 0, 0, 0.625, 0.75},
        {0.25, 1, 0, 0.5, std::sqrt(0.5)},                                  // curved: 0.5 ^ (log 0.5 / log 0.25)
        {1.0, 1, 0, 0.99, 0.0},           {1.0, 1, 0, 1.0, 1.0},            // curved, middle at the end: a step
        {0.5, 2, 0, 0.25, (1 - std::sqrt(0.5)) / 2},                        // sine
        {0.5, 3, 0, 0.5, std::sqrt(0.75)}, {0.5, 4, 0, 0.5, 1 - std::sqrt(0.75)},   // spheres
        {0.5, 5, 0, 0.49, 0.0},           {0.5, 5, 0, 0.51, 1.0},           // step
    };
    for (const Case& c : cases) {
        const ColorA got = gimpGradientColor(segment(c.middle, c.blend, c.coloring), c.x);
        EXPECT_NEAR(got.r, c.expected, 1e-6) << "blend " << c.blend << " middle " << c.middle << " at " << c.x;
        EXPECT_NEAR(got.b, c.expected, 1e-6);
    }
    // Red to blue halfway: counter-clockwise through green (hue 0 -> 1/3 -> 2/3), clockwise through magenta.
    const ColorA ccw = gimpGradientColor(segment(0.5, 0, 1, {1, 0, 0}, {0, 0, 1}), 0.5);
    EXPECT_NEAR(ccw.r, 0, 1e-6);
    EXPECT_NEAR(ccw.g, 1, 1e-6);
    EXPECT_NEAR(ccw.b, 0, 1e-6);
    const ColorA cw = gimpGradientColor(segment(0.5, 0, 2, {1, 0, 0}, {0, 0, 1}), 0.5);
    EXPECT_NEAR(cw.r, 1, 1e-6);
    EXPECT_NEAR(cw.g, 0, 1e-6);
    EXPECT_NEAR(cw.b, 1, 1e-6);
}

TEST(GimpGradient, ImportedStopsGiveATableWithinTwoStepsOfTheFile)
{
    // Eight segments: every blending, and both HSV colourings, with off-centre middles.
    const std::string text = "GIMP Gradient\nName: Every Kind\n8\n"
                             "0.000 0.050 0.125 0 0 0 1 1 0.5 0 1 0 0\n"
                             "0.125 0.150 0.250 1 0.5 0 1 0.2 0.9 0.1 1 1 0\n"
                             "0.250 0.300 0.375 0.2 0.9 0.1 1 0.9 0.1 0.6 1 2 0\n"
                             "0.375 0.400 0.500 0.9 0.1 0.6 1 0 0 1 1 3 0\n"
                             "0.500 0.600 0.625 0 0 1 1 1 1 0 1 4 0\n"
                             "0.625 0.650 0.750 1 1 0 1 0 0.3 0.3 1 5 0\n"
                             "0.750 0.800 0.875 1 0 0 1 0 0 1 1 0 1 0 0\n"
                             "0.875 0.900 1.000 1 0 0 1 0.2 1 0.4 1 0 2 0 0\n";
    std::string error;
    const auto scheme = importText("every.ggr", text, error);
    ASSERT_TRUE(scheme) << error;
    EXPECT_EQ(scheme->name, "Every Kind");
    EXPECT_LT(scheme->stops.size(), 400u);
    const auto gradient = parseGimpGradient(text, error);
    ColorGradient table;
    table.setStops(scheme->stops);
    std::vector<std::uint8_t> bytes;
    table.fillColorBytes(bytes);
    int worst = 0;
    for (int k = 0; k < GradientColorCount; ++k) {
        const ColorA c = gimpGradientColor(*gradient, static_cast<float>(k) / 2047.0f);
        const float want[3] = {c.r, c.g, c.b};
        for (int ch = 0; ch < 3; ++ch)
            worst = std::max(worst, std::abs(bytes[3 * k + ch] - static_cast<int>(std::floor(want[ch] * 255 + 0.5))));
    }
    EXPECT_LE(worst, 2);
}

TEST(ColourImport, PalettesAndPictureStrips)
{
    std::string error;
    const auto one = importText("one.gpl", "GIMP Palette\n# a comment\n255 128 0 Orange\n", error);
    ASSERT_TRUE(one) << error;
    ASSERT_EQ(one->stops.size(), 2u);   // flat, not black
    EXPECT_EQ(one->stops[1].g, 128.0f / 255.0f);
    EXPECT_EQ(one->name, "one");
    const auto three = importText("three.gpl", "GIMP Palette\nName: Web\nColumns: 3\n#ff0000\n0 255 0\n#0000ff sky\n",
                                  error);
    ASSERT_TRUE(three) << error;
    EXPECT_EQ(three->name, "Web");
    ASSERT_EQ(three->stops.size(), 3u);
    EXPECT_EQ(three->stops[1].position, 0.5f);
    EXPECT_EQ(three->stops[2].b, 1.0f);

    // A strip of 20,000 x 1 pixels, black to red, and a single pixel.
    Surface8u wide(20000, 1, false);
    for (int x = 0; x < 20000; ++x)
        wide.getPixel(x, 0)[0] = static_cast<std::uint8_t>(x * 255 / 19999);
    writeImage(scratch("wide.png").string(), wide);
    const auto strip = importColourFile(scratch("wide.png").string(), error);
    ASSERT_TRUE(strip) << error;
    EXPECT_LE(strip->stops.size(), 16u);   // a straight ramp needs few stops
    EXPECT_NEAR(strip->stops.back().r, 1.0f, 1e-6);
    Surface8u dot(1, 1, false);
    dot.getPixel(0, 0)[1] = 200;
    writeImage(scratch("dot.png").string(), dot);
    const auto flat = importColourFile(scratch("dot.png").string(), error);
    ASSERT_TRUE(flat) << error;
    EXPECT_NEAR(flat->stops.front().g, 200.0f / 255.0f, 1e-6);
    EXPECT_NEAR(flat->stops.back().g, 200.0f / 255.0f, 1e-6);
}

TEST(ColourImport, FilesThatCannotBeReadSayWhyAndNameTheFile)
{
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"empty.ggr", ""},
        {"zero.ggr", "GIMP Gradient\n0\n"},
        {"million.ggr", "GIMP Gradient\n1000000\n0 0.5 1 0 0 0 1 1 1 1 1 0 0\n"},
        {"nan.ggr", "GIMP Gradient\n1\nnan 0.5 1 0 0 0 1 1 1 1 1 0 0\n"},
        {"gap.ggr", "GIMP Gradient\n2\n0 0.2 0.4 0 0 0 1 1 1 1 1 0 0\n0.5 0.7 1 0 0 0 1 1 1 1 1 0 0\n"},
        {"short.ggr", "GIMP Gradient\n3\n0 0.5 1 0 0 0 1 1 1 1 1 0 0\n"},
        {"none.gpl", "GIMP Palette\nName: Empty\n# nothing\n"},
        {"big.gpl", "GIMP Palette\n300 0 0\n"},
        {"noise.png", std::string("\x89PNG\r\n\x1a\n\x01\x02\x03", 11)},
        {"noise.jpg", "\xff\xd8\xff garbage"},
        {"notes.txt", "GIMP Palette\n1 2 3\n"},
    };
    for (const auto& [name, text] : bad) {
        std::string error;
        EXPECT_FALSE(importText(name, text, error)) << name;
        EXPECT_NE(error.find(name), std::string::npos) << error;
    }
    // 100 MB is refused before it is read.
    std::ofstream(scratch("huge.ggr"));
    std::filesystem::resize_file(scratch("huge.ggr"), 100u << 20);
    std::string error;
    EXPECT_FALSE(importColourFile(scratch("huge.ggr").string(), error));
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
    std::filesystem::remove_all(scratch("").parent_path());
}
