#include "shell/gl/Fbo.h"

#include <algorithm>
#include <string>

#include "shell/gl/GlException.h"

namespace vornix::gl {

namespace {

std::string completenessMessage(GLenum status)
{
    switch (status) {
    case 0x8CD6: return "Framebuffer incomplete: duplicate attachment";
    case 0x8CD7: return "Framebuffer incomplete: missing attachment";
    case 0x8CD9: return "Framebuffer incomplete: attached images must have same dimensions";
    case 0x8CDA: return "Framebuffer incomplete: attached images must have same format";
    case 0x8CDB: return "Framebuffer incomplete: missing draw buffer";
    case 0x8CDC: return "Framebuffer incomplete: missing read buffer";
    case 0x8CDD: return "Unsupported framebuffer format";
    default: return "Framebuffer invalid: unknown reason";
    }
}

void checkComplete()
{
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        throw FboExceptionInvalidSpecification(completenessMessage(status));
}

} // namespace

// ---- Renderbuffer -----------------------------------------------------------------------------------------------

Renderbuffer::Obj::~Obj()
{
    if (id)
        glDeleteRenderbuffers(1, &id);
}

int Renderbuffer::getMaxSamples()
{
    static int maxSamples = -1;
    if (maxSamples < 0) {
        maxSamples = 0;
        if (epoxy_gl_version() >= 30 || (epoxy_has_gl_extension("GL_EXT_framebuffer_multisample") &&
                                          epoxy_has_gl_extension("GL_EXT_framebuffer_blit")))
            glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    }
    return maxSamples;
}

Renderbuffer::Renderbuffer(int width, int height, GLenum internalFormat, int samples, int coverageSamples)
    : obj_(std::make_shared<Obj>())
{
    obj_->width = width;
    obj_->height = height;
    obj_->samples = std::min(samples, getMaxSamples());
    glGenRenderbuffers(1, &obj_->id);
    glBindRenderbuffer(GL_RENDERBUFFER, obj_->id);
    if (coverageSamples > 0 && epoxy_has_gl_extension("GL_NV_framebuffer_multisample_coverage"))
        glRenderbufferStorageMultisampleCoverageNV(GL_RENDERBUFFER, coverageSamples, obj_->samples, internalFormat,
                                                   width, height);
    else if (obj_->samples > 0)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, obj_->samples, internalFormat, width, height);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, width, height);
}

// ---- Fbo --------------------------------------------------------------------------------------------------------

Fbo::Obj::~Obj()
{
    if (id)
        glDeleteFramebuffers(1, &id);
    if (resolveId)
        glDeleteFramebuffers(1, &resolveId);
}

Fbo::Fbo(int width, int height, const FboFormat& format) : obj_(std::make_shared<Obj>())
{
    obj_->width = width;
    obj_->height = height;
    obj_->format = format;
    init();
}

void Fbo::init()
{
    FramebufferBindingGuard guard;
    const FboFormat& f = obj_->format;
    const bool multisample = f.samples > 0 || f.coverageSamples > 0;

    glGenFramebuffers(1, &obj_->id);
    glBindFramebuffer(GL_FRAMEBUFFER, obj_->id);

    TextureFormat textureFormat;
    textureFormat.target = f.target;
    textureFormat.internalFormat = f.colorInternalFormat;
    textureFormat.wrapS = f.wrapS;
    textureFormat.wrapT = f.wrapT;
    textureFormat.minFilter = f.minFilter;
    textureFormat.magFilter = f.magFilter;
    textureFormat.mipmapping = f.mipmapping;
    for (int k = 0; k < f.numColorBuffers; ++k)
        obj_->colorTextures.emplace_back(obj_->width, obj_->height, textureFormat);

    if (f.numColorBuffers == 0) {
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
    }

    if (!multisample || !initMultisample()) {
        std::vector<GLenum> drawBuffers;
        for (int k = 0; k < f.numColorBuffers; ++k) {
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + k, f.target,
                                   obj_->colorTextures[k].getId(), 0);
            drawBuffers.push_back(GL_COLOR_ATTACHMENT0 + k);
        }
        if (!drawBuffers.empty())
            glDrawBuffers(static_cast<GLsizei>(drawBuffers.size()), drawBuffers.data());
        if (f.depthBuffer) {
            if (f.depthBufferAsTexture) {
                GLuint depthId = 0;
                glGenTextures(1, &depthId);
                obj_->depthTexture = Texture(f.target, depthId, obj_->width, obj_->height, false);
                glBindTexture(f.target, depthId);
                glTexImage2D(f.target, 0, f.depthInternalFormat, obj_->width, obj_->height, 0, GL_DEPTH_COMPONENT,
                             GL_FLOAT, nullptr);
                glTexParameteri(f.target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(f.minFilter));
                glTexParameteri(f.target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(f.magFilter));
                glTexParameteri(f.target, GL_TEXTURE_WRAP_S, static_cast<GLint>(f.wrapS));
                glTexParameteri(f.target, GL_TEXTURE_WRAP_T, static_cast<GLint>(f.wrapT));
                glTexParameteri(f.target, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
                glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, f.target, depthId, 0);
            } else {
                obj_->depthRenderbuffer = Renderbuffer(obj_->width, obj_->height,
                                                       static_cast<GLenum>(f.depthInternalFormat));
                glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                          obj_->depthRenderbuffer.getId());
            }
        }
        checkComplete();
    }
    obj_->needsResolve = false;
    obj_->needsMipmapUpdate = false;
}

// Renders into multisampled renderbuffers and resolves into the colour textures through a second framebuffer.
bool Fbo::initMultisample()
{
    const FboFormat& f = obj_->format;
    if (Renderbuffer::getMaxSamples() <= 0)
        return false;
    // The textures live on a resolve framebuffer; the main one holds the multisampled storage.
    glGenFramebuffers(1, &obj_->resolveId);
    glBindFramebuffer(GL_FRAMEBUFFER, obj_->resolveId);
    for (int k = 0; k < f.numColorBuffers; ++k)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + k, f.target, obj_->colorTextures[k].getId(), 0);
    checkComplete();

    glBindFramebuffer(GL_FRAMEBUFFER, obj_->id);
    for (int k = 0; k < f.numColorBuffers; ++k) {
        obj_->multisampleColor.emplace_back(obj_->width, obj_->height, static_cast<GLenum>(f.colorInternalFormat),
                                            f.samples, f.coverageSamples);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + k, GL_RENDERBUFFER,
                                  obj_->multisampleColor.back().getId());
    }
    if (f.depthBuffer) {
        obj_->multisampleDepth = Renderbuffer(obj_->width, obj_->height, static_cast<GLenum>(f.depthInternalFormat),
                                              f.samples, f.coverageSamples);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  obj_->multisampleDepth.getId());
    }
    checkComplete();
    return true;
}

Texture& Fbo::getTexture(int attachment)
{
    resolveTextures();
    updateMipmaps();
    return obj_->colorTextures.at(static_cast<std::size_t>(attachment));
}

void Fbo::resolveTextures()
{
    if (!obj_->needsResolve || !obj_->resolveId)
        return;
    FramebufferBindingGuard guard;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, obj_->id);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, obj_->resolveId);
    for (int k = 0; k < obj_->format.numColorBuffers; ++k) {
        glReadBuffer(GL_COLOR_ATTACHMENT0 + k);
        glDrawBuffer(GL_COLOR_ATTACHMENT0 + k);
        glBlitFramebuffer(0, 0, obj_->width, obj_->height, 0, 0, obj_->width, obj_->height, GL_COLOR_BUFFER_BIT,
                          GL_NEAREST);
    }
    obj_->needsResolve = false;
}

void Fbo::updateMipmaps()
{
    if (!obj_->needsMipmapUpdate)
        return;
    for (auto& texture : obj_->colorTextures) {
        texture.bind();
        glGenerateMipmap(texture.getTarget());
    }
    obj_->needsMipmapUpdate = false;
}

void Fbo::bindFramebuffer()
{
    glBindFramebuffer(GL_FRAMEBUFFER, obj_->id);
    if (obj_->resolveId)
        obj_->needsResolve = true;
    if (obj_->format.mipmapping)
        obj_->needsMipmapUpdate = true;
}

void Fbo::unbindFramebuffer() { glBindFramebuffer(GL_FRAMEBUFFER, 0); }

void Fbo::blitTo(Fbo& destination, const Area& source, const Area& target, GLenum filter, GLbitfield mask) const
{
    FramebufferBindingGuard guard;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, obj_->id);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, destination.obj_->id);
    glBlitFramebuffer(source.x1, source.y1, source.x2, source.y2, target.x1, target.y1, target.x2, target.y2, mask,
                      filter);
}

} // namespace vornix::gl
