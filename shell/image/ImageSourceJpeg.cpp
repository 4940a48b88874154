#include "shell/image/ImageSourceJpeg.h"

#include <string>

#include "shell/image/JpegErrorManager.h"

namespace vornix {

namespace {

struct JpegLayout {
    int width, height, components;
};

// Larger pictures are refused rather than attempted (a hostile header can claim 65500 x 65500).
constexpr std::size_t MaxPixelBytes = std::size_t(1) << 30;
// The decoder's own working memory. A progressive picture keeps every coefficient of the whole image (two bytes per
// sample) until its last scan, so a small file can ask for gigabytes; beyond this it fails with a message instead.
constexpr long MaxDecoderBytes = 512L << 20;

// Decodes into `pixels`. Returns false with `message` filled on failure. Only trivially destructible locals: the
// error handler longjmps back into this frame (`pixels` lives in the caller's).
bool decode(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& pixels, JpegLayout& layout,
            char* message)
{
    jpeg_decompress_struct info;
    jpeg::ErrorManager err;
    info.err = jpeg::install(err);
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        std::strcpy(message, err.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (info.num_components != 1 && info.num_components != 3) {
        std::snprintf(message, JMSG_LENGTH_MAX, "unsupported JPEG with %d colour components", info.num_components);
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    // The size is judged from the header, before the decoder allocates anything for the picture.
    layout = {static_cast<int>(info.image_width), static_cast<int>(info.image_height), info.num_components};
    const std::size_t rowBytes = static_cast<std::size_t>(layout.width) * layout.components;
    if (rowBytes * layout.height > MaxPixelBytes) {
        std::snprintf(message, JMSG_LENGTH_MAX, "JPEG of %d x %d pixels is too large", layout.width, layout.height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.mem->max_memory_to_use = MaxDecoderBytes;
    jpeg_start_decompress(&info);
    try {
        pixels.resize(rowBytes * layout.height);
    } catch (...) {
        jpeg_destroy_decompress(&info);
        throw;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + rowBytes * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (err.warnings > 0) {   // libjpeg filled the damaged part with grey: not the picture that was stored
        std::strcpy(message, err.message);
        return false;
    }
    return true;
}

bool looksLikeJpeg(const Buffer& b)
{
    return b.getDataSize() >= 3 && b.getData()[0] == 0xFF && b.getData()[1] == 0xD8 && b.getData()[2] == 0xFF;
}

} // namespace

ImageSourceJpeg::ImageSourceJpeg(const DataSourceRef& source, const ImageSource::Options& options)
{
    const Buffer& bytes = source->getBuffer();
    if (!looksLikeJpeg(bytes))
        throw ImageIoExceptionFailedLoad("not JPEG data");
    if (options.getIndex() != 0)
        throw ImageIoExceptionFailedLoad("a JPEG file has one frame");
    char message[JMSG_LENGTH_MAX] = "";
    JpegLayout layout{};
    if (!decode(bytes.getData(), bytes.getDataSize(), pixels_, layout, message))
        throw ImageIoExceptionFailedLoad(std::string("JPEG: ") + message);
    setSize(layout.width, layout.height);
    setDataType(UINT8);
    setColorModel(layout.components == 1 ? CM_GRAY : CM_RGB);
    setChannelOrder(layout.components == 1 ? Y : RGB);
}

} // namespace vornix
