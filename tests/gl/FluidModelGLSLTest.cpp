// FluidModelGLSL as a whole: the step's data flow and pass counts, the brushes, setN, the density texture and area,
// program-load failures and framebuffer failures.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <sstream>
#include <string>
#include <vector>

#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/Resources.h"
#include "shell/gl/GlException.h"
#include "tests/support/GpuFieldSupport.h"

using namespace vornix;
using test::Field4;
using F = FluidModelGLSL::Field;

namespace {

std::string resourceText(int id) { return loadResource(id, "GLSL")->getBuffer().asString(); }

TEST(FluidModelGLSL, StepOnAStillFluidStaysZeroAndIssuesTheDocumentedPasses)
{
    std::ostringstream console;
    FluidModelGLSL model(console, 8, 0.0001f, 0.1f, 0.0002f);
    model.resetPassCounts();
    model.step();
    // The described 223 passes and 5 clears; the 218 scratch copies are gone (ping-pong buffers).
    EXPECT_EQ(model.passCounts().quadPasses, 223u);
    EXPECT_EQ(model.passCounts().scratchCopies, 0u);
    EXPECT_EQ(model.passCounts().clears, 5u);
    for (int f = F::U; f < F::FieldCount; ++f)
        EXPECT_TRUE(test::allZero(test::readField(model, F(f)))) << "field " << f;
    EXPECT_EQ(model.getDensity(3, 3), 0.0f);
    EXPECT_EQ(model.getU(3, 3), 0.0f);
    EXPECT_EQ(model.getV(3, 3), 0.0f);
}

TEST(FluidModelGLSL, BrushesFillTheSourcesAndStepConsumesThem)
{
    std::ostringstream console;
    FluidModelGLSL model(console, 20, 0.0f, 0.1f, 0.0f);
    model.addDensity(10, 10, 0.5f, 3.0f);
    model.addDensity(10, 10, 0.5f, 3.0f);   // accumulates
    model.addVelocity(10, 10, 4.0f, -2.0f, 3.0f);
    const Field4 densPrev = test::readField(model, F::DensPrev);
    const Field4 uPrev = test::readField(model, F::UPrev);
    const Field4 vPrev = test::readField(model, F::VPrev);
    EXPECT_TRUE(test::allZero(test::readField(model, F::Dens))) << "density appears only after a step";
    // The cell centre nearest the brush centre gets almost the full amount; the two force components share one disc.
    EXPECT_GT(densPrev.at(10, 10, 0), 0.9f);
    EXPECT_NEAR(uPrev.at(10, 10, 0), 4.0f * densPrev.at(10, 10, 0), 1e-5);
    EXPECT_NEAR(vPrev.at(10, 10, 0), -2.0f * densPrev.at(10, 10, 0), 1e-5);
    EXPECT_EQ(densPrev.at(2, 2, 0), 0.0f);

    model.step();
    for (F f : {F::UPrev, F::VPrev, F::DensPrev})
        EXPECT_TRUE(test::allZero(test::readField(model, f))) << "source field " << f;
    const Field4 dens = test::readField(model, F::Dens);
    EXPECT_GT(dens.at(10, 10, 0), 0.05f);
    EXPECT_EQ(dens.at(1, 1, 0), 0.0f);
    EXPECT_GT(test::readField(model, F::U).at(10, 10, 0), 0.0f);
}

TEST(FluidModelGLSL, DiffusionWithoutViscosityCopiesTheInteriorOnly)
{
    std::ostringstream console;
    FluidModelGLSL model(console, 6, 0.0f, 0.1f, 0.0f);
    const Field4 source = test::patternField(8), before = test::patternField(8, -2.0f);
    test::writeField(model, F::U, source);
    test::writeField(model, F::UPrev, before);
    model.diffuse(F::UPrev, F::U, vornix::Boundary::Horizontal, model.Viscosity);
    const Field4 out = test::readField(model, F::UPrev);
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) {
            const bool ring = i == 0 || j == 0 || i == 7 || j == 7;
            EXPECT_NEAR(out.at(i, j, 0), (ring ? before : source).at(i, j, 0), 1e-6) << i << "," << j;
        }
}

TEST(FluidModelGLSL, SetNKeepsTheFluidForTheSameSizeAndStartsAfreshForAnother)
{
    std::ostringstream console;
    FluidModelGLSL model(console, 10, 0.0f, 0.1f, 0.0f);
    const Rectf area = model.getDensityArea();
    EXPECT_FLOAT_EQ(area.x1, 1.0f / 12);
    EXPECT_FLOAT_EQ(area.y1, 1.0f / 12);
    EXPECT_FLOAT_EQ(area.x2, 11.0f / 12);
    EXPECT_FLOAT_EQ(area.y2, 11.0f / 12);

    model.addDensity(5, 5, 1.0f, 2.0f);
    model.step();
    const gl::Texture before = model.getDensityTexture();
    model.setN(10);
    EXPECT_EQ(model.getDensityTexture().getId(), before.getId());
    EXPECT_GT(test::readField(model, F::Dens).at(5, 5, 0), 0.0f);

    model.setN(14);
    EXPECT_EQ(model.N, 14u);
    EXPECT_EQ(model.GridSize, 16u);
    EXPECT_FLOAT_EQ(model.oneNStep(), 1.0f / 15);
    const gl::Texture after = model.getDensityTexture();
    EXPECT_NE(after.getId(), before.getId());
    EXPECT_EQ(after.getWidth(), 16);
    EXPECT_EQ(after.getHeight(), 16);
    for (int f = F::U; f < F::FieldCount; ++f)
        EXPECT_TRUE(test::allZero(test::readField(model, F(f)))) << "field " << f;
    EXPECT_FLOAT_EQ(model.getDensityArea().x2, 15.0f / 16);
    // The quad follows the new size: a step still covers the whole grid.
    model.addDensity(13, 13, 1.0f, 2.0f);
    EXPECT_GT(test::readField(model, F::DensPrev).at(13, 13, 0), 0.5f);
}

TEST(FluidModelGLSL, RejectedSizesLeaveTheModelAsItWas)
{
    std::ostringstream console;
    FluidModelGLSL model(console, 10, 0.0f, 0.1f, 0.0f);
    model.addDensity(5, 5, 1.0f, 2.0f);
    const GLuint texture = model.getDensityTexture().getId();
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);

    EXPECT_THROW(model.setN(maxSize), gl::FboExceptionInvalidSpecification);
    EXPECT_THROW(model.setN(0), std::invalid_argument);
    EXPECT_EQ(model.N, 10u);
    EXPECT_EQ(model.GridSize, 12u);
    EXPECT_FLOAT_EQ(model.oneNStep(), 1.0f / 11);
    EXPECT_EQ(model.getDensityTexture().getId(), texture);
    EXPECT_GT(test::readField(model, F::DensPrev).at(5, 5, 0), 0.5f);

    EXPECT_THROW(FluidModelGLSL(console, maxSize, 0.0f, 0.1f, 0.0f), gl::FboExceptionInvalidSpecification);
    EXPECT_THROW(FluidModelGLSL(console, -3, 0.0f, 0.1f, 0.0f), std::invalid_argument);
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
}

TEST(FluidModelGLSL, ACompileErrorIsReportedAndTheModelStaysInert)
{
    std::vector<int> requested;
    auto broken = [&](int id) {
        requested.push_back(id);
        return id == 132 ? std::string("#version 110\nvoid main() { gl_FragColor = oops; }\n") : resourceText(id);
    };
    std::ostringstream console;
    FluidModelGLSL model(console, 10, 0.0f, 0.1f, 0.0f, broken);
    EXPECT_FALSE(model.programsLoaded());
    // Loading stopped at the broken program.
    EXPECT_EQ(requested, (std::vector<int>{128, 129, 128, 130, 128, 132}));
    const std::string text = console.str();
    EXPECT_EQ(text.rfind("Shader compile error: \nFRAGMENT: ", 0), 0u) << text;
    EXPECT_NE(text.find("oops"), std::string::npos) << text;
    EXPECT_EQ(text.back(), '\n');

    ASSERT_TRUE(model.getDensityTexture());
    EXPECT_EQ(model.getDensityTexture().getWidth(), 12);
    model.resetPassCounts();
    model.addDensity(5, 5, 1.0f, 3.0f);
    model.addVelocity(5, 5, 1.0f, 1.0f, 3.0f);
    model.step();
    model.setBnd(F::Dens, vornix::Boundary::Scalar);   // a pass whose program did load still runs
    EXPECT_EQ(model.passCounts().quadPasses, 1u);
    EXPECT_TRUE(test::allZero(test::readField(model, F::DensPrev)));
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
}

TEST(FluidModelGLSL, AMissingProgramIsReportedAsUnableToLoad)
{
    auto missing = [](int id) { return resourceText(id == 137 ? 9999 : id); };
    std::ostringstream console;
    FluidModelGLSL model(console, 10, 0.0f, 0.1f, 0.0f, missing);
    EXPECT_FALSE(model.programsLoaded());
    EXPECT_EQ(console.str(), "Unable to load shader.\n");
    model.addDensity(5, 5, 1.0f, 3.0f);
    EXPECT_TRUE(test::allZero(test::readField(model, F::DensPrev)));
}

} // namespace
