// One stroke of a hand on the fluid, as the mouse paints it: the cell under a window pixel, dye with the density
// brush and a push with the velocity brush, the push being the hand's motion in pixels damped by the velocity
// precision. The mouse, the autopilot and the music all paint through here, so presets, brush sizes and lighting
// look the same whoever holds the brush.
#pragma once

#include "app/Preset.h"
#include "fluid/FluidModel.h"

namespace vornix {

struct HandStroke {
    int x = 0, y = 0;     // window pixel
    int dx = 0, dy = 0;   // motion in pixels since the last stroke
    float dye = 0.0f;     // times the mouse's 0.5 per stroke; 0 drops none
    bool push = false;    // adds the damped motion as a force
};

// Nothing happens when the window has no area.
void paintStroke(FluidModel& model, const Preset& current, int windowWidth, int windowHeight, const HandStroke& stroke);

} // namespace vornix
