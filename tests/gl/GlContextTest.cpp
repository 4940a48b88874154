// The shared GL context exists and offers what the program needs: float textures and framebuffer blits.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

TEST(GlContext, OffersFloatTexturesAndFramebufferBlits)
{
    EXPECT_TRUE(epoxy_gl_version() >= 20 || epoxy_has_gl_extension("GL_ARB_texture_float"));
    EXPECT_TRUE(epoxy_has_gl_extension("GL_ARB_texture_float"));
    EXPECT_TRUE(epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_EXT_framebuffer_blit"));
}
