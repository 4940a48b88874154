// The framerate line's text and its once-per-second refresh, and the metrics of the font it is drawn with.
#include <gtest/gtest.h>

#include "render/FramerateLine.h"
#include "shell/TextRenderer.h"
#include "tests/support/FontAvailability.h"

using namespace vornix;

namespace {

TEST(FramerateLine, FormatPadsToFourCharacters)
{
    EXPECT_EQ(FramerateLine::format(29.97), "Framerate: 30.0   SF: 1.0");
    EXPECT_EQ(FramerateLine::format(7.25), "Framerate:  7.2   SF: 1.0");
    EXPECT_EQ(FramerateLine::format(123.456), "Framerate: 123.5   SF: 1.0");
}

TEST(FramerateLine, RefreshesAtMostOncePerWholeSecondAndOnlyWhileShown)
{
    FramerateLine line{Font()};   // the text's timing needs no font
    EXPECT_EQ(line.framerateText, "");
    EXPECT_FALSE(line.refresh(true, 0.9, 25.0));   // second 0 is the starting value
    EXPECT_EQ(line.framerateText, "");
    EXPECT_TRUE(line.refresh(true, 1.0, 25.0));
    EXPECT_EQ(line.framerateText, "Framerate: 25.0   SF: 1.0");
    EXPECT_FALSE(line.refresh(true, 1.99, 31.0));   // same second: unchanged
    EXPECT_EQ(line.framerateText, "Framerate: 25.0   SF: 1.0");
    EXPECT_FALSE(line.refresh(false, 5.5, 12.0));   // hidden: nothing happens, not even the second
    EXPECT_EQ(line.framerateSecond, 1);
    EXPECT_TRUE(line.refresh(true, 5.5, 9.5));
    EXPECT_EQ(line.framerateText, "Framerate:  9.5   SF: 1.0");
    EXPECT_EQ(line.framerateSecond, 5);
    // Any change of the whole second counts, also backwards, and huge clocks do not overflow the conversion.
    EXPECT_TRUE(line.refresh(true, 3.0, 20.0));
    EXPECT_TRUE(line.refresh(true, 1e12, 20.0));
}

TEST(Font, ArialResolvesToAMetricCompatibleFaceAtATwelvePixelEm)
{
    SKIP_WITHOUT_ARIAL();
    const Font font("Arial", 16.0f);
    EXPECT_EQ(font.getEmHeight(), 12);
#ifndef _WIN32
    EXPECT_NE(font.getFilePath().find("LiberationSans"), std::string::npos) << font.getFilePath();
#endif
    EXPECT_EQ(font.getAscent(), 11.0f);
    EXPECT_EQ(font.getDescent(), 3.0f);
    EXPECT_EQ(font.getLeading(), 2.0f);
}

TEST(TextRenderer, RenderStringPlacesTheLineAndReturnsTheDescent)
{
    SKIP_WITHOUT_ARIAL();
    const Font font("Arial", 16.0f);
    const RenderedString r = renderString("Framerate: 30.0", font, ColorA{1, 1, 1, 1});
    EXPECT_EQ(r.baselineOffset, 3.0f);
    EXPECT_EQ(r.surface.getHeight(), 17);   // max(14, 11 + 3 + 2) + 1
    EXPECT_GT(r.surface.getWidth(), 60);
    EXPECT_LT(r.surface.getWidth(), 110);
    // Ink lies between the line's top (row 2) and the descender's bottom (row 16); the rest is transparent black,
    // and anti-aliasing leaves partial coverage somewhere.
    int inked = 0, partial = 0;
    for (int y = 0; y < r.surface.getHeight(); ++y)
        for (int x = 0; x < r.surface.getWidth(); ++x) {
            const std::uint8_t* p = r.surface.getPixel(x, y);
            if (p[3] == 0) {
                EXPECT_EQ(p[0] | p[1] | p[2], 0);
                continue;
            }
            ++inked;
            partial += p[3] < 255;
            EXPECT_GE(y, 2);
            EXPECT_EQ(p[0], p[3]);   // white, premultiplied by coverage
        }
    EXPECT_GT(inked, 50);
    EXPECT_GT(partial, 10);
}

} // namespace
