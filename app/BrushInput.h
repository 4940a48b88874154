// How mouse positions become grid cells and mouse motion becomes a force.
#pragma once

namespace vornix {

struct Cell {
    int i = 0, j = 0;
};

// The cell under window pixel (x, y): (trunc(x / (W / N)) + 1, trunc(y / (H / N)) + 1), cell sizes as floats,
// truncation toward zero, no clamping (the model clips). Returns false, and no cell, when the window has no area
// (e.g. minimised) or N is not positive, where the division would be meaningless.
bool cellUnderPixel(int x, int y, int windowWidth, int windowHeight, int n, Cell& cell);

struct Force {
    float x = 0.0f, y = 0.0f;
};

// The mouse motion (dx, dy) damped by the precision P: each component becomes d / (1 + P / |d|), i.e.
// d * |d| / (|d| + P), so slow small motions are weakened and fast ones pass almost unchanged; P <= 0 leaves it raw.
Force dampedForce(int dx, int dy, int precision);

} // namespace vornix
