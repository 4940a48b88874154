#include "fluid/gpu/FluidModelGLSL.h"

#include <epoxy/gl.h>

#include <cstring>
#include <stdexcept>
#include <vector>
#include <utility>

#include "shell/Resources.h"
#include "shell/gl/GlException.h"

namespace vornix {

namespace {

constexpr int VertexProgramId = resource::vert_passthru.id;
// Resource ids of the fragment programs, in the order of FluidModelGLSL::Program.
constexpr std::array<int, 8> FragmentProgramIds{
    resource::frag_setbnd.id,   resource::frag_addsource.id, resource::frag_linsolve.id,
    resource::frag_addvect.id,  resource::frag_project1.id,  resource::frag_project2.id,
    resource::frag_project3.id, resource::frag_addforcearea_circular.id};

// 1 / (GridSize - 1), rounded once: GridSize - 1 is exact as a float, so the float division is the only rounding.
float oneNStepFor(std::uint32_t gridSize) { return 1.0f / static_cast<float>(gridSize - 1); }

std::string resourceText(int id) { return loadResource(id, "GLSL")->getBuffer().asString(); }

constexpr std::array<const char*, 12> UniformNames{"OneNStep", "OneMinusOneNStep", "N", "dt", "DT0", "a",
                                                   "c",        "b",                "x_center", "y_center", "s", "r"};

struct SamplerUnit {
    const char* name;
    int unit;
};
// The sampler uniforms of each program and the texture unit each reads, in the order of FluidModelGLSL::Program.
const std::array<std::vector<SamplerUnit>, 8> ProgramSamplers{{
    {{"x", 0}},
    {{"x", 0}, {"s", 1}},
    {{"x", 0}, {"x0", 1}},
    {{"d0", 0}, {"u", 1}, {"v", 2}},
    {{"u", 0}, {"v", 1}},
    {{"u0", 0}, {"p", 2}},
    {{"v0", 1}, {"p", 2}},
    {{"field0", 0}},
}};

// Red-only float textures that show red in all four channels need texture_rg and texture swizzles.
bool singleChannelFieldsAvailable()
{
    const int version = epoxy_gl_version();
    const bool rg = version >= 30 || epoxy_has_gl_extension("GL_ARB_texture_rg");
    const bool swizzle = version >= 33 || epoxy_has_gl_extension("GL_ARB_texture_swizzle") ||
                         epoxy_has_gl_extension("GL_EXT_texture_swizzle");
    return rg && swizzle;
}

} // namespace

std::string FluidModelGLSL::missingCapability()
{
    const int version = epoxy_gl_version();
    const bool framebuffers = version >= 30 || epoxy_has_gl_extension("GL_ARB_framebuffer_object") ||
                              (epoxy_has_gl_extension("GL_EXT_framebuffer_object") &&
                               epoxy_has_gl_extension("GL_EXT_framebuffer_blit"));
    if (!framebuffers)
        return "the graphics driver offers no framebuffer objects with blits (GL_ARB_framebuffer_object)";
    if (version < 30 && !epoxy_has_gl_extension("GL_ARB_texture_float"))
        return "the graphics driver offers no floating-point textures (GL_ARB_texture_float)";
    return {};
}

FluidModelGLSL::FluidModelGLSL(std::ostream& console, int n, float viscosity, float dt, float diffusion)
    : FluidModelGLSL(console, n, viscosity, dt, diffusion, resourceText)
{
}

FluidModelGLSL::FluidModelGLSL(std::ostream& console, int n, float viscosity, float dt, float diffusion,
                               const ProgramSource& source)
    : FluidModel(checkedGridSize(n, "FluidModelGLSL"), viscosity, dt, diffusion), console_(console),
      OneNStep(oneNStepFor(GridSize)),
      singleChannel_(singleChannelFieldsAvailable())
{
    glGenBuffers(1, &quadBuffer_);
    try {
        allocateBuffers();
    } catch (...) {
        glDeleteBuffers(1, &quadBuffer_);
        throw;
    }
    loadPrograms(source);
}

FluidModelGLSL::~FluidModelGLSL()
{
    // The buffers go first (last field back to the first), then the programs, then the quad.
    for (int f = FieldCount - 1; f >= 0; --f)
        buffers_[f] = {};
    for (int p = ProgramCount - 1; p >= 0; --p)
        programs_[p].reset();
    glDeleteBuffers(1, &quadBuffer_);
}

void FluidModelGLSL::loadPrograms(const ProgramSource& source)
{
    try {
        for (int p = 0; p < ProgramCount; ++p) {
            // Vertex text first, then the fragment text (not as two arguments: their order would be unspecified).
            const std::string vertex = source(VertexProgramId);
            const std::string fragment = source(FragmentProgramIds[p]);
            programs_[p] = gl::GlslProg(vertex, fragment);
            prepareProgram(static_cast<Program>(p));
        }
        programsLoaded_ = true;
    } catch (const gl::GlslProgCompileExc& e) {
        console_ << "Shader compile error: " << '\n' << e.what() << '\n';
    } catch (...) {
        console_ << "Unable to load shader." << '\n';
    }
    console_.flush();
}

void FluidModelGLSL::prepareProgram(Program p)
{
    // Locations are looked up here once, and the samplers get their fixed units, so no pass queries or sets them.
    const GLuint handle = programs_[p].getHandle();
    ProgramState& state = programState_[p];
    for (int u = 0; u < UniformCount; ++u) {
        state.location[u] = glGetUniformLocation(handle, UniformNames[u]);
        state.isSet[u] = false;
    }
    glUseProgram(handle);
    for (const SamplerUnit& sampler : ProgramSamplers[p])
        glUniform1i(glGetUniformLocation(handle, sampler.name), sampler.unit);
    glUseProgram(0);
    // `s` is a sampler in frag_addsource: never set it as a float there.
    if (p == AddSource)
        state.location[SU] = -1;
}

// ---- Buffers ----------------------------------------------------------------------------------------------------

void FluidModelGLSL::allocateBuffers()
{
    // All buffers are made before any is replaced, so a rejected size leaves the old buffers in place.
    const int g = static_cast<int>(GridSize);
    const GLint format = singleChannel_ ? GL_R32F : GL_RGBA32F;
    std::array<std::array<GPUBuffer, 2>, FieldCount> fresh;
    for (auto& pair : fresh)
        for (auto& b : pair)
            b = makeGPUBuffer(g, format);
    buffers_ = std::move(fresh);
    for (int f = 0; f < FieldCount; ++f) {
        front_[f] = 0;
        for (int k = 0; k < 2; ++k) {
            framebufferIds_[f][k] = buffers_[f][k].getId();
            textureIds_[f][k] = buffers_[f][k].getTexture().getId();
        }
    }
    if (singleChannel_) {
        // The renderer reads the density's red channel; the other three show the same value, as four equal
        // channels would.
        const GLint red[4] = {GL_RED, GL_RED, GL_RED, GL_RED};
        for (GLuint id : textureIds_[Dens]) {
            glBindTexture(GL_TEXTURE_2D, id);
            glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, red);
        }
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    densityTexture_ = buffers_[Dens][0].getTexture();
    quad_ = BufferQuad::covering(densityTexture_);
    glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quad_.vertices) + sizeof(quad_.texCoords), nullptr, GL_STATIC_DRAW);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(quad_.vertices), quad_.vertices.data());
    glBufferSubData(GL_ARRAY_BUFFER, sizeof(quad_.vertices), sizeof(quad_.texCoords), quad_.texCoords.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    reset();
}

void FluidModelGLSL::clearBuffer(Field f)
{
    Batch batch(*this);
    if (!clearColourSet_) {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        clearColourSet_ = true;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebufferIds_[f][front_[f]]);
    glClear(GL_COLOR_BUFFER_BIT);
    ++counts_.clears;
}

void FluidModelGLSL::drawInto(Field target, int which)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebufferIds_[target][which]);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    ++counts_.quadPasses;
}

void FluidModelGLSL::drawQuad(Field target)
{
    Batch batch(*this);
    drawInto(target, front_[target]);
}

void FluidModelGLSL::drawInPlace(Field target)
{
    drawInto(target, 1 - front_[target]);
    front_[target] = 1 - front_[target];
}

void FluidModelGLSL::putDensityHome()
{
    // The renderer may keep the density texture across steps, so the density must end where it started. The step's
    // passes rewrite it an even number of times, so this copy only runs after single passes driven from outside.
    if (front_[Dens] == 0)
        return;
    Batch batch(*this);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebufferIds_[Dens][1]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebufferIds_[Dens][0]);
    const GLint g = static_cast<GLint>(GridSize);
    glBlitFramebuffer(0, 0, g, g, 0, 0, g, g, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    front_[Dens] = 0;
    ++counts_.scratchCopies;
}

// ---- Draw state ---------------------------------------------------------------------------------------------------

FluidModelGLSL::Batch::Batch(FluidModelGLSL& model) : model_(model)
{
    if (model_.batchDepth_++ == 0)
        model_.beginBatch();
}

FluidModelGLSL::Batch::~Batch()
{
    if (--model_.batchDepth_ == 0)
        model_.endBatch();
}

void FluidModelGLSL::beginBatch()
{
    // Every buffer has the same size: one projection, one viewport and one quad serve all passes.
    const double g = static_cast<double>(GridSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, g, 0.0, g, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, static_cast<GLsizei>(GridSize), static_cast<GLsizei>(GridSize));
    glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, nullptr);
    glTexCoordPointer(2, GL_FLOAT, 0, reinterpret_cast<const void*>(sizeof(quad_.vertices)));
    boundProgram_ = 0;
    boundTextures_ = {};
    activeUnit_ = 0;
    clearColourSet_ = false;
    // What other code left bound is unknown: bind explicitly from here on.
    for (int unit = 2; unit >= 0; --unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
}

void FluidModelGLSL::endBatch()
{
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    for (int unit = 2; unit >= 0; --unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glUseProgram(0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void FluidModelGLSL::useProgram(Program p)
{
    const GLuint handle = programs_[p].getHandle();
    if (boundProgram_ != handle) {
        glUseProgram(handle);
        boundProgram_ = handle;
    }
}

void FluidModelGLSL::setUniform(Program p, Uniform u, float value)
{
    ProgramState& state = programState_[p];
    if (state.location[u] < 0)
        return;
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (state.isSet[u] && state.lastBits[u] == bits)
        return;
    glUniform1f(state.location[u], value);
    state.lastBits[u] = bits;
    state.isSet[u] = true;
}

void FluidModelGLSL::setUniform(Program p, Uniform u, int value)
{
    ProgramState& state = programState_[p];
    if (state.location[u] < 0)
        return;
    const auto bits = static_cast<std::uint32_t>(value);
    if (state.isSet[u] && state.lastBits[u] == bits)
        return;
    glUniform1i(state.location[u], value);
    state.lastBits[u] = bits;
    state.isSet[u] = true;
}

void FluidModelGLSL::bindTexture(GLuint texture, int unit)
{
    if (boundTextures_[unit] == texture)
        return;
    if (activeUnit_ != unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        activeUnit_ = unit;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    boundTextures_[unit] = texture;
}

// ---- Model operations -------------------------------------------------------------------------------------------

void FluidModelGLSL::reset()
{
    clearVelocity();
    clearDensity();
}

void FluidModelGLSL::clearVelocity()
{
    Batch batch(*this);
    clearBuffer(U);
    clearBuffer(V);
    clearBuffer(UPrev);
    clearBuffer(VPrev);
}

void FluidModelGLSL::clearDensity()
{
    Batch batch(*this);
    clearBuffer(Dens);
    clearBuffer(DensPrev);
}

void FluidModelGLSL::addDensity(int x, int y, float amount, float radius)
{
    if (!programsLoaded_)
        return;
    addForceArea(DensPrev, x, y, amount, radius);
}

void FluidModelGLSL::addVelocity(int x, int y, float forceX, float forceY, float radius)
{
    if (!programsLoaded_)
        return;
    Batch batch(*this);
    addForceArea(UPrev, x, y, forceX, radius);
    addForceArea(VPrev, x, y, forceY, radius);
}

void FluidModelGLSL::step()
{
    if (!programsLoaded_)
        return;
    Batch batch(*this);
    velStep();
    densStep();
    clearBuffer(UPrev);
    clearBuffer(VPrev);
    clearBuffer(DensPrev);
}

void FluidModelGLSL::velStep()
{
    if (!programsLoaded_)
        return;
    Batch batch(*this);
    addSource(U, UPrev);
    addSource(V, VPrev);
    diffuse(UPrev, U, Boundary::Horizontal, Viscosity);
    diffuse(VPrev, V, Boundary::Vertical, Viscosity);
    project(UPrev, VPrev, U, V);
    // Both advections read the same, not yet advected, velocity in uPrev / vPrev.
    advect(U, UPrev, Boundary::Horizontal, UPrev, VPrev);
    advect(V, VPrev, Boundary::Vertical, UPrev, VPrev);
    project(U, V, UPrev, VPrev);
}

void FluidModelGLSL::densStep()
{
    if (!programsLoaded_)
        return;
    Batch batch(*this);
    addSource(Dens, DensPrev);
    diffuse(DensPrev, Dens, Boundary::Scalar, Diffusion);
    advect(Dens, DensPrev, Boundary::Scalar, U, V);
    putDensityHome();
}

void FluidModelGLSL::setN(int newN)
{
    if (newN >= 1 && static_cast<std::uint32_t>(newN) == N)
        return;
    const std::uint32_t n = checkedGridSize(newN, "FluidModelGLSL");
    const std::uint32_t oldN = N;
    N = n;
    GridSize = n + 2;
    try {
        allocateBuffers();
    } catch (...) {
        N = oldN;
        GridSize = oldN + 2;
        throw;
    }
    OneNStep = oneNStepFor(GridSize);
}

gl::Texture FluidModelGLSL::getDensityTexture() const { return densityTexture_; }

Rectf FluidModelGLSL::getDensityArea() const
{
    const int g = static_cast<int>(GridSize);
    return densityTexture_.texCoordsOf(Area{1, 1, g - 1, g - 1});
}

// ---- Passes -----------------------------------------------------------------------------------------------------
// Each pass binds its program, the uniforms whose values changed and its field textures, and draws; a pass that
// rewrites a field it reads draws into the field's spare buffer.

void FluidModelGLSL::setBnd(Field x, Boundary b)
{
    if (!hasProgram(SetBnd))
        return;
    Batch batch(*this);
    useProgram(SetBnd);
    setUniform(SetBnd, BU, static_cast<int>(b));
    setUniform(SetBnd, OneNStepU, OneNStep);
    bindTexture(current(x), 0);
    drawInPlace(x);
}

void FluidModelGLSL::addSource(Field x, Field s)
{
    if (!hasProgram(AddSource))
        return;
    Batch batch(*this);
    useProgram(AddSource);
    setUniform(AddSource, DtU, DT);
    bindTexture(current(x), 0);
    bindTexture(current(s), 1);
    drawInPlace(x);
}

void FluidModelGLSL::linSolveIteration(Field x, Field x0, float a, float c)
{
    if (!hasProgram(LinSolve))
        return;
    Batch batch(*this);
    useProgram(LinSolve);
    setUniform(LinSolve, AU, a);
    setUniform(LinSolve, CU, c);
    setUniform(LinSolve, OneNStepU, OneNStep);
    setUniform(LinSolve, OneMinusOneNStepU, 1.0f - OneNStep);
    bindTexture(current(x), 0);
    bindTexture(current(x0), 1);
    drawInPlace(x);
}

void FluidModelGLSL::linSolve(Field x, Field x0, Boundary b, float a, float c)
{
    Batch batch(*this);
    for (int k = 0; k < LinSolveIterations; ++k) {
        linSolveIteration(x, x0, a, c);
        setBnd(x, b);
    }
}

void FluidModelGLSL::diffuse(Field x, Field x0, Boundary b, float rate)
{
    const float n = static_cast<float>(N);
    const float a = DT * rate * n * n;
    linSolve(x, x0, b, a, 1.0f + 4.0f * a);
}

void FluidModelGLSL::advectPass(Field d, Field d0, Field u, Field v, float dt0)
{
    if (!hasProgram(AddVect))
        return;
    Batch batch(*this);
    useProgram(AddVect);
    setUniform(AddVect, OneNStepU, OneNStep);
    setUniform(AddVect, OneMinusOneNStepU, 1.0f - OneNStep);
    setUniform(AddVect, DT0U, dt0);
    bindTexture(current(d0), 0);
    bindTexture(current(u), 1);
    bindTexture(current(v), 2);
    // The target is never one of the fields read: draw straight into it.
    drawInto(d, front_[d]);
}

void FluidModelGLSL::advect(Field d, Field d0, Boundary b, Field u, Field v)
{
    Batch batch(*this);
    advectPass(d, d0, u, v, (1.0f - OneNStep) * DT);
    setBnd(d, b);
}

void FluidModelGLSL::divergencePass(Field u, Field v, Field div)
{
    if (!hasProgram(Project1))
        return;
    Batch batch(*this);
    useProgram(Project1);
    setUniform(Project1, OneNStepU, OneNStep);
    setUniform(Project1, NU, static_cast<float>(N));
    bindTexture(current(u), 0);
    bindTexture(current(v), 1);
    drawInto(div, front_[div]);
}

void FluidModelGLSL::subtractGradientU(Field u, Field p)
{
    if (!hasProgram(Project2))
        return;
    Batch batch(*this);
    useProgram(Project2);
    setUniform(Project2, OneNStepU, OneNStep);
    setUniform(Project2, NU, static_cast<float>(N));
    bindTexture(current(u), 0);
    bindTexture(current(p), 2);
    drawInPlace(u);
}

void FluidModelGLSL::subtractGradientV(Field v, Field p)
{
    if (!hasProgram(Project3))
        return;
    Batch batch(*this);
    useProgram(Project3);
    setUniform(Project3, OneNStepU, OneNStep);
    setUniform(Project3, NU, static_cast<float>(N));
    bindTexture(current(v), 1);
    bindTexture(current(p), 2);
    drawInPlace(v);
}

void FluidModelGLSL::project(Field u, Field v, Field p, Field div)
{
    Batch batch(*this);
    clearBuffer(p);
    divergencePass(u, v, div);
    setBnd(div, Boundary::Scalar);
    setBnd(p, Boundary::Scalar);
    linSolve(p, div, Boundary::Scalar, 1.0f, 4.0f);
    subtractGradientU(u, p);
    subtractGradientV(v, p);
    setBnd(u, Boundary::Horizontal);
    setBnd(v, Boundary::Vertical);
}

void FluidModelGLSL::addForceAreaPass(Field f, float xCenter, float yCenter, float value, float r)
{
    if (!hasProgram(AddForceAreaCircular))
        return;
    Batch batch(*this);
    useProgram(AddForceAreaCircular);
    setUniform(AddForceAreaCircular, XCenterU, xCenter);
    setUniform(AddForceAreaCircular, YCenterU, yCenter);
    setUniform(AddForceAreaCircular, SU, value);
    setUniform(AddForceAreaCircular, RU, r);
    bindTexture(current(f), 0);
    drawInPlace(f);
}

void FluidModelGLSL::addForceArea(Field f, int x, int y, float value, float radius)
{
    addForceAreaPass(f, static_cast<float>(x) * OneNStep, static_cast<float>(y) * OneNStep, value,
                     OneNStep * radius);
}

} // namespace vornix
