// ReferenceGpuSolver: the GPU fluid model in its plain, literal form, kept as the oracle for FluidModelGLSL. Every
// field is an RGBA32F buffer, every in-place pass first blits the field to a scratch buffer, every pass sets all of its
// state and uniforms afresh, and the programs are the original texts (referenceProgramText). The fast engine must give
// bit-identical red channels on the same driver.
//
// All operations except the per-cell getters issue GL commands and need the model's GL context to be current.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "fluid/FluidModel.h"
#include "fluid/gpu/GPUBuffer.h"
#include "shell/Geometry.h"
#include "shell/gl/GlslProg.h"
#include "shell/gl/Texture.h"

namespace vornix::test {

// The original program texts by resource id (128 .. 137 without 131); throws std::out_of_range for other ids.
std::string referenceProgramText(int resourceId);

class ReferenceGpuSolver : public FluidModel {
public:
    // Returns the text of the program resource with the given id; throws when it cannot.
    using ProgramSource = std::function<std::string(int resourceId)>;

    // The field buffers, in the order they are made.
    enum Field : int { U, V, UPrev, VPrev, Dens, DensPrev, Scratch, FieldCount };

    // Work one step issues, counted as it happens (read by tests and benchmarks).
    struct PassCounts {
        std::uint64_t quadPasses = 0;
        std::uint64_t scratchCopies = 0;
        std::uint64_t clears = 0;
    };

    // Makes the buffers (all fields zero) and loads the programs from `source` (by default the original texts). A
    // program that fails to load is reported on `console` as the model does, and step and the brushes then do nothing.
    ReferenceGpuSolver(std::ostream& console, int n, float viscosity, float dt, float diffusion,
                       const ProgramSource& source = referenceProgramText);
    ~ReferenceGpuSolver() override = default;

    void reset() override;
    void clearVelocity() override;
    void clearDensity() override;
    void addDensity(int x, int y, float amount, float radius) override;
    void addVelocity(int x, int y, float forceX, float forceY, float radius) override;
    void step() override;
    void velStep() override;
    void densStep() override;
    // Nothing is read back from the GPU: the density is drawn straight from its texture.
    float getDensity(int, int) const override { return 0.0f; }
    float getU(int, int) const override { return 0.0f; }
    float getV(int, int) const override { return 0.0f; }
    // Same N: nothing. Other N: new all-zero buffers. Strong guarantee: the new buffers are made before the old ones
    // go, so a rejected size (std::invalid_argument, gl::FboExceptionInvalidSpecification) leaves the model as it was.
    void setN(int newN) override;
    DensitySource densitySource() const override { return DensitySource::Texture; }

    // The colour texture of the density buffer; valid until setN reallocates or the model goes.
    virtual gl::Texture getDensityTexture() const;
    // Texture coordinates (x1, y1, x2, y2) of the density texture's interior, without the boundary ring.
    virtual Rectf getDensityArea() const;

    // True when all eight solver programs loaded; otherwise step and the brushes do nothing.
    bool programsLoaded() const { return programsLoaded_; }
    float oneNStep() const { return OneNStep; }
    const PassCounts& passCounts() const { return counts_; }
    void resetPassCounts() { counts_ = PassCounts(); }
    // A field's buffer, for the renderer's tests and for test harnesses that fill or read fields.
    GPUBuffer& buffer(Field f) { return buffers_[f]; }

    // ---- Buffer operations ---------------------------------------------------------------------------------------
    void allocateBuffers();
    void clearBuffer(Field f);
    void copyToScratch(Field f);
    // Draws the full-buffer quad into `target` with the current program and texture bindings.
    void drawQuad(Field target);

    // ---- Pass building blocks (each a complete pass; one whose program is missing does nothing) -------------------
    void setBnd(Field x, Boundary b);
    void addSource(Field x, Field s);
    // One Jacobi iteration into x (no boundary pass).
    void linSolveIteration(Field x, Field x0, float a, float c);
    // 20 iterations, each followed by setBnd(x, b).
    void linSolve(Field x, Field x0, Boundary b, float a, float c);
    void diffuse(Field x, Field x0, Boundary b, float rate);
    void advect(Field d, Field d0, Boundary b, Field u, Field v);
    // Advection with an explicit DT0 (= (1 - h) * DT in the solver), no boundary pass.
    void advectPass(Field d, Field d0, Field u, Field v, float dt0);
    void project(Field u, Field v, Field p, Field div);
    void divergencePass(Field u, Field v, Field div);
    void subtractGradientU(Field u, Field p);
    void subtractGradientV(Field v, Field p);
    // The faded disc around cell (x, y) with a radius in cells.
    void addForceArea(Field f, int x, int y, float value, float radius);
    // The faded disc with centre and radius already in texture coordinates.
    void addForceAreaPass(Field f, float xCenter, float yCenter, float value, float r);

    static constexpr int LinSolveIterations = 20;

private:
    enum Program : int {
        SetBnd, AddSource, LinSolve, AddVect, Project1, Project2, Project3, AddForceAreaCircular, ProgramCount
    };

    void loadPrograms(const ProgramSource& source);
    // A pass whose program did not load does nothing, so no empty handle is ever bound.
    bool hasProgram(Program p) const { return static_cast<bool>(programs_[p]); }
    // Makes the program current and binds field textures to units; endPass undoes what the next pass would not.
    const gl::GlslProg& beginPass(Program p);
    void bindField(Field f, int unit);
    void endPass();

    std::ostream& console_;
    float OneNStep = 0.0f;
    BufferQuad quad_;
    bool programsLoaded_ = false;
    PassCounts counts_;
    gl::Texture densityTexture_;
    // Declared before the buffers so that the buffers (scratch back to u) go first, then the programs.
    std::array<gl::GlslProg, ProgramCount> programs_;
    std::array<GPUBuffer, FieldCount> buffers_;
};

} // namespace vornix::test
