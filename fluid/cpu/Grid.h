// The CPU solver's grid geometry, the boundary rule and the disc brush, over plain float fields of GridSize x GridSize
// cells in IX order. The stages of the step are in Solver; the plain transcription of the whole step that they are
// checked against is the tests' oracle (tests/support/ReferenceSolver).
#pragma once

#include <cstdint>

#include "fluid/FluidModel.h"

namespace vornix::cpu {

struct Grid {
    std::uint32_t n;        // interior cells per side
    std::uint32_t size;     // n + 2
    std::uint32_t cells;    // size * size
    std::uint32_t ix(std::uint32_t i, std::uint32_t j) const { return i + size * j; }
};

inline Grid makeGrid(std::uint32_t n) { return Grid{n, n + 2, (n + 2) * (n + 2)}; }

// Rewrites the boundary ring of x from its inner neighbours; corners are the mean of their two wall neighbours.
void setBnd(const Grid& g, float* x, Boundary b);
// setBnd for what rows [lo, hi) of the interior (1 <= lo < hi <= n + 1) decide: their left and right walls, and with
// row 1 the bottom wall and its corners, with row n the top wall and its corners. Over [1, n + 1): setBnd.
void setBndRows(const Grid& g, float* x, Boundary b, std::uint32_t lo, std::uint32_t hi);

// The disc brush: adds value * fade(distance) into f around integer cell (x, y), interior cells only.
void addForceArea(const Grid& g, float* f, int x, int y, float value, float radius);

} // namespace vornix::cpu
