// FluidModelGLSL: the fluid model with every field in a float texture and every solver stage a full-buffer
// fragment-shader pass (Jacobi iterations for the linear solves). Same stage order and field roles as the CPU model.
//
// Built for software rasterisers as much as for GPUs, with the same numbers as the plain pass sequence (copy to a
// scratch buffer, RGBA32F fields, every state set per pass):
// - every field is a pair of buffers; a pass that rewrites a field draws into the spare one while reading the current
//   one and then swaps them (every pass writes every texel, so this equals copying to scratch first);
// - fields are single-channel R32F where the driver has red-only textures and texture swizzles: every channel was
//   computed independently and only red is ever read, and the density texture shows red in all four channels;
// - the programs read the texture at a selected coordinate instead of inside branches (a software rasteriser runs
//   both sides of a branch); the quad is a buffer object; the draw state is set once per batch of passes, uniforms
//   only when their value changes.
//
// All operations except the per-cell getters issue GL commands and need the model's GL context to be current.
#pragma once

#include <epoxy/gl.h>

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

namespace vornix {

class FluidModelGLSL : public FluidModel {
public:
    // Returns the text of the program resource with the given id; throws when it cannot.
    using ProgramSource = std::function<std::string(int resourceId)>;

    // The fields, in the order their buffers are made.
    enum Field : int { U, V, UPrev, VPrev, Dens, DensPrev, FieldCount };

    // Work one step issues, counted as it happens (read by tests and benchmarks).
    struct PassCounts {
        std::uint64_t quadPasses = 0;
        std::uint64_t scratchCopies = 0;   // buffer-to-buffer copies (only to put the density back in its texture)
        std::uint64_t clears = 0;
    };

    // Makes the buffers (all fields zero) and loads the programs from the embedded "GLSL" resources. A program that
    // fails to load is reported on `console` ("Shader compile error: " and the compiler message, or "Unable to load
    // shader.") and loading stops; the model then keeps its buffers and density texture but step and the brushes do
    // nothing. Throws std::invalid_argument for n outside 1..65533 and gl::FboExceptionInvalidSpecification when the
    // driver rejects a buffer.
    FluidModelGLSL(std::ostream& console, int n, float viscosity, float dt, float diffusion);
    // As above, with the program texts taken from `source` instead of the resources.
    FluidModelGLSL(std::ostream& console, int n, float viscosity, float dt, float diffusion,
                   const ProgramSource& source);
    ~FluidModelGLSL() override;
    FluidModelGLSL(const FluidModelGLSL&) = delete;
    FluidModelGLSL& operator=(const FluidModelGLSL&) = delete;

    // What the current context lacks for this model (framebuffer objects with blits, floating-point textures), in
    // words for the user; empty when it has everything. Needs a current context.
    static std::string missingCapability();

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

    // The colour texture of the density buffer; valid until setN reallocates or the model goes. It holds the density
    // after every model operation; red carries it, and a single-channel texture shows it in all four channels.
    virtual gl::Texture getDensityTexture() const;
    // Texture coordinates (x1, y1, x2, y2) of the density texture's interior, without the boundary ring.
    virtual Rectf getDensityArea() const;

    // True when all eight solver programs loaded; otherwise step and the brushes do nothing.
    bool programsLoaded() const { return programsLoaded_; }
    float oneNStep() const { return OneNStep; }
    const PassCounts& passCounts() const { return counts_; }
    void resetPassCounts() { counts_ = PassCounts(); }
    // True when the fields are single-channel (R32F) textures, false when they are RGBA32F.
    bool singleChannel() const { return singleChannel_; }
    // A field's current buffer, for the renderer's tests and for test harnesses that fill or read fields.
    GPUBuffer& buffer(Field f) { return buffers_[f][front_[f]]; }

    // ---- Buffer operations ---------------------------------------------------------------------------------------
    void allocateBuffers();
    void clearBuffer(Field f);
    // Draws the full-buffer quad into the current buffer of `target` with the program and textures that are current.
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
    // The float and int uniforms the passes set (samplers are assigned their units once, at load).
    enum Uniform : int { OneNStepU, OneMinusOneNStepU, NU, DtU, DT0U, AU, CU, BU, XCenterU, YCenterU, SU, RU, UniformCount };
    // A linked program with its uniform locations, looked up once, and the values last given to them.
    struct ProgramState {
        std::array<GLint, UniformCount> location{};
        std::array<std::uint32_t, UniformCount> lastBits{};
        std::array<bool, UniformCount> isSet{};
    };
    // Sets the draw state that all passes share on entry and restores the state the rest of the program expects on
    // exit (framebuffer 0, no program, no field textures bound, no buffer object bound); nests.
    class Batch {
    public:
        explicit Batch(FluidModelGLSL& model);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        FluidModelGLSL& model_;
    };
    friend class Batch;

    void loadPrograms(const ProgramSource& source);
    void prepareProgram(Program p);
    // A pass whose program did not load does nothing, so no empty handle is ever bound.
    bool hasProgram(Program p) const { return static_cast<bool>(programs_[p]); }
    void beginBatch();
    void endBatch();
    void useProgram(Program p);
    void setUniform(Program p, Uniform u, float value);
    void setUniform(Program p, Uniform u, int value);
    void bindTexture(GLuint texture, int unit);
    // The current / spare texture of a field.
    GLuint current(Field f) const { return textureIds_[f][front_[f]]; }
    void drawInto(Field target, int which);
    // Draws into the spare buffer of `target`, then makes it the current one.
    void drawInPlace(Field target);
    void putDensityHome();

    std::ostream& console_;
    float OneNStep = 0.0f;
    BufferQuad quad_;
    bool programsLoaded_ = false;
    bool singleChannel_ = false;
    PassCounts counts_;
    gl::Texture densityTexture_;
    GLuint quadBuffer_ = 0;
    int batchDepth_ = 0;
    GLuint boundProgram_ = 0;
    std::array<GLuint, 3> boundTextures_{};
    int activeUnit_ = 0;
    bool clearColourSet_ = false;
    std::array<ProgramState, ProgramCount> programState_{};
    // Declared before the buffers so that the buffers (DensPrev back to U) go first, then the programs.
    std::array<gl::GlslProg, ProgramCount> programs_;
    std::array<std::array<GPUBuffer, 2>, FieldCount> buffers_;
    std::array<std::array<GLuint, 2>, FieldCount> framebufferIds_{};
    std::array<std::array<GLuint, 2>, FieldCount> textureIds_{};
    // Which of the two buffers of each field holds its current value; the density's first buffer is its texture.
    std::array<int, FieldCount> front_{};
};

} // namespace vornix
