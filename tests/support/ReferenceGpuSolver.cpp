#include "tests/support/ReferenceGpuSolver.h"

#include <epoxy/gl.h>

#include <stdexcept>
#include <utility>

#include "resources/ResourceIds.h"
#include "shell/gl/GlException.h"

namespace vornix::test {

namespace {

constexpr int VertexProgramId = resource::vert_passthru.id;
// Resource ids of the fragment programs, in the order of ReferenceGpuSolver::Program.
constexpr std::array<int, 8> FragmentProgramIds{
    resource::frag_setbnd.id,   resource::frag_addsource.id, resource::frag_linsolve.id,
    resource::frag_addvect.id,  resource::frag_project1.id,  resource::frag_project2.id,
    resource::frag_project3.id, resource::frag_addforcearea_circular.id};

// 1 / (GridSize - 1), rounded once: GridSize - 1 is exact as a float, so the float division is the only rounding.
float oneNStepFor(std::uint32_t gridSize) { return 1.0f / static_cast<float>(gridSize - 1); }

} // namespace

ReferenceGpuSolver::ReferenceGpuSolver(std::ostream& console, int n, float viscosity, float dt, float diffusion,
                                       const ProgramSource& source)
    : FluidModel(checkedGridSize(n, "ReferenceGpuSolver"), viscosity, dt, diffusion), console_(console),
      OneNStep(oneNStepFor(GridSize))
{
    allocateBuffers();
    loadPrograms(source);
}

void ReferenceGpuSolver::loadPrograms(const ProgramSource& source)
{
    try {
        for (int p = 0; p < ProgramCount; ++p) {
            // Vertex text first, then the fragment text (not as two arguments: their order would be unspecified).
            const std::string vertex = source(VertexProgramId);
            const std::string fragment = source(FragmentProgramIds[p]);
            programs_[p] = gl::GlslProg(vertex, fragment);
        }
        programsLoaded_ = true;
    } catch (const gl::GlslProgCompileExc& e) {
        console_ << "Shader compile error: " << '\n' << e.what() << '\n';
    } catch (...) {
        console_ << "Unable to load shader." << '\n';
    }
    console_.flush();
}

// ---- Buffers ----------------------------------------------------------------------------------------------------

void ReferenceGpuSolver::allocateBuffers()
{
    // All seven are made before any is replaced, so a rejected size leaves the old buffers in place.
    std::array<GPUBuffer, FieldCount> fresh;
    for (auto& b : fresh)
        b = makeGPUBuffer(static_cast<int>(GridSize));
    buffers_ = std::move(fresh);
    densityTexture_ = buffers_[Dens].getTexture();
    reset();
    quad_ = BufferQuad::covering(buffers_[U].getTexture());
}

void ReferenceGpuSolver::clearBuffer(Field f)
{
    clearGPUBuffer(buffers_[f]);
    ++counts_.clears;
}

void ReferenceGpuSolver::copyToScratch(Field f)
{
    blitGPUBuffer(buffers_[f], buffers_[Scratch]);
    ++counts_.scratchCopies;
}

void ReferenceGpuSolver::drawQuad(Field target)
{
    drawQuadInto(buffers_[target], quad_);
    ++counts_.quadPasses;
}

// ---- Model operations -------------------------------------------------------------------------------------------

void ReferenceGpuSolver::reset()
{
    clearVelocity();
    clearDensity();
}

void ReferenceGpuSolver::clearVelocity()
{
    clearBuffer(U);
    clearBuffer(V);
    clearBuffer(UPrev);
    clearBuffer(VPrev);
}

void ReferenceGpuSolver::clearDensity()
{
    clearBuffer(Dens);
    clearBuffer(DensPrev);
}

void ReferenceGpuSolver::addDensity(int x, int y, float amount, float radius)
{
    if (!programsLoaded_)
        return;
    addForceArea(DensPrev, x, y, amount, radius);
}

void ReferenceGpuSolver::addVelocity(int x, int y, float forceX, float forceY, float radius)
{
    if (!programsLoaded_)
        return;
    addForceArea(UPrev, x, y, forceX, radius);
    addForceArea(VPrev, x, y, forceY, radius);
}

void ReferenceGpuSolver::step()
{
    if (!programsLoaded_)
        return;
    velStep();
    densStep();
    clearBuffer(UPrev);
    clearBuffer(VPrev);
    clearBuffer(DensPrev);
}

void ReferenceGpuSolver::velStep()
{
    if (!programsLoaded_)
        return;
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

void ReferenceGpuSolver::densStep()
{
    if (!programsLoaded_)
        return;
    addSource(Dens, DensPrev);
    diffuse(DensPrev, Dens, Boundary::Scalar, Diffusion);
    advect(Dens, DensPrev, Boundary::Scalar, U, V);
}

void ReferenceGpuSolver::setN(int newN)
{
    if (newN >= 1 && static_cast<std::uint32_t>(newN) == N)
        return;
    const std::uint32_t n = checkedGridSize(newN, "ReferenceGpuSolver");
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

gl::Texture ReferenceGpuSolver::getDensityTexture() const { return densityTexture_; }

Rectf ReferenceGpuSolver::getDensityArea() const
{
    const int g = static_cast<int>(GridSize);
    return densityTexture_.texCoordsOf(Area{1, 1, g - 1, g - 1});
}

// ---- Passes -----------------------------------------------------------------------------------------------------

const gl::GlslProg& ReferenceGpuSolver::beginPass(Program p)
{
    const gl::GlslProg& prog = programs_[p];
    prog.bind();
    return prog;
}

void ReferenceGpuSolver::bindField(Field f, int unit) { buffers_[f].getTexture().bind(static_cast<GLuint>(unit)); }

void ReferenceGpuSolver::endPass()
{
    buffers_[Scratch].getTexture().unbind(0);
    gl::GlslProg::unbind();
}

void ReferenceGpuSolver::setBnd(Field x, Boundary b)
{
    if (!hasProgram(SetBnd))
        return;
    copyToScratch(x);
    const auto& prog = beginPass(SetBnd);
    prog.uniform("x", 0);
    prog.uniform("b", static_cast<int>(b));
    prog.uniform("OneNStep", OneNStep);
    bindField(Scratch, 0);
    drawQuad(x);
    endPass();
}

void ReferenceGpuSolver::addSource(Field x, Field s)
{
    if (!hasProgram(AddSource))
        return;
    copyToScratch(x);
    const auto& prog = beginPass(AddSource);
    prog.uniform("x", 0);
    prog.uniform("s", 1);
    prog.uniform("dt", DT);
    bindField(Scratch, 0);
    bindField(s, 1);
    drawQuad(x);
    endPass();
}

void ReferenceGpuSolver::linSolveIteration(Field x, Field x0, float a, float c)
{
    if (!hasProgram(LinSolve))
        return;
    copyToScratch(x);
    const auto& prog = beginPass(LinSolve);
    prog.uniform("x", 0);
    prog.uniform("x0", 1);
    prog.uniform("a", a);
    prog.uniform("c", c);
    prog.uniform("OneNStep", OneNStep);
    prog.uniform("OneMinusOneNStep", 1.0f - OneNStep);
    bindField(Scratch, 0);
    bindField(x0, 1);
    drawQuad(x);
    endPass();
}

void ReferenceGpuSolver::linSolve(Field x, Field x0, Boundary b, float a, float c)
{
    for (int k = 0; k < LinSolveIterations; ++k) {
        linSolveIteration(x, x0, a, c);
        setBnd(x, b);
    }
}

void ReferenceGpuSolver::diffuse(Field x, Field x0, Boundary b, float rate)
{
    const float n = static_cast<float>(N);
    const float a = DT * rate * n * n;
    linSolve(x, x0, b, a, 1.0f + 4.0f * a);
}

void ReferenceGpuSolver::advectPass(Field d, Field d0, Field u, Field v, float dt0)
{
    if (!hasProgram(AddVect))
        return;
    // No scratch copy: the target is never one of the fields read.
    const auto& prog = beginPass(AddVect);
    prog.uniform("d0", 0);
    prog.uniform("u", 1);
    prog.uniform("v", 2);
    prog.uniform("OneNStep", OneNStep);
    prog.uniform("OneMinusOneNStep", 1.0f - OneNStep);
    prog.uniform("DT0", dt0);
    bindField(d0, 0);
    bindField(u, 1);
    bindField(v, 2);
    drawQuad(d);
    endPass();
}

void ReferenceGpuSolver::advect(Field d, Field d0, Boundary b, Field u, Field v)
{
    advectPass(d, d0, u, v, (1.0f - OneNStep) * DT);
    setBnd(d, b);
}

void ReferenceGpuSolver::divergencePass(Field u, Field v, Field div)
{
    if (!hasProgram(Project1))
        return;
    const auto& prog = beginPass(Project1);
    prog.uniform("u", 0);
    prog.uniform("v", 1);
    prog.uniform("OneNStep", OneNStep);
    prog.uniform("N", static_cast<float>(N));
    bindField(u, 0);
    bindField(v, 1);
    drawQuad(div);
    endPass();
}

void ReferenceGpuSolver::subtractGradientU(Field u, Field p)
{
    if (!hasProgram(Project2))
        return;
    copyToScratch(u);
    const auto& prog = beginPass(Project2);
    prog.uniform("u0", 0);
    prog.uniform("p", 2);
    prog.uniform("OneNStep", OneNStep);
    prog.uniform("N", static_cast<float>(N));
    bindField(Scratch, 0);
    bindField(p, 2);
    drawQuad(u);
    endPass();
}

void ReferenceGpuSolver::subtractGradientV(Field v, Field p)
{
    if (!hasProgram(Project3))
        return;
    copyToScratch(v);
    const auto& prog = beginPass(Project3);
    prog.uniform("v0", 1);
    prog.uniform("p", 2);
    prog.uniform("OneNStep", OneNStep);
    prog.uniform("N", static_cast<float>(N));
    bindField(Scratch, 1);
    bindField(p, 2);
    drawQuad(v);
    endPass();
}

void ReferenceGpuSolver::project(Field u, Field v, Field p, Field div)
{
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

void ReferenceGpuSolver::addForceAreaPass(Field f, float xCenter, float yCenter, float value, float r)
{
    if (!hasProgram(AddForceAreaCircular))
        return;
    copyToScratch(f);
    const auto& prog = beginPass(AddForceAreaCircular);
    prog.uniform("field0", 0);
    prog.uniform("x_center", xCenter);
    prog.uniform("y_center", yCenter);
    prog.uniform("s", value);
    prog.uniform("r", r);
    bindField(Scratch, 0);
    drawQuad(f);
    endPass();
}

void ReferenceGpuSolver::addForceArea(Field f, int x, int y, float value, float radius)
{
    addForceAreaPass(f, static_cast<float>(x) * OneNStep, static_cast<float>(y) * OneNStep, value,
                     OneNStep * radius);
}

} // namespace vornix::test
