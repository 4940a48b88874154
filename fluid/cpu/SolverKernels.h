// The CPU solver's stages as free functions over plain float fields of GridSize x GridSize cells.
//
// They are kept apart from FluidModelCPU so that the model stays a small API and the kernels can be tuned (and
// tested) on their own. Every kernel computes exactly the numbers of the straightforward loops (i outer, j inner,
// single precision, each expression in the written order): tuning may change how, never what.
#pragma once

#include <cstdint>

namespace vornix::cpu {

struct Grid {
    std::uint32_t n;        // interior cells per side
    std::uint32_t size;     // n + 2
    std::uint32_t cells;    // size * size
    std::uint32_t ix(std::uint32_t i, std::uint32_t j) const { return i + size * j; }
};

inline Grid makeGrid(std::uint32_t n) { return Grid{n, n + 2, (n + 2) * (n + 2)}; }

// Boundary kinds: scalar fields copy the inner neighbour; u negates at the left/right walls, v at the bottom/top.
enum Boundary : int { Scalar = 0, Horizontal = 1, Vertical = 2 };

// x[k] += dt * s[k] over the whole array, boundary ring included.
void addSource(const Grid& g, float* x, const float* s, float dt);

// Rewrites the boundary ring of x from its inner neighbours; corners are the mean of their two wall neighbours.
void setBnd(const Grid& g, float* x, int b);

// 20 Gauss-Seidel sweeps in place: x = (a * (left + right + down + up) + x0) / c, then setBnd after each sweep.
void linSolve(const Grid& g, float* x, const float* x0, int b, float a, float c);

// Implicit diffusion of x0 into x with rate r: linSolve with a = dt * r * n * n and c = 1 + 4a.
void diffuse(const Grid& g, float* x, const float* x0, int b, float rate, float dt);

// Semi-Lagrangian advection of d0 into d along (u, v) for one dt; d never aliases d0, u or v.
void advect(const Grid& g, float* d, const float* d0, int b, const float* u, const float* v, float dt);

// Makes (u, v) divergence-free, using p and div as scratch.
void project(const Grid& g, float* u, float* v, float* p, float* div);

// The disc brush: adds value * fade(distance) into f around integer cell (x, y), interior cells only.
void addForceArea(const Grid& g, float* f, int x, int y, float value, float radius);

} // namespace vornix::cpu
