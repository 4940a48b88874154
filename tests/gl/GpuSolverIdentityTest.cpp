// The fast GPU model against the reference pass sequence (scratch copies, RGBA32F fields, the original programs):
// density and velocity must agree bit for bit on the same driver, step after step, with forces; and the rewritten
// boundary program must give what the original gives at every kind of fragment, walls and corners included.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/Resources.h"
#include "shell/gl/Fbo.h"
#include "shell/gl/GlslProg.h"
#include "tests/support/GpuFieldSupport.h"
#include "tests/support/ReferenceGpuSolver.h"

using namespace vornix;
using test::Field4;

namespace {

using Fast = FluidModelGLSL::Field;
using Ref = test::ReferenceGpuSolver::Field;

// Brush strokes that move around the grid and push in changing directions, as a user's drags would.
template <class Model> void stroke(Model& model, int n, int k)
{
    const int x = 1 + (k * 7) % n, y = 1 + (k * 3 + n / 3) % n;
    model.addDensity(x, y, 0.5f, 0.12f * n + 1.0f);
    model.addVelocity(x, y, 3.0f * ((k % 5) - 2), 2.0f * ((k % 3) - 1) + 0.5f, 0.08f * n + 1.0f);
}

::testing::AssertionResult sameFields(FluidModelGLSL& fast, test::ReferenceGpuSolver& ref, int stepNo)
{
    const std::pair<Fast, Ref> pairs[] = {{Fast::Dens, Ref::Dens}, {Fast::U, Ref::U}, {Fast::V, Ref::V}};
    const char* names[] = {"density", "u", "v"};
    for (int k = 0; k < 3; ++k)
        if (!test::sameRed(test::readField(fast, pairs[k].first), test::readField(ref, pairs[k].second)))
            return ::testing::AssertionFailure() << names[k] << " differs after step " << stepNo;
    return ::testing::AssertionSuccess();
}

TEST(GpuSolverIdentity, FastModelMatchesTheReferenceBitForBitAfterManyStepsWithForces)
{
    struct Case {
        int n, steps;
        float viscosity, dt, diffusion;
    };
    // Several grid sizes (odd and even, h not a power of two) and both zero and non-zero rates.
    const Case cases[] = {{8, 40, 0.0001f, 0.1f, 0.0002f}, {31, 30, 0.0f, 0.1f, 0.0f}, {64, 25, 0.00001f, 0.1f, 0.00002f},
                          {100, 12, 0.000005f, 0.05f, 0.00001f}};
    for (const Case& c : cases) {
        SCOPED_TRACE("N = " + std::to_string(c.n));
        std::ostringstream console;
        FluidModelGLSL fast(console, c.n, c.viscosity, c.dt, c.diffusion);
        test::ReferenceGpuSolver ref(console, c.n, c.viscosity, c.dt, c.diffusion);
        ASSERT_TRUE(fast.programsLoaded() && ref.programsLoaded()) << console.str();
        for (int k = 0; k < c.steps; ++k) {
            stroke(fast, c.n, k);
            stroke(ref, c.n, k);
            // The brushes' discs too.
            if (k == 0) {
                ASSERT_TRUE(test::sameRed(test::readField(fast, Fast::DensPrev), test::readField(ref, Ref::DensPrev)));
            }
            fast.step();
            ref.step();
            if (k % 5 == 4 || k == c.steps - 1) {
                ASSERT_TRUE(sameFields(fast, ref, k));
            }
        }
        // Something happened: the comparison is not one of zeros.
        const Field4 dens = test::readField(fast, Fast::Dens);
        float peak = 0.0f;
        for (int i = 0; i < dens.g * dens.g; ++i)
            peak = std::max(peak, dens.texels[static_cast<std::size_t>(4 * i)]);
        EXPECT_GT(peak, 0.01f);
        EXPECT_EQ(fast.getDensityTexture().getId(), fast.buffer(Fast::Dens).getTexture().getId());
    }
}

TEST(GpuSolverIdentity, SetNAndResetKeepTheModelsInStep)
{
    std::ostringstream console;
    FluidModelGLSL fast(console, 20, 0.0001f, 0.1f, 0.0001f);
    test::ReferenceGpuSolver ref(console, 20, 0.0001f, 0.1f, 0.0001f);
    for (int k = 0; k < 3; ++k) {
        stroke(fast, 20, k);
        stroke(ref, 20, k);
        fast.step();
        ref.step();
    }
    fast.setN(37);
    ref.setN(37);
    fast.DT = ref.DT = 0.2f;   // the application may change the time step between steps
    for (int k = 0; k < 6; ++k) {
        stroke(fast, 37, k);
        stroke(ref, 37, k);
        fast.step();
        ref.step();
    }
    EXPECT_TRUE(sameFields(fast, ref, 6));
    fast.clearVelocity();
    ref.clearVelocity();
    stroke(fast, 37, 9);
    stroke(ref, 37, 9);
    fast.step();
    ref.step();
    EXPECT_TRUE(sameFields(fast, ref, 7));
}

// Runs a boundary program on single fragments with exactly the given texture coordinates (one point per fragment,
// so coordinates of exactly 0.0 and 1.0 reach the program) and returns the RGBA results.
std::vector<float> boundaryAt(const gl::GlslProg& prog, GLuint field, int b, float h, const std::vector<float>& st)
{
    const int count = static_cast<int>(st.size() / 2);
    gl::Fbo target(count, 1, gl::FboFormat().colorInternalFormatIs(GL_RGBA32F).enableDepthBuffer(false));
    target.bindFramebuffer();
    glViewport(0, 0, count, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, count, 0.0, 1.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    prog.bind();
    prog.uniform("x", 0);
    prog.uniform("b", b);
    prog.uniform("OneNStep", h);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, field);
    glPointSize(1.0f);
    glBegin(GL_POINTS);
    for (int k = 0; k < count; ++k) {
        glTexCoord2f(st[2 * k], st[2 * k + 1]);
        glVertex2f(k + 0.5f, 0.5f);
    }
    glEnd();
    std::vector<float> out(static_cast<std::size_t>(4 * count));
    glReadPixels(0, 0, count, 1, GL_RGBA, GL_FLOAT, out.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    gl::GlslProg::unbind();
    gl::Fbo::unbindFramebuffer();
    return out;
}

TEST(GpuSolverIdentity, BoundaryProgramGivesTheOriginalRuleOnWallsCornersAndInterior)
{
    const int g = 10;
    const float h = 1.0f / (g - 1);
    std::ostringstream console;
    test::ReferenceGpuSolver model(console, g - 2, 0.0f, 0.1f, 0.0f);
    test::writeField(model, Ref::Dens, test::patternField(g));
    const GLuint field = model.buffer(Ref::Dens).getTexture().getId();

    const std::string vertex = loadResource(128, "GLSL")->getBuffer().asString();
    const gl::GlslProg fast(vertex, loadResource(129, "GLSL")->getBuffer().asString());
    const gl::GlslProg original(test::referenceProgramText(128), test::referenceProgramText(129));

    // Every combination of these coordinates: the walls, the corners, the inner neighbours and ordinary points.
    const float marks[] = {0.0f, h, 0.5f * h, 0.37f, 1.0f - h, 0.999f, 1.0f};
    std::vector<float> st;
    for (float s : marks)
        for (float t : marks) {
            st.push_back(s);
            st.push_back(t);
        }
    for (int b = 0; b <= 2; ++b) {
        const std::vector<float> expected = boundaryAt(original, field, b, h, st);
        const std::vector<float> got = boundaryAt(fast, field, b, h, st);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t k = 0; k < got.size(); ++k)
            EXPECT_EQ(std::memcmp(&got[k], &expected[k], sizeof(float)), 0)
                << "b " << b << " at (" << st[2 * (k / 4)] << ", " << st[2 * (k / 4) + 1] << ") channel " << k % 4
                << ": " << got[k] << " instead of " << expected[k];
        // The walls really were taken: at (0, 0.37) the value is the neighbour's, negated for b = 1.
        const std::size_t wall = 4 * (0 * 7 + 3);
        EXPECT_NE(expected[wall], 0.0f);
    }
}

} // namespace
