// The GPU model's field buffers: format, the texel-exact quad, the scratch copy, clearing, and the GL state a pass
// leaves behind.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cmath>
#include <sstream>

#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/gl/Fbo.h"
#include "shell/gl/GlslProg.h"
#include "tests/support/GpuFieldSupport.h"

using namespace vornix;
using test::Field4;
using F = FluidModelGLSL::Field;

namespace {

const char* const passVertex = "void main() { gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }";

void expectFieldTexture(gl::Texture& t, GLint expectedFormat)
{
    EXPECT_EQ(t.getWidth(), 8);
    EXPECT_EQ(t.getHeight(), 8);
    GLint internal = 0, minFilter = 0, wrapS = 0, wrapT = 0;
    glBindTexture(GL_TEXTURE_2D, t.getId());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(internal, expectedFormat);
    EXPECT_EQ(minFilter, GL_LINEAR);
    EXPECT_EQ(wrapS, GL_CLAMP_TO_EDGE);
    EXPECT_EQ(wrapT, GL_CLAMP_TO_EDGE);
}

TEST(GpuBuffers, ZeroedFloatBuffersOfTheWholeGridAndADensityTextureWithRedInEveryChannel)
{
    std::ostringstream console;
    FluidModelGLSL model(console, 6, 0.0f, 0.1f, 0.0f);
    EXPECT_TRUE(model.programsLoaded()) << console.str();
    EXPECT_EQ(console.str(), "");
    // llvmpipe has red-only float textures and swizzles.
    EXPECT_TRUE(model.singleChannel());
    for (int f = 0; f < F::FieldCount; ++f) {
        expectFieldTexture(model.buffer(F(f)).getTexture(), GL_R32F);
        EXPECT_FALSE(model.buffer(F(f)).getDepthTexture());
        EXPECT_TRUE(test::allZero(test::readField(model, F(f)))) << "field " << f;
    }
    EXPECT_EQ(model.getDensityTexture().getId(), model.buffer(F::Dens).getTexture().getId());

    // The renderer samples the density texture's red channel; every channel must show the density.
    test::Field4 dens(8);
    dens.at(3, 4, 0) = 0.75f;
    test::writeField(model, F::Dens, dens);
    gl::GlslProg probe(passVertex, "uniform sampler2D d; void main() { gl_FragColor = texture2D(d, vec2(3.5, 4.5) / 8.0); }");
    probe.bind();
    probe.uniform("d", 0);
    gl::Fbo target(1, 1, gl::FboFormat().colorInternalFormatIs(GL_RGBA32F).enableDepthBuffer(false));
    target.bindFramebuffer();
    glViewport(0, 0, 1, 1);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    probe.bind();
    model.getDensityTexture().bind(0);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    float rgba[4] = {};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_FLOAT, rgba);
    gl::GlslProg::unbind();
    model.getDensityTexture().unbind(0);
    gl::Fbo::unbindFramebuffer();
    for (float c : rgba)
        EXPECT_EQ(c, 0.75f);
}

TEST(GpuBuffers, ReferenceSolverKeepsSevenRgbaBuffers)
{
    std::ostringstream console;
    test::ReferenceGpuSolver model(console, 6, 0.0f, 0.1f, 0.0f);
    EXPECT_TRUE(model.programsLoaded()) << console.str();
    using R = test::ReferenceGpuSolver::Field;
    for (int f = 0; f < R::FieldCount; ++f) {
        expectFieldTexture(model.buffer(R(f)).getTexture(), GL_RGBA32F);
        if (f != R::Scratch) {
            EXPECT_TRUE(test::allZero(test::readField(model, R(f)))) << "field " << f;
        }
    }
}

TEST(GpuBuffers, QuadGivesEveryTexelItsCentreAndPassesLeaveTheirState)
{
    std::ostringstream console;
    FluidModelGLSL model(console, 10, 0.0f, 0.1f, 0.0f);
    // The fields are single-channel: draw s into one field and t into another.
    gl::GlslProg coordS(passVertex, "void main() { gl_FragColor = vec4(gl_TexCoord[0].s, 0.0, 0.0, 1.0); }");
    gl::GlslProg coordT(passVertex, "void main() { gl_FragColor = vec4(gl_TexCoord[0].t, 0.0, 0.0, 1.0); }");
    coordS.bind();
    model.drawQuad(F::Dens);
    coordT.bind();
    model.drawQuad(F::U);
    gl::GlslProg::unbind();

    const Field4 s = test::readField(model, F::Dens);
    const Field4 t = test::readField(model, F::U);
    const int g = 12;
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i) {
            EXPECT_NEAR(s.at(i, j, 0), (i + 0.5) / g, 1e-6) << i << "," << j;
            EXPECT_NEAR(t.at(i, j, 0), (j + 0.5) / g, 1e-6) << i << "," << j;
            EXPECT_NE(s.at(i, j, 0), 0.0f);
            EXPECT_NE(s.at(i, j, 0), 1.0f);
        }
    GLint arrayBuffer = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    EXPECT_EQ(arrayBuffer, 0) << "the quad's buffer object is unbound after a pass";

    GLint framebuffer = -1, viewport[4] = {};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(framebuffer, 0);
    EXPECT_EQ(viewport[2], g);
    EXPECT_EQ(viewport[3], g);
    GLfloat projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // glOrtho(0, g, 0, g, -1, 1): x' = 2x/g - 1.
    EXPECT_FLOAT_EQ(projection[0], 2.0f / g);
    EXPECT_FLOAT_EQ(projection[5], 2.0f / g);
    EXPECT_FLOAT_EQ(projection[12], -1.0f);
    EXPECT_FLOAT_EQ(projection[13], -1.0f);
}

TEST(GpuBuffers, ReferenceScratchCopyReproducesTheBufferAndClearZeroesIt)
{
    using F = test::ReferenceGpuSolver::Field;
    std::ostringstream console;
    test::ReferenceGpuSolver model(console, 6, 0.0f, 0.1f, 0.0f);
    const Field4 pattern = test::patternField(8);
    test::writeField(model, F::VPrev, pattern);
    model.copyToScratch(F::VPrev);
    EXPECT_EQ(test::readField(model, F::Scratch).texels, pattern.texels);

    // Sampling the copy at each fragment's own coordinate gives the field back.
    gl::GlslProg echo(passVertex,
                      "uniform sampler2D x; void main() { gl_FragColor = texture2D(x, gl_TexCoord[0].st); }");
    echo.bind();
    echo.uniform("x", 0);
    model.buffer(F::Scratch).getTexture().bind(0);
    model.drawQuad(F::Dens);
    model.buffer(F::Scratch).getTexture().unbind(0);
    gl::GlslProg::unbind();
    const Field4 echoed = test::readField(model, F::Dens);
    for (std::size_t k = 0; k < pattern.texels.size(); ++k)
        EXPECT_NEAR(echoed.texels[k], pattern.texels[k], 1e-5) << k;

    model.clearBuffer(F::VPrev);
    EXPECT_TRUE(test::allZero(test::readField(model, F::VPrev)));
    GLint framebuffer = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    EXPECT_EQ(framebuffer, 0);
}

} // namespace
