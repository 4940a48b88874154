// Display: one monitor's pixel rectangle in desktop coordinates and its colour depth.
#pragma once

#include <vector>

namespace vornix {

struct Display {
    int left = 0, top = 0, right = 0, bottom = 0;
    int bitsPerPixel = 24;

    int getWidth() const { return right - left; }
    int getHeight() const { return bottom - top; }

    // All monitors, built once on first use; the primary display first: the one containing the desktop point
    // (0, 0), else the system's primary monitor. Needs the window system (throws std::runtime_error without it).
    static const std::vector<Display>& getDisplays();
    static const Display& getMainDisplay() { return getDisplays().front(); }
};

// The display a window with the screen rectangle [left, right) x [top, bottom) is on: the one it overlaps most (the
// first of equals), or, when it overlaps none, the one nearest to it. `displays` must not be empty.
const Display& displayOfWindow(const std::vector<Display>& displays, int left, int top, int right, int bottom);

} // namespace vornix
