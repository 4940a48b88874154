#include "shell/gl/Texture.h"

#include <vector>

#include "shell/gl/GlException.h"
#include "shell/image/ImageIoException.h"

namespace vornix::gl {

namespace {

bool floatTexturesAvailable() { return epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_texture_float"); }

// GL data format and type for an 8-bit channel order; throws for orders GL cannot take directly.
void formatFor(const SurfaceChannelOrder& order, GLenum& dataFormat, GLenum& dataType)
{
    dataType = GL_UNSIGNED_BYTE;
    switch (order.getCode()) {
    case SurfaceChannelOrder::RGBA:
    case SurfaceChannelOrder::RGBX: dataFormat = GL_RGBA; return;
    case SurfaceChannelOrder::BGRA:
    case SurfaceChannelOrder::BGRX: dataFormat = GL_BGRA; return;
    case SurfaceChannelOrder::ARGB: dataFormat = GL_BGRA; dataType = GL_UNSIGNED_INT_8_8_8_8; return;
    case SurfaceChannelOrder::RGB: dataFormat = GL_RGB; return;
    case SurfaceChannelOrder::BGR: dataFormat = GL_BGR; return;
    default: throw TextureDataExc("Invalid channel order");
    }
}

// Receives the rows of an image source in a packed layout GL can upload directly.
class UploadTarget : public ImageTarget {
public:
    explicit UploadTarget(const ImageSource& source)
    {
        const bool alpha = source.hasAlpha();
        const bool grey = source.getColorModel() == ImageIo::CM_GRAY;
        setSize(source.getWidth(), source.getHeight());
        setColorModel(source.getColorModel());
        setDataType(source.getDataType());
        setChannelOrder(grey ? (alpha ? ImageIo::YA : ImageIo::Y) : (alpha ? ImageIo::RGBA : ImageIo::RGB));
        pixels.resize(getRowBytes() * static_cast<std::size_t>(getHeight()));
    }
    void* getRowPointer(std::int32_t row) override { return pixels.data() + getRowBytes() * static_cast<std::size_t>(row); }
    std::vector<unsigned char> pixels;
};

GLint automaticInternalFormat(bool grey, bool alpha, ImageIo::DataType type)
{
    switch (type) {
    case ImageIo::UINT8:
        return grey ? (alpha ? GL_LUMINANCE8_ALPHA8 : GL_LUMINANCE8) : (alpha ? GL_RGBA8 : GL_RGB8);
    case ImageIo::UINT16:
        return grey ? (alpha ? GL_LUMINANCE16_ALPHA16 : GL_LUMINANCE16) : (alpha ? GL_RGBA16 : GL_RGB16);
    default:
        if (floatTexturesAvailable())
            return grey ? (alpha ? GL_LUMINANCE_ALPHA32F_ARB : GL_LUMINANCE32F_ARB) : (alpha ? GL_RGBA32F : GL_RGB32F);
        return grey ? (alpha ? GL_LUMINANCE_ALPHA : GL_LUMINANCE) : (alpha ? GL_RGBA : GL_RGB);
    }
}

} // namespace

Texture::Obj::~Obj()
{
    if (textureId && !doNotDispose)
        glDeleteTextures(1, &textureId);
}

Texture::Texture(int width, int height, const TextureFormat& format)
{
    create(format);
    obj_->internalFormat = format.internalFormat == -1 ? GL_RGBA : format.internalFormat;
    upload(width, height, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

Texture::Texture(const Surface32f& image, const TextureFormat& format)
{
    create(format);
    const bool alpha = image.hasAlpha();
    if (format.internalFormat != -1)
        obj_->internalFormat = format.internalFormat;
    else if (floatTexturesAvailable())
        obj_->internalFormat = alpha ? GL_RGBA32F : GL_RGB32F;
    else
        obj_->internalFormat = alpha ? GL_RGBA : GL_RGB;
    upload(image.getWidth(), image.getHeight(), alpha ? GL_RGBA : GL_RGB, GL_FLOAT, image.getData());
}

Texture::Texture(const Surface8u& image, const TextureFormat& format)
{
    GLenum dataFormat, dataType;
    formatFor(image.getChannelOrder(), dataFormat, dataType);
    create(format);
    obj_->internalFormat = format.internalFormat != -1 ? format.internalFormat : (image.hasAlpha() ? GL_RGBA : GL_RGB);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, image.getWidth());
    upload(image.getWidth(), image.getHeight(), dataFormat, dataType, image.getData());
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

Texture::Texture(const ImageSource& image, const TextureFormat& format)
{
    const bool grey = image.getColorModel() == ImageIo::CM_GRAY;
    if (!grey && image.getColorModel() != ImageIo::CM_RGB)
        throw ImageIoExceptionIllegalColorModel();
    UploadTarget target(image);
    image.load(target);
    const bool alpha = image.hasAlpha();
    const GLenum dataFormat = grey ? (alpha ? GL_LUMINANCE_ALPHA : GL_LUMINANCE) : (alpha ? GL_RGBA : GL_RGB);
    const GLenum dataType = image.getDataType() == ImageIo::UINT8    ? GL_UNSIGNED_BYTE
                            : image.getDataType() == ImageIo::UINT16 ? GL_UNSIGNED_SHORT
                                                                     : GL_FLOAT;
    create(format);
    obj_->internalFormat = format.internalFormat != -1 ? format.internalFormat
                                                       : automaticInternalFormat(grey, alpha, image.getDataType());
    upload(image.getWidth(), image.getHeight(), dataFormat, dataType, target.pixels.data());
}

Texture::Texture(GLenum target, GLuint textureId, int width, int height, bool doNotDispose)
    : obj_(std::make_shared<Obj>())
{
    obj_->target = target;
    obj_->textureId = textureId;
    obj_->width = width;
    obj_->height = height;
    obj_->doNotDispose = doNotDispose;
}

void Texture::create(const TextureFormat& format)
{
    obj_ = std::make_shared<Obj>();
    obj_->target = format.target;
    glGenTextures(1, &obj_->textureId);
    glBindTexture(obj_->target, obj_->textureId);
    glTexParameteri(obj_->target, GL_TEXTURE_WRAP_S, static_cast<GLint>(format.wrapS));
    glTexParameteri(obj_->target, GL_TEXTURE_WRAP_T, static_cast<GLint>(format.wrapT));
    glTexParameteri(obj_->target, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(format.minFilter));
    glTexParameteri(obj_->target, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(format.magFilter));
    if (format.mipmapping)
        glTexParameteri(obj_->target, GL_GENERATE_MIPMAP, GL_TRUE);
}

void Texture::upload(int width, int height, GLenum dataFormat, GLenum dataType, const void* data)
{
    obj_->width = width;
    obj_->height = height;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(obj_->target, 0, obj_->internalFormat, width, height, 0, dataFormat, dataType, data);
}

void Texture::bind(GLuint unit) const
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(obj_->target, obj_->textureId);
    glActiveTexture(GL_TEXTURE0);
}

void Texture::unbind(GLuint unit) const
{
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(obj_->target, 0);
    glActiveTexture(GL_TEXTURE0);
}

void Texture::enableAndBind() const
{
    glEnable(obj_->target);
    glBindTexture(obj_->target, obj_->textureId);
}

GLuint Texture::getId() const { return obj_ ? obj_->textureId : 0; }
GLenum Texture::getTarget() const { return obj_->target; }
bool Texture::isFlipped() const { return obj_->flipped; }
void Texture::setFlipped(bool flipped) { obj_->flipped = flipped; }

GLint Texture::getInternalFormat() const
{
    if (obj_->internalFormat == -1) {
        GLint value = 0;
        glBindTexture(obj_->target, obj_->textureId);
        glGetTexLevelParameteriv(obj_->target, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
        obj_->internalFormat = value;
    }
    return obj_->internalFormat;
}

int Texture::getWidth() const
{
    if (obj_->width == -1) {
        glBindTexture(obj_->target, obj_->textureId);
        glGetTexLevelParameteriv(obj_->target, 0, GL_TEXTURE_WIDTH, &obj_->width);
    }
    return obj_->width;
}

int Texture::getHeight() const
{
    if (obj_->height == -1) {
        glBindTexture(obj_->target, obj_->textureId);
        glGetTexLevelParameteriv(obj_->target, 0, GL_TEXTURE_HEIGHT, &obj_->height);
    }
    return obj_->height;
}

Rectf Texture::getAreaTexCoords(const Area& area) const
{
    Rectf r{static_cast<float>(area.x1), static_cast<float>(area.y1), static_cast<float>(area.x2),
            static_cast<float>(area.y2)};
    if (obj_->target == GL_TEXTURE_2D) {
        const float w = static_cast<float>(getWidth()), h = static_cast<float>(getHeight());
        r = Rectf{r.x1 / w, r.y1 / h, r.x2 / w, r.y2 / h};
    }
    if (obj_->flipped)
        std::swap(r.y1, r.y2);
    return r;
}

void draw(const Texture& texture, const Rectf& destination) { draw(texture, texture.getBounds(), destination); }

void draw(const Texture& texture, const Area& sourceArea, const Rectf& destination)
{
    const GLenum target = texture.getTarget();
    const GLenum bindingQuery = target == GL_TEXTURE_2D ? GL_TEXTURE_BINDING_2D : GL_TEXTURE_BINDING_RECTANGLE;
    GLint previousBinding = 0;
    glGetIntegerv(bindingQuery, &previousBinding);
    const GLboolean wasEnabled = glIsEnabled(target);
    const GLboolean vertexArray = glIsEnabled(GL_VERTEX_ARRAY);
    const GLboolean texCoordArray = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
    GLint previousArrayBuffer = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &previousArrayBuffer);

    texture.enableAndBind();
    const Rectf t = texture.getAreaTexCoords(sourceArea);
    const Rectf& d = destination;
    const GLfloat vertices[8] = {d.x2, d.y1, d.x1, d.y1, d.x2, d.y2, d.x1, d.y2};
    const GLfloat texCoords[8] = {t.x2, t.y1, t.x1, t.y1, t.x2, t.y2, t.x1, t.y2};
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, vertices);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);

    if (!vertexArray)
        glDisableClientState(GL_VERTEX_ARRAY);
    if (!texCoordArray)
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    if (!wasEnabled)
        glDisable(target);
    glBindTexture(target, static_cast<GLuint>(previousBinding));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(previousArrayBuffer));
}

} // namespace vornix::gl
