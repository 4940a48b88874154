// Turning a colour function (a GIMP gradient, a row of pixels) into the few stops whose straight lines reproduce it.
#pragma once

#include <functional>
#include <vector>

#include "shell/Color.h"

namespace vornix {

// Samples `color` at the 2,048 positions k / 2047 a gradient table is made of and keeps as few of them as stops as it
// can while the lines between the stops stay within `tolerance` (per channel, 0..1) of every sample. The first stop is
// at 0, the last at 1; alpha is 1.
std::vector<ColorStop> fitStops(const std::function<ColorA(float position)>& color, float tolerance = 1.0f / 255.0f);

} // namespace vornix
