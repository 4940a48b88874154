// The input of a user gone wild, shared by the extreme-setting tests of both engines: per frame a 5000-pixel mouse
// jump with both buttons on a 600 x 600 window, both brushes at radius 100, then a step. The jumps alternate direction
// so the forces do not cancel over a frame.
#pragma once

#include <gtest/gtest.h>

#include "app/BrushInput.h"
#include "fluid/FluidModel.h"

namespace vornix::test {

constexpr int WildJump = 5000;
constexpr float WildBrushRadius = 100.0f;

inline void wildFrame(FluidModel& m, int frame, int precision)
{
    const int sign = frame % 2 == 0 ? 1 : -1;
    const int x = 300 + sign * 250, y = 300 - sign * 200;
    const Force f = dampedForce(sign * WildJump, -sign * WildJump, precision);
    Cell c;
    ASSERT_TRUE(cellUnderPixel(x, y, 600, 600, static_cast<int>(m.N), c));
    m.addDensity(c.i, c.j, 0.5f, WildBrushRadius);
    m.addVelocity(c.i, c.j, f.x, f.y, WildBrushRadius);
    m.step();
}

} // namespace vornix::test
