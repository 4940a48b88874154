// gl::Texture: a value-like handle to a shared GL texture; the texture is deleted with its last handle.
#pragma once

#include <epoxy/gl.h>

#include <memory>

#include "shell/Geometry.h"
#include "shell/Surface.h"
#include "shell/image/ImageIo.h"

namespace vornix::gl {

// Creation parameters of a texture. The defaults are what the program uses everywhere.
struct TextureFormat {
    GLenum target = GL_TEXTURE_2D;
    GLenum wrapS = GL_CLAMP_TO_EDGE;
    GLenum wrapT = GL_CLAMP_TO_EDGE;
    GLenum minFilter = GL_LINEAR;
    GLenum magFilter = GL_LINEAR;
    bool mipmapping = false;
    GLint internalFormat = -1;   // -1: chosen by the constructor from the data
};

class Texture {
public:
    Texture() = default;
    // An empty texture: the format's internal format (GL_RGBA when automatic), no data.
    Texture(int width, int height, const TextureFormat& format = TextureFormat());
    // From a float RGB or RGBA image (GL_RGBA32F / GL_RGB32F where float textures exist).
    explicit Texture(const Surface32f& image, const TextureFormat& format = TextureFormat());
    // From an 8-bit image; the channel order selects the data format. Throws TextureDataExc for orders GL lacks.
    explicit Texture(const Surface8u& image, const TextureFormat& format = TextureFormat());
    // From a decoded image: rows copied into a grey, grey+alpha, RGB or RGBA buffer of the source's data type;
    // the internal format follows the colour model, data type and alpha. Other colour models raise
    // ImageIoExceptionIllegalColorModel.
    explicit Texture(const ImageSource& image, const TextureFormat& format = TextureFormat());
    explicit Texture(const ImageSourceRef& image, const TextureFormat& format = TextureFormat())
        : Texture(*image, format)
    {
    }
    // Wraps a GL name owned elsewhere; it is not deleted with the handle.
    Texture(GLenum target, GLuint textureId, int width, int height, bool doNotDispose);

    explicit operator bool() const { return static_cast<bool>(obj_); }
    void reset() { obj_.reset(); }

    // Binds to texture unit `unit` and leaves unit 0 active.
    void bind(GLuint unit = 0) const;
    void unbind(GLuint unit = 0) const;
    // Enables the target and binds on the active unit (fixed-function texturing).
    void enableAndBind() const;
    void bindEnabled() const { enableAndBind(); }

    GLuint getId() const;
    GLenum getTarget() const;
    GLint getInternalFormat() const;
    int getWidth() const;
    int getHeight() const;
    int getCleanWidth() const { return getWidth(); }
    int getCleanHeight() const { return getHeight(); }
    Area getBounds() const { return Area{0, 0, getWidth(), getHeight()}; }
    bool isFlipped() const;
    void setFlipped(bool flipped = true);
    // Texture coordinates of a texel area (texel units unchanged for non-2D targets); y swapped when flipped.
    Rectf getAreaTexCoords(const Area& area) const;
    Rectf texCoordsOf(const Area& area) const { return getAreaTexCoords(area); }

private:
    struct Obj {
        int width = -1, height = -1;
        GLint internalFormat = -1;
        GLenum target = GL_TEXTURE_2D;
        GLuint textureId = 0;
        bool doNotDispose = false;
        bool flipped = false;
        ~Obj();
    };
    void create(const TextureFormat& format);
    void upload(int width, int height, GLenum dataFormat, GLenum dataType, const void* data);
    std::shared_ptr<Obj> obj_;
};

// Draws the source area of the texture into the destination rectangle of the current coordinate system with
// fixed-function texturing, restoring the binding, enable and client-array state it found.
void draw(const Texture& texture, const Area& sourceArea, const Rectf& destination);
void draw(const Texture& texture, const Rectf& destination);

} // namespace vornix::gl
