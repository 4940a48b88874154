// Integer texel/pixel areas and float rectangles: (x1, y1) is one corner, (x2, y2) the opposite one.
#pragma once

namespace vornix {

struct Area {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int getWidth() const { return x2 - x1; }
    int getHeight() const { return y2 - y1; }
};

struct Rectf {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    float getWidth() const { return x2 - x1; }
    float getHeight() const { return y2 - y1; }
};

} // namespace vornix
