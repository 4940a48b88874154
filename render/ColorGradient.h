// ColorGradient: the colour stops of one of the eight named colour schemes, and the 2048-entry lookup tables built
// from them (8-bit RGB for the CPU picture and the gradient bar, float RGBA for the gradient texture).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/Color.h"

namespace vornix {

constexpr int GradientColorCount = 2048;

class ColorGradient {
public:
    // Empty stop list; reseeds the process-wide random generator from the millisecond tick count.
    ColorGradient();

    // "Spectrum", "Black2White", "Infrared", "Blackbody", "Neon", "Winter", "Summer", "Random" (index order).
    const std::vector<std::string>& schemeNames() const { return names_; }
    const std::vector<ColorStop>& stops() const { return stops_; }

    // Replaces the stops by those of scheme 0..6; any other index makes a random gradient.
    void setScheme(int index);
    // Replaces the stops by `stops` (a user's own scheme), sorted by ascending position.
    void setStops(std::vector<ColorStop> stops);
    // Appends a stop and keeps the list sorted by ascending position.
    void addStop(const ColorA& colour, float position);
    // Four random stops at 0, [0.25, 0.5), [0.5, 0.75) and 1, alpha 1.
    void randomize();

    // Piecewise-linear colour at x; (0, 0, 0, 0) where no pair of stops encloses x.
    ColorA getColor(float x) const;
    // GradientColorCount entries of R, G, B bytes (3 per entry), entry k the colour at k / 2047.
    void fillColorBytes(std::vector<std::uint8_t>& table) const;
    // GradientColorCount entries of R, G, B, A floats.
    void fillColorFloats(std::vector<float>& table) const;

private:
    std::vector<ColorStop> stops_;
    std::vector<std::string> names_;
};

// The process-wide generator behind random gradients (MT19937). reseedGradientRandom restarts it from a seed;
// gradientRandomDraw yields the float nearest to w * 2^-32 for the next 32-bit output w, redrawn when that is 1.0,
// so every draw lies in [0, 1).
void reseedGradientRandom(std::uint32_t seed);
float gradientRandomDraw();

} // namespace vornix
