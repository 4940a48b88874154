#include "shell/image/ImageTargetPng.h"

#include <cstring>
#include <string>

#include <png.h>

namespace vornix {

ImageTargetPng::ImageTargetPng(DataTargetRef target, const ImageSource& source, const ImageTarget::Options& options)
    : ImageTargetRows(std::move(target), options)
{
    if (source.getWidth() < 1 || source.getHeight() < 1)
        throw ImageIoExceptionFailedLoad("a PNG picture needs at least one pixel");
    const bool grey = options.getColorModel().value_or(source.getColorModel()) == CM_GRAY;
    setSize(source.getWidth(), source.getHeight());
    setDataType(UINT8);
    setColorModel(grey ? CM_GRAY : CM_RGB);
    setChannelOrder(grey ? (source.hasAlpha() ? YA : Y) : (source.hasAlpha() ? RGBA : RGB));
    allocateRows();
}

void ImageTargetPng::finalize()
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(getWidth());
    image.height = static_cast<png_uint_32>(getHeight());
    switch (getChannelOrder()) {
    case Y: image.format = PNG_FORMAT_GRAY; break;
    case YA: image.format = PNG_FORMAT_GA; break;
    case RGBA: image.format = PNG_FORMAT_RGBA; break;
    default: image.format = PNG_FORMAT_RGB; break;
    }
    // First pass measures, second pass encodes.
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, pixels_.data(), 0, nullptr))
        throw ImageIoExceptionFailedLoad(std::string("PNG encoding failed: ") + image.message);
    std::vector<std::uint8_t> encoded(size);
    if (!png_image_write_to_memory(&image, encoded.data(), &size, 0, pixels_.data(), 0, nullptr))
        throw ImageIoExceptionFailedLoad(std::string("PNG encoding failed: ") + image.message);
    target_->write(encoded.data(), size);
}

} // namespace vornix
