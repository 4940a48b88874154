// FluidModel: the abstract fluid state behind which both engines (CPU and GPU) live.
//
// A square grid of N x N interior cells with one ring of boundary cells (GridSize = N + 2 per side), carrying a
// density field and a two-component velocity field, advanced by Stam's stable-fluids method. Cell (i, j) is column i,
// row j, stored at IX(i, j) = i + GridSize * j. Input reaches the simulation only through the source fields
// (addDensity / addVelocity); step() consumes them and clears them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vornix {

// How a field's boundary ring follows its inner neighbours: a scalar field (density, pressure, divergence) copies
// them; the horizontal velocity u is negated at the left and right walls, the vertical velocity v at the bottom and
// top. The numbers are the kinds the solver programs take.
enum class Boundary : int { Scalar = 0, Horizontal = 1, Vertical = 2 };

// Where a model keeps the density the picture is made from: floats in main memory (densityField), or a texture on
// the GPU that is never read back (the GPU model's getDensityTexture; its getDensity answers 0).
enum class DensitySource { Field, Texture };

class FluidModel {
public:
    FluidModel(std::uint32_t n, float viscosity, float dt, float diffusion)
        : N(n), GridSize(n + 2), Viscosity(viscosity), DT(dt), Diffusion(diffusion)
    {
    }
    FluidModel(const FluidModel&) = delete;
    FluidModel& operator=(const FluidModel&) = delete;
    virtual ~FluidModel() = default;

    // clearVelocity, then clearDensity.
    virtual void reset() = 0;
    // u, v, uPrev, vPrev := 0 in every cell, boundary included.
    virtual void clearVelocity() = 0;
    // dens, densPrev := 0 in every cell.
    virtual void clearDensity() = 0;
    // Adds amount x fade into densPrev around cell (x, y); visible in dens after the next step.
    virtual void addDensity(int x, int y, float amount, float radius) = 0;
    // Adds forceX x fade into uPrev and forceY x fade into vPrev around cell (x, y).
    virtual void addVelocity(int x, int y, float forceX, float forceY, float radius) = 0;
    // velStep, densStep, then uPrev, vPrev, densPrev := 0.
    virtual void step() = 0;
    virtual void velStep() = 0;
    virtual void densStep() = 0;
    // Per-cell reads, unchecked: callers pass 0 <= i, j <= N + 1. The GPU model answers 0.
    virtual float getDensity(int i, int j) const = 0;
    virtual float getU(int i, int j) const = 0;
    virtual float getV(int i, int j) const = 0;
    // Same N: nothing. Other N: the fields are rebuilt for the new size, all zero.
    virtual void setN(int newN) = 0;

    // Beside the operations above: where the density for drawing comes from, and for DensitySource::Field the whole
    // field, (N + 2)^2 floats in IX order (null otherwise).
    virtual DensitySource densitySource() const = 0;
    virtual const float* densityField() const { return nullptr; }

    // The largest grid whose cell count still fits the unsigned 32-bit cell arithmetic of both engines.
    static constexpr int MaxN = 65533;
    // n as a grid size; throws std::invalid_argument (naming `model`) for n outside 1..MaxN.
    static std::uint32_t checkedGridSize(int n, const char* model)
    {
        if (n < 1 || n > MaxN)
            throw std::invalid_argument(std::string(model) + ": grid size " + std::to_string(n) + " is outside 1.." +
                                        std::to_string(MaxN));
        return static_cast<std::uint32_t>(n);
    }

    std::uint32_t N;
    std::uint32_t GridSize;
    float Viscosity;
    float DT;
    float Diffusion;
};

} // namespace vornix
