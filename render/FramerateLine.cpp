#include "render/FramerateLine.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "shell/ContentScale.h"
#include "shell/TextRenderer.h"

namespace vornix {

FramerateLine::FramerateLine() : framerateFont(defaultFont()) {}

Font FramerateLine::defaultFont() { return Font("Arial", 16.0f * contentScale()); }

std::string FramerateLine::format(double averageFps)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Framerate: %4.1f   SF: 1.0", averageFps);
    return buffer;
}

void FramerateLine::followScale()
{
    const float scale = contentScale();
    if (scale == fontScale)
        return;
    if (framerateFont) {
        try {
            framerateFont = Font::fromFile(framerateFont.getFilePath(), framerateFont.getSize() * scale / fontScale);
        } catch (const FontLoadExc&) {
            // The text keeps the size it had.
        }
    }
    fontScale = scale;
}

bool FramerateLine::refresh(bool showFramerate, double elapsedSeconds, double averageFps)
{
    followScale();
    if (!showFramerate)
        return false;
    // Clamped so that a clock beyond the 32-bit range cannot make the conversion undefined.
    const double whole = std::trunc(elapsedSeconds);
    const double limited = std::isnan(whole) ? 0.0
                                             : std::fmin(std::fmax(whole, std::numeric_limits<std::int32_t>::min()),
                                                         std::numeric_limits<std::int32_t>::max());
    const auto second = static_cast<std::int32_t>(limited);
    if (second == framerateSecond)
        return false;
    framerateSecond = second;
    framerateText = format(averageFps);
    return true;
}

void FramerateLine::draw() const
{
    if (framerateFont)
        drawString(framerateText, scaledPixels(10.0f), scaledPixels(10.0f), ColorA{1.0f, 1.0f, 1.0f, 1.0f}, framerateFont);
}

} // namespace vornix
