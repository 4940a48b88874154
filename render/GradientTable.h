// GradientTable: the colour scheme in use and everything built from it — the generator's stops, the 8-bit RGB table
// (CPU picture and gradient bar), the float RGBA table and the 2048 x 1 gradient texture the density program samples.
// The scene owns one and rebuilds it in full whenever a scheme is chosen.
#pragma once

#include <cstdint>
#include <vector>

#include "render/ColorGradient.h"
#include "shell/gl/Texture.h"

namespace vornix {

class GradientTable {
public:
    // Rebuilds the stops and both tables for `index` (kept exactly as passed; outside 0..6 a new random gradient),
    // then replaces gradientTexture. Needs a current GL context.
    void setColorScheme(int index);
    // The same without the texture, for code that has no GL context.
    void buildTables(int index);
    // Rebuilds everything from stops of the user's own (colorScheme keeps its value), coloured exactly as a fixed
    // scheme is. Needs a current GL context.
    void setStops(std::vector<ColorStop> stops);

    ColorGradient gradient;
    int colorScheme = 0;                        // the index last passed
    std::vector<std::uint8_t> gradientColors;   // GradientColorCount x (R, G, B)
    std::vector<float> gradientColorsF;         // GradientColorCount x (R, G, B, A)
    gl::Texture gradientTexture;                // GradientColorCount x 1, float RGBA
    bool ownStops = false;                      // the stops came from setStops, not from a scheme index
    unsigned revision = 0;                      // counts the rebuilds, so a viewer can tell the gradient changed

private:
    void fillTables();
    void uploadTexture();
};

} // namespace vornix
