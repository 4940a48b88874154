#include "shell/image/ImageTargetJpeg.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "shell/image/JpegErrorManager.h"

namespace vornix {

namespace {

// A destination that grows a malloc'ed block; the caller frees `data` whatever happens.
struct MemoryDestination {
    jpeg_destination_mgr pub;   // first member
    std::uint8_t* data;
    std::size_t capacity;
};

void initDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<MemoryDestination*>(info->dest);
    dest->capacity = 1 << 16;
    dest->data = static_cast<std::uint8_t*>(std::malloc(dest->capacity));
    if (!dest->data)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 0);
    dest->pub.next_output_byte = dest->data;
    dest->pub.free_in_buffer = dest->capacity;
}

boolean growDestination(j_compress_ptr info)
{
    auto* dest = reinterpret_cast<MemoryDestination*>(info->dest);
    const std::size_t used = dest->capacity;   // called only when the block is full
    auto* grown = static_cast<std::uint8_t*>(std::realloc(dest->data, dest->capacity * 2));
    if (!grown)
        ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    dest->data = grown;
    dest->capacity *= 2;
    dest->pub.next_output_byte = dest->data + used;
    dest->pub.free_in_buffer = dest->capacity - used;
    return TRUE;
}

void termDestination(j_compress_ptr) {}

// Encodes packed 8-bit rows. Returns the encoded size, or 0 with `message` filled. Only trivially destructible
// locals: the error handler longjmps back into this frame.
std::size_t encode(const std::uint8_t* pixels, int width, int height, int components, int quality,
                   MemoryDestination& dest, char* message)
{
    jpeg_compress_struct info;
    jpeg::ErrorManager err;
    info.err = jpeg::install(err);
    dest.data = nullptr;
    dest.capacity = 0;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&info);
        std::strcpy(message, err.message);
        return 0;
    }
    jpeg_create_compress(&info);
    dest.pub.init_destination = initDestination;
    dest.pub.empty_output_buffer = growDestination;
    dest.pub.term_destination = termDestination;
    info.dest = &dest.pub;
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<std::uint8_t*>(pixels) + rowBytes * info.next_scanline;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    const std::size_t size = dest.capacity - dest.pub.free_in_buffer;
    jpeg_destroy_compress(&info);
    return size;
}

} // namespace

ImageTargetJpeg::ImageTargetJpeg(DataTargetRef target, const ImageSource& source, const ImageTarget::Options& options)
    : ImageTargetRows(std::move(target), options)
{
    if (source.getWidth() < 1 || source.getHeight() < 1 || source.getWidth() > JPEG_MAX_DIMENSION ||
        source.getHeight() > JPEG_MAX_DIMENSION)
        throw ImageIoExceptionFailedLoad("a JPEG picture must be 1 to 65500 pixels wide and high");
    const ColorModel model = options.getColorModel().value_or(source.getColorModel());
    setSize(source.getWidth(), source.getHeight());
    setDataType(UINT8);
    setColorModel(model == CM_GRAY ? CM_GRAY : CM_RGB);
    setChannelOrder(model == CM_GRAY ? Y : RGB);
    allocateRows();
}

void ImageTargetJpeg::finalize()
{
    const float q = std::clamp(options_.getQuality(), 0.0f, 1.0f);
    const int quality = std::max(1, static_cast<int>(std::lround(q * 100.0f)));
    MemoryDestination dest{};
    char message[JMSG_LENGTH_MAX] = "";
    const std::size_t size = encode(pixels_.data(), getWidth(), getHeight(), channelCount(getChannelOrder()),
                                    quality, dest, message);
    if (size == 0) {
        std::free(dest.data);
        throw ImageIoExceptionFailedLoad(std::string("JPEG encoding failed: ") + message);
    }
    try {
        target_->write(dest.data, size);
    } catch (...) {
        std::free(dest.data);
        throw;
    }
    std::free(dest.data);
}

} // namespace vornix
