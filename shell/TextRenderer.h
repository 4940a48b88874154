// Drawing a line of text: rasterised into an RGBA image, uploaded as a texture and drawn at its own pixel size.
#pragma once

#include <string>

#include "shell/Color.h"
#include "shell/Font.h"
#include "shell/Surface.h"

namespace vornix {

struct RenderedString {
    Surface8u surface;          // RGBA, cleared to transparent black, text in premultiplied colour
    float baselineOffset = 0;   // the font's descent
};

// The line measured with the font: ceil(width) x (ceil(height) + 1) pixels, height the larger of the measured line
// and ascent + descent + leading; the text drawn at x = 0 with the top of the line at the font's leading.
RenderedString renderString(const std::string& text, const Font& font, const ColorA& colour);

// Draws the rendered line left-aligned with its top-left corner at (x, y - baseline offset), with fixed-function
// texturing in opaque white; the current GL colour is restored afterwards. An empty string draws nothing.
void drawString(const std::string& text, float x, float y, const ColorA& colour, const Font& font);

} // namespace vornix
