// gl::Fbo: a value-like handle to a shared framebuffer with colour textures (and optionally depth);
// gl::Renderbuffer for attachments that are not textures.
#pragma once

#include <epoxy/gl.h>

#include <memory>
#include <vector>

#include "shell/Geometry.h"
#include "shell/gl/Texture.h"

namespace vornix::gl {

class Renderbuffer {
public:
    Renderbuffer() = default;
    // The sample count is lowered to what the device offers.
    Renderbuffer(int width, int height, GLenum internalFormat = GL_RGBA8, int samples = 0, int coverageSamples = 0);
    explicit operator bool() const { return static_cast<bool>(obj_); }
    GLuint getId() const { return obj_ ? obj_->id : 0; }
    int getWidth() const { return obj_->width; }
    int getHeight() const { return obj_->height; }
    int getSamples() const { return obj_->samples; }

    // GL_MAX_SAMPLES (0 without multisample framebuffers), queried once.
    static int getMaxSamples();

private:
    struct Obj {
        GLuint id = 0;
        int width = 0, height = 0, samples = 0;
        ~Obj();
    };
    std::shared_ptr<Obj> obj_;
};

// Restores the framebuffer binding found at construction when it goes out of scope (also on exceptions).
class FramebufferBindingGuard {
public:
    FramebufferBindingGuard() { glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous_); }
    ~FramebufferBindingGuard() { glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous_)); }
    FramebufferBindingGuard(const FramebufferBindingGuard&) = delete;
    FramebufferBindingGuard& operator=(const FramebufferBindingGuard&) = delete;

private:
    GLint previous_ = 0;
};

// Creation parameters of a framebuffer.
struct FboFormat {
    GLenum target = GL_TEXTURE_2D;
    GLint colorInternalFormat = GL_RGBA8;
    GLint depthInternalFormat = GL_DEPTH_COMPONENT24;
    int samples = 0;
    int coverageSamples = 0;
    bool mipmapping = false;
    bool depthBuffer = true;
    bool depthBufferAsTexture = true;
    int numColorBuffers = 1;
    GLenum wrapS = GL_CLAMP_TO_EDGE, wrapT = GL_CLAMP_TO_EDGE;
    GLenum minFilter = GL_LINEAR, magFilter = GL_LINEAR;

    FboFormat& colorInternalFormatIs(GLint format) { colorInternalFormat = format; return *this; }
    FboFormat& enableDepthBuffer(bool on = true) { depthBuffer = on; return *this; }
};

class Fbo {
public:
    Fbo() = default;
    // Creates and completes the framebuffer; throws FboExceptionInvalidSpecification when GL reports it incomplete.
    // The framebuffer binding found before is restored in every case.
    Fbo(int width, int height, const FboFormat& format = FboFormat());

    explicit operator bool() const { return static_cast<bool>(obj_); }
    void reset() { obj_.reset(); }
    GLuint getId() const { return obj_ ? obj_->id : 0; }
    int getWidth() const { return obj_->width; }
    int getHeight() const { return obj_->height; }
    Area getBounds() const { return Area{0, 0, obj_->width, obj_->height}; }
    const FboFormat& getFormat() const { return obj_->format; }

    // The colour texture of an attachment (resolving multisampling / mipmaps first when needed).
    Texture& getTexture(int attachment = 0);
    Texture& colorTexture(int attachment = 0) { return getTexture(attachment); }
    Texture& getDepthTexture() { return obj_->depthTexture; }

    void bindFramebuffer();
    void bindTarget() { bindFramebuffer(); }
    static void unbindFramebuffer();
    static void unbindTarget() { unbindFramebuffer(); }

    // Blits an area of this framebuffer into an area of `destination`, restoring the framebuffer binding it found.
    void blitTo(Fbo& destination, const Area& source, const Area& target, GLenum filter = GL_NEAREST,
                GLbitfield mask = GL_COLOR_BUFFER_BIT) const;
    void blitInto(Fbo& destination, const Area& source, const Area& target, GLenum filter = GL_NEAREST,
                  GLbitfield mask = GL_COLOR_BUFFER_BIT) const
    {
        blitTo(destination, source, target, filter, mask);
    }

private:
    struct Obj {
        GLuint id = 0;
        GLuint resolveId = 0;   // second framebuffer, only with multisampling
        int width = 0, height = 0;
        FboFormat format;
        std::vector<Texture> colorTextures;
        Texture depthTexture;
        Renderbuffer depthRenderbuffer;
        std::vector<Renderbuffer> multisampleColor;
        Renderbuffer multisampleDepth;
        bool needsResolve = false;
        bool needsMipmapUpdate = false;
        ~Obj();
    };
    void init();
    bool initMultisample();
    void resolveTextures();
    void updateMipmaps();
    std::shared_ptr<Obj> obj_;
};

} // namespace vornix::gl
