#include "fluid/FluidModelCPU.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "fluid/cpu/Grid.h"

namespace vornix {

namespace {

void fillZero(FieldArray& f) { std::fill_n(f.data(), f.size(), 0.0f); }

} // namespace

FluidModelCPU::FluidModelCPU(int n, float viscosity, float dt, float diffusion)
    : FluidModel(checkedGridSize(n, "FluidModelCPU"), viscosity, dt, diffusion),
      solver(static_cast<std::uint32_t>(n))
{
    cells = GridSize * GridSize;
    u = FieldArray(cells);
    v = FieldArray(cells);
    uPrev = FieldArray(cells);
    vPrev = FieldArray(cells);
    dens = FieldArray(cells);
    densPrev = FieldArray(cells);
    reset();
}

void FluidModelCPU::reset()
{
    clearVelocity();
    clearDensity();
}

void FluidModelCPU::clearVelocity()
{
    fillZero(u);
    fillZero(v);
    fillZero(uPrev);
    fillZero(vPrev);
}

void FluidModelCPU::clearDensity()
{
    fillZero(dens);
    fillZero(densPrev);
}

void FluidModelCPU::addDensity(int x, int y, float amount, float radius)
{
    cpu::addForceArea(cpu::makeGrid(N), densPrev.data(), x, y, amount, radius);
}

void FluidModelCPU::addVelocity(int x, int y, float forceX, float forceY, float radius)
{
    const cpu::Grid g = cpu::makeGrid(N);
    cpu::addForceArea(g, uPrev.data(), x, y, forceX, radius);
    cpu::addForceArea(g, vPrev.data(), x, y, forceY, radius);
}

// velStep then densStep, with the density's source and diffusion moved forward: they read only dens and densPrev,
// which the velocity step leaves alone, so the three diffusions can run side by side (the same numbers in any order).
void FluidModelCPU::step()
{
    const cpu::Grid g = cpu::makeGrid(N);
    solver.beginStep();
    solver.addSource(g, u.data(), uPrev.data(), DT);
    solver.addSource(g, v.data(), vPrev.data(), DT);
    solver.addSource(g, dens.data(), densPrev.data(), DT);
    const cpu::Solver::Diffusion diffusions[] = {{uPrev.data(), u.data(), Boundary::Horizontal, Viscosity},
                                                 {vPrev.data(), v.data(), Boundary::Vertical, Viscosity},
                                                 {densPrev.data(), dens.data(), Boundary::Scalar, Diffusion}};
    solver.diffuseTogether(g, diffusions, DT);
    projectAndAdvectVelocity(g);
    solver.advect(g, dens.data(), densPrev.data(), Boundary::Scalar, u.data(), v.data(), DT);
    solver.endStep();
    fillZero(uPrev);
    fillZero(vPrev);
    fillZero(densPrev);
}

// Forces into velocity, diffuse into the Prev fields, project, advect back into u/v (both along the same
// not-yet-advected velocity), project again. No arrays are swapped: the roles alternate.
void FluidModelCPU::velStep()
{
    const cpu::Grid g = cpu::makeGrid(N);
    solver.addSource(g, u.data(), uPrev.data(), DT);
    solver.addSource(g, v.data(), vPrev.data(), DT);
    const cpu::Solver::Diffusion diffusions[] = {{uPrev.data(), u.data(), Boundary::Horizontal, Viscosity},
                                                 {vPrev.data(), v.data(), Boundary::Vertical, Viscosity}};
    solver.diffuseTogether(g, diffusions, DT);
    projectAndAdvectVelocity(g);
}

// The velocity step after its diffusions.
void FluidModelCPU::projectAndAdvectVelocity(const cpu::Grid& g)
{
    solver.project(g, uPrev.data(), vPrev.data(), u.data(), v.data());
    solver.advectPair(g, u.data(), uPrev.data(), Boundary::Horizontal, v.data(), vPrev.data(), Boundary::Vertical,
                      uPrev.data(), vPrev.data(), DT);
    solver.project(g, u.data(), v.data(), uPrev.data(), vPrev.data());
}

// Sources into density, diffuse into densPrev, advect back into dens along the velocity velStep just made.
void FluidModelCPU::densStep()
{
    const cpu::Grid g = cpu::makeGrid(N);
    solver.addSource(g, dens.data(), densPrev.data(), DT);
    solver.diffuse(g, densPrev.data(), dens.data(), Boundary::Scalar, Diffusion, DT);
    solver.advect(g, dens.data(), densPrev.data(), Boundary::Scalar, u.data(), v.data(), DT);
}

void FluidModelCPU::setN(int newN)
{
    const std::uint32_t n = checkedGridSize(newN, "FluidModelCPU");
    if (n == N)
        return;
    const std::uint32_t size = n + 2;
    const std::uint32_t count = size * size;
    // Allocate everything first: if any allocation throws, nothing of the model has changed yet.
    FieldArray nu(count), nv(count), nuPrev(count), nvPrev(count), ndens(count), ndensPrev(count);
    solver.resize(n);
    u = std::move(nu);
    v = std::move(nv);
    uPrev = std::move(nuPrev);
    vPrev = std::move(nvPrev);
    dens = std::move(ndens);
    densPrev = std::move(ndensPrev);
    N = n;
    GridSize = size;
    cells = count;
    reset();
}

} // namespace vornix
