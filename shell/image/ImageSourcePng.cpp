#include "shell/image/ImageSourcePng.h"

#include <cstring>
#include <string>

#include <png.h>

namespace vornix {

namespace {

// Larger pictures are refused rather than attempted.
constexpr std::size_t MaxPixelBytes = std::size_t(1) << 30;

} // namespace

// libpng's simplified interface keeps its own setjmp inside and reports failures by return value.
ImageSourcePng::ImageSourcePng(const DataSourceRef& source, const ImageSource::Options& options)
{
    const Buffer& bytes = source->getBuffer();
    if (bytes.getDataSize() < 8 || png_sig_cmp(bytes.getData(), 0, 8) != 0)
        throw ImageIoExceptionFailedLoad("not PNG data");
    if (options.getIndex() != 0)
        throw ImageIoExceptionFailedLoad("a PNG file has one frame");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.getData(), bytes.getDataSize()))
        throw ImageIoExceptionFailedLoad(std::string("PNG: ") + image.message);
    const bool colour = image.format & PNG_FORMAT_FLAG_COLOR, alpha = image.format & PNG_FORMAT_FLAG_ALPHA;
    image.format = colour ? (alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB) : (alpha ? PNG_FORMAT_GA : PNG_FORMAT_GRAY);
    const std::size_t size = PNG_IMAGE_SIZE(image);
    if (size > MaxPixelBytes) {
        png_image_free(&image);
        throw ImageIoExceptionFailedLoad("PNG of " + std::to_string(image.width) + " x " +
                                         std::to_string(image.height) + " pixels is too large");
    }
    try {
        pixels_.resize(size);
    } catch (...) {
        png_image_free(&image);
        throw;
    }
    if (!png_image_finish_read(&image, nullptr, pixels_.data(), 0, nullptr))
        throw ImageIoExceptionFailedLoad(std::string("PNG: ") + image.message);   // finish_read frees on failure
    setSize(static_cast<std::int32_t>(image.width), static_cast<std::int32_t>(image.height));
    setDataType(UINT8);
    setColorModel(colour ? CM_RGB : CM_GRAY);
    setChannelOrder(colour ? (alpha ? RGBA : RGB) : (alpha ? YA : Y));
}

} // namespace vornix
