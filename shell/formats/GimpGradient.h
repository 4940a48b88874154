// GIMP gradients (.ggr): segments, each blending its left colour into its right one with one of six blending
// functions (linear, curved, sine, sphere increasing, sphere decreasing, step) in RGB or in HSV (either way round
// the hue circle), bent so that the halfway colour falls at the segment's middle point.
//
//     GIMP Gradient
//     Name: Sunrise
//     2
//     0.000000 0.250000 0.500000 0 0 0 1 1 0 0 1 0 0
//     0.500000 0.750000 1.000000 1 0 0 1 1 1 0 1 2 1 0 0
//     (left middle right, left R G B A, right R G B A, blending, colouring, [left and right colour types])
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Color.h"

namespace vornix {

// Files with more segments are refused (GIMP's own have a few dozen at most).
constexpr std::size_t MaxGimpSegments = 10000;

struct GimpSegment {
    enum Blend { Linear, Curved, Sine, SphereIncreasing, SphereDecreasing, Step };
    enum Coloring { Rgb, HsvCounterClockwise, HsvClockwise };
    double left = 0, middle = 0.5, right = 1;
    double leftColor[4] = {0, 0, 0, 1}, rightColor[4] = {1, 1, 1, 1};
    Blend blend = Linear;
    Coloring coloring = Rgb;
};

struct GimpGradient {
    std::string name;   // empty when the file names none
    std::vector<GimpSegment> segments;
};

// Reads .ggr text. The segments must cover 0 to 1 in order without gaps, every number must be finite and every
// colour within 0 to 1. Nothing, with `error` saying what is wrong and on which line, when the text is not usable.
std::optional<GimpGradient> parseGimpGradient(std::string_view text, std::string& error);

// The colour at x (clamped to 0..1), as GIMP computes it.
ColorA gimpGradientColor(const GimpGradient& gradient, double x);

} // namespace vornix
