// GL wrappers on the real driver: texture formats and coordinates, float framebuffers and their failure messages,
// shader compile errors, the uniform cache, shared handles, and the texture draw.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <string>
#include <vector>

#include "shell/gl/Fbo.h"
#include "shell/gl/GlException.h"
#include "shell/gl/GlslProg.h"
#include "shell/gl/Texture.h"

using namespace vornix;

namespace {

const char* const passVertex = "void main() { gl_TexCoord[0] = gl_MultiTexCoord0; gl_Position = ftransform(); }";

GLint internalFormatOf(const gl::Texture& t)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, t.getId());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
    return value;
}

TEST(GlTexture, EightBitSurfacesUploadInTheirChannelOrder)
{
    Surface8u bgr(2, 1, false, SurfaceChannelOrder::BGR);
    bgr.getPixel(0, 0)[2] = 255;   // red in a BGR pixel
    bgr.getPixel(1, 0)[0] = 255;   // blue
    gl::Texture t(bgr);
    EXPECT_EQ(t.getWidth(), 2);
    EXPECT_EQ(t.getHeight(), 1);
    std::vector<unsigned char> rgb(6);
    glBindTexture(GL_TEXTURE_2D, t.getId());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    EXPECT_EQ((std::vector<unsigned char>{255, 0, 0, 0, 0, 255}), rgb);

    Surface8u rgba(3, 3, true);
    EXPECT_EQ(gl::Texture(rgba).getInternalFormat(), GL_RGBA);
    EXPECT_THROW(gl::Texture(Surface8u(2, 2, true, SurfaceChannelOrder::ABGR)), gl::TextureDataExc);
    try {
        gl::Texture bad(Surface8u(1, 1, false, SurfaceChannelOrder::XBGR));
        FAIL();
    } catch (const gl::TextureDataExc& e) {
        EXPECT_STREQ(e.what(), "Invalid channel order");
    }
}

TEST(GlTexture, FloatImagesBecomeFloatTextures)
{
    Surface32f gradient(2048, 1, true);
    gradient.getPixel(7, 0)[0] = 0.123456789f;
    gl::Texture t(gradient);
    EXPECT_EQ(internalFormatOf(t), GL_RGBA32F);
    std::vector<float> texels(2048 * 4);
    glBindTexture(GL_TEXTURE_2D, t.getId());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    EXPECT_EQ(texels[7 * 4], 0.123456789f);
}

TEST(GlTexture, TexCoordsOfAreas)
{
    gl::Texture t(12, 12);
    const Rectf full = t.texCoordsOf(t.getBounds());
    EXPECT_EQ(full.x1, 0.0f);
    EXPECT_EQ(full.y1, 0.0f);
    EXPECT_EQ(full.x2, 1.0f);
    EXPECT_EQ(full.y2, 1.0f);
    const Rectf inner = t.texCoordsOf(Area{1, 1, 11, 11});
    EXPECT_EQ(inner.x1, 1.0f / 12.0f);
    EXPECT_EQ(inner.y2, 11.0f / 12.0f);
    t.setFlipped();
    const Rectf flipped = t.texCoordsOf(Area{1, 1, 11, 11});
    EXPECT_EQ(flipped.y1, 11.0f / 12.0f);
    EXPECT_EQ(flipped.y2, 1.0f / 12.0f);
}

TEST(GlTexture, TheLastHandleDeletesTheTexture)
{
    GLuint id = 0;
    {
        gl::Texture a(4, 4);
        id = a.getId();
        {
            gl::Texture b = a;
            EXPECT_EQ(b.getId(), id);
        }
        EXPECT_TRUE(glIsTexture(id));
    }
    EXPECT_FALSE(glIsTexture(id));
}

TEST(GlFbo, FloatFramebufferIsCompleteWithOneColourTextureAndNoDepth)
{
    gl::FboFormat format;
    format.colorInternalFormat = GL_RGBA32F;
    format.depthBuffer = false;
    gl::Fbo fbo(12, 12, format);
    EXPECT_EQ(internalFormatOf(fbo.getTexture(0)), GL_RGBA32F);
    EXPECT_EQ(fbo.getTexture(0).getWidth(), 12);

    // Clear it to a value and blit it into a second framebuffer.
    gl::Fbo copy(12, 12, format);
    fbo.bindFramebuffer();
    glClearColor(0.25f, -1.5f, 3.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gl::Fbo::unbindFramebuffer();
    fbo.blitTo(copy, fbo.getBounds(), copy.getBounds());
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    std::vector<float> texels(12 * 12 * 4);
    glBindTexture(GL_TEXTURE_2D, copy.getTexture().getId());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    EXPECT_EQ(texels[0], 0.25f);
    EXPECT_EQ(texels[1], -1.5f);
    EXPECT_EQ(texels[12 * 12 * 4 - 2], 3.0f);
}

TEST(GlFbo, IncompleteFramebufferRaisesItsMessageAndRestoresTheBinding)
{
    gl::Fbo previous(4, 4);
    previous.bindFramebuffer();
    gl::FboFormat empty;
    empty.numColorBuffers = 0;
    empty.depthBuffer = false;
    try {
        gl::Fbo fbo(8, 8, empty);
        FAIL() << "an framebuffer without attachments must not be complete";
    } catch (const gl::FboExceptionInvalidSpecification& e) {
        EXPECT_STREQ(e.what(), "Framebuffer incomplete: missing attachment");
    }
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), previous.getId());
    gl::Fbo::unbindFramebuffer();
}

TEST(GlslProg, FragmentSyntaxErrorNamesTheShaderKind)
{
    try {
        gl::GlslProg prog(passVertex, "void main() { gl_FragColor = vec4(1.0) }");
        FAIL();
    } catch (const gl::GlslProgCompileExc& e) {
        EXPECT_EQ(std::string(e.what()).rfind("FRAGMENT: ", 0), 0u) << e.what();
        EXPECT_GT(std::string(e.what()).size(), 10u);
        EXPECT_EQ(e.getShaderType(), static_cast<GLenum>(GL_FRAGMENT_SHADER));
    }
    try {
        gl::GlslProg prog("void main() { gl_Position = ; }", "void main() { gl_FragColor = vec4(1.0); }");
        FAIL();
    } catch (const gl::GlslProgCompileExc& e) {
        EXPECT_EQ(std::string(e.what()).rfind("VERTEX: ", 0), 0u) << e.what();
    }
}

TEST(GlslProg, UniformsAreCachedAndMissingNamesSetNothing)
{
    gl::GlslProg prog(passVertex, "uniform float gain; void main() { gl_FragColor = vec4(gain); }");
    prog.bind();
    prog.uniform("gain", 0.5f);
    prog.uniform("missing", 3);
    prog.uniform("missing", 4.0f);
    EXPECT_EQ(prog.getUniformLocation("missing"), -1);
    EXPECT_EQ(prog.cachedUniformCount(), 2u);
    GLfloat value = 0;
    glGetUniformfv(prog.getHandle(), prog.getUniformLocation("gain"), &value);
    EXPECT_EQ(value, 0.5f);
    gl::GlslProg::unbind();
}

TEST(GlDraw, TextureDrawFillsTheRectangleAndRestoresState)
{
    gl::Fbo target(8, 8);
    Surface8u red(1, 1, false);
    red.getPixel(0, 0)[0] = 255;
    gl::Texture texture(red);
    gl::Texture other(2, 2);
    other.bind();

    target.bindFramebuffer();
    glViewport(0, 0, 8, 8);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 8, 8, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 1, 1, 1);
    gl::draw(texture, Rectf{0, 0, 4, 8});
    std::vector<unsigned char> pixels(8 * 8 * 4);
    glReadPixels(0, 0, 8, 8, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    gl::Fbo::unbindFramebuffer();
    EXPECT_EQ(pixels[0], 255);            // left half red
    EXPECT_EQ(pixels[7 * 4], 0);          // right half untouched
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), other.getId());
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
}

} // namespace

#include "shell/Resources.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageSourceSurface.h"

namespace {

TEST(GlTexture, TheDecodedHelpPictureBecomesAnRgbTexture)
{
    const auto image = vornix::loadImage(vornix::loadResource(138, "IMG"));
    gl::Texture help(image);
    EXPECT_EQ(help.getWidth(), 1196);
    EXPECT_EQ(help.getHeight(), 1200);
    EXPECT_EQ(internalFormatOf(help), GL_RGB8);
}

TEST(GlTexture, ImageSourcesKeepTheirRowsTopFirst)
{
    Surface8u picture(2, 2, false);
    picture.getPixel(0, 0)[0] = 255;   // top-left red
    picture.getPixel(1, 1)[2] = 255;   // bottom-right blue
    gl::Texture t(std::make_shared<ImageSourceSurface>(picture));
    std::vector<unsigned char> rgb(12);
    glBindTexture(GL_TEXTURE_2D, t.getId());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    EXPECT_EQ(rgb[0], 255);   // texture row 0 is the image's first row
    EXPECT_EQ(rgb[11], 255);
}

} // namespace
