// FluidModelCPU: the fluid model over six float arrays in main memory, stepped with Gauss-Seidel relaxation.
// It is the reference for what one step computes. The step runs the stages in fluid/cpu/Solver, which give the bits of
// the straightforward loops (the tests' oracle) with vector instructions and two threads.
#pragma once

#include <cstdint>

#include "fluid/FluidModel.h"
#include "fluid/cpu/FieldArray.h"
#include "fluid/cpu/SimdPath.h"
#include "fluid/cpu/Solver.h"

namespace vornix {

class FluidModelCPU : public FluidModel {
public:
    // Throws std::invalid_argument for n < 1 and std::bad_alloc when the fields cannot be allocated.
    FluidModelCPU(int n, float viscosity, float dt, float diffusion);
    ~FluidModelCPU() override = default;

    void reset() override;
    void clearVelocity() override;
    void clearDensity() override;
    void addDensity(int x, int y, float amount, float radius) override;
    void addVelocity(int x, int y, float forceX, float forceY, float radius) override;
    void step() override;
    void velStep() override;
    void densStep() override;
    float getDensity(int i, int j) const override { return dens[ix(i, j)]; }
    float getU(int i, int j) const override { return u[ix(i, j)]; }
    float getV(int i, int j) const override { return v[ix(i, j)]; }
    // Strong guarantee: the new fields are allocated before the old ones are released, so a failed setN
    // (std::bad_alloc) leaves the model exactly as it was. n < 1 throws std::invalid_argument.
    void setN(int newN) override;
    DensitySource densitySource() const override { return DensitySource::Field; }

    // Whole-field read access for the renderer and for tests (GridSize * GridSize floats, IX order).
    const float* densityField() const override { return dens.data(); }
    const float* uField() const { return u.data(); }
    const float* vField() const { return v.data(); }
    const float* uPrevField() const { return uPrev.data(); }
    const float* vPrevField() const { return vPrev.data(); }
    const float* densPrevField() const { return densPrev.data(); }
    std::uint32_t cellCount() const { return cells; }

    // How the step runs (results are the same bits either way); for tests and benchmarks. setSimdPath throws
    // std::invalid_argument for a path this processor lacks; setThreadCount throws it for 0.
    void setSimdPath(cpu::SimdPath path) { solver.setSimdPath(path); }
    cpu::SimdPath simdPath() const { return solver.simdPath(); }
    void setThreadCount(unsigned threads) { solver.setThreadCount(threads); }
    unsigned threadCount() const { return solver.threadCount(); }
    // On by default: with several threads, fall back to one while the helpers do not make the step faster.
    void setAdaptiveThreads(bool on) { solver.setAdaptiveThreads(on); }
    // Divide through the reciprocal from the first solve with a new viscosity or diffusion, not only once the
    // float divisions it saves outweigh its proof (for tests).
    void setEagerReciprocal(bool on) { solver.setEagerReciprocal(on); }

private:
    void projectAndAdvectVelocity(const cpu::Grid& g);
    std::uint32_t ix(int i, int j) const
    {
        return static_cast<std::uint32_t>(i) + GridSize * static_cast<std::uint32_t>(j);
    }

    FieldArray u, v, uPrev, vPrev, dens, densPrev;
    std::uint32_t cells = 0;
    cpu::Solver solver;
};

} // namespace vornix
