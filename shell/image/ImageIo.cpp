#include "shell/image/ImageIo.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vornix {

namespace {

// Byte offsets of R, G, B, A (or Y, -, -, A for grey) within a pixel, in channels; -1 where absent.
struct Offsets {
    int r, g, b, a;
};

Offsets offsetsOf(ImageIo::ChannelOrder order)
{
    switch (order) {
    case ImageIo::Y: return {0, 0, 0, -1};
    case ImageIo::YA: return {0, 0, 0, 1};
    default: {
        const SurfaceChannelOrder s(static_cast<SurfaceChannelOrder::Code>(order));
        return {s.getRedOffset(), s.getGreenOffset(), s.getBlueOffset(), s.getAlphaOffset()};
    }
    }
}

float readChannel(const void* row, std::size_t index, ImageIo::DataType type)
{
    switch (type) {
    case ImageIo::UINT8: return static_cast<const std::uint8_t*>(row)[index] / 255.0f;
    case ImageIo::UINT16: return static_cast<const std::uint16_t*>(row)[index] / 65535.0f;
    default: return static_cast<const float*>(row)[index];
    }
}

void writeChannel(void* row, std::size_t index, ImageIo::DataType type, float value)
{
    switch (type) {
    case ImageIo::UINT8:
        static_cast<std::uint8_t*>(row)[index] =
            static_cast<std::uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
        break;
    case ImageIo::UINT16:
        static_cast<std::uint16_t*>(row)[index] =
            static_cast<std::uint16_t>(std::clamp(value, 0.0f, 1.0f) * 65535.0f + 0.5f);
        break;
    default: static_cast<float*>(row)[index] = value; break;
    }
}

// The common case (8-bit colour to 8-bit colour, same premultiplication): a byte shuffle.
void shuffleRow8(const std::uint8_t* src, Offsets so, int sinc, std::uint8_t* dst, Offsets dof, int dinc,
                 std::int32_t width)
{
    for (std::int32_t x = 0; x < width; ++x, src += sinc, dst += dinc) {
        dst[dof.r] = src[so.r];
        dst[dof.g] = src[so.g];
        dst[dof.b] = src[so.b];
        if (dof.a >= 0)
            dst[dof.a] = so.a >= 0 ? src[so.a] : 255;
    }
}

} // namespace

std::size_t ImageIo::getRowBytes() const
{
    return static_cast<std::size_t>(width_) * channelCount(channelOrder_) * dataTypeBytes(dataType_);
}

int ImageIo::dataTypeBytes(DataType type)
{
    switch (type) {
    case UINT8: return 1;
    case UINT16: return 2;
    case FLOAT32: return 4;
    default: return 0;
    }
}

int ImageIo::channelCount(ChannelOrder order)
{
    switch (order) {
    case Y: return 1;
    case YA: return 2;
    case CUSTOM: return 0;
    default: return SurfaceChannelOrder(static_cast<SurfaceChannelOrder::Code>(order)).getPixelInc();
    }
}

bool ImageIo::channelOrderHasAlpha(ChannelOrder order)
{
    return order != CUSTOM && offsetsOf(order).a >= 0;
}

ImageIo::ChannelOrder ImageIo::fromSurfaceChannelOrder(const SurfaceChannelOrder& order)
{
    if (order.getCode() == SurfaceChannelOrder::UNSPECIFIED)
        throw ImageIoExceptionIllegalChannelOrder("a surface without a channel order");
    return static_cast<ChannelOrder>(order.getCode());
}

void ImageIo::setSize(std::int32_t width, std::int32_t height)
{
    width_ = width;
    height_ = height;
}

void ImageIo::checkLayout() const
{
    if (colorModel_ != CM_RGB && colorModel_ != CM_GRAY)
        throw ImageIoExceptionIllegalColorModel();
    if (dataType_ != UINT8 && dataType_ != UINT16 && dataType_ != FLOAT32)
        throw ImageIoExceptionIllegalDataType();
    const bool grey = channelOrder_ == Y || channelOrder_ == YA;
    if (channelOrder_ == CUSTOM || grey != (colorModel_ == CM_GRAY))
        throw ImageIoExceptionIllegalChannelOrder();
}

void convertImageRow(const ImageIo& from, const void* src, const ImageIo& to, void* dst, std::int32_t width)
{
    from.checkLayout();
    to.checkLayout();
    const bool samePremultiplication =
        from.isPremultiplied() == to.isPremultiplied() || !from.hasAlpha() || !to.hasAlpha();
    if (from.getChannelOrder() == to.getChannelOrder() && from.getDataType() == to.getDataType() &&
        samePremultiplication) {
        std::memcpy(dst, src,
                    static_cast<std::size_t>(width) * ImageIo::channelCount(from.getChannelOrder()) *
                        ImageIo::dataTypeBytes(from.getDataType()));
        return;
    }
    const Offsets so = offsetsOf(from.getChannelOrder()), dof = offsetsOf(to.getChannelOrder());
    const int sinc = ImageIo::channelCount(from.getChannelOrder()), dinc = ImageIo::channelCount(to.getChannelOrder());
    if (from.getDataType() == ImageIo::UINT8 && to.getDataType() == ImageIo::UINT8 && samePremultiplication &&
        from.getColorModel() == ImageIo::CM_RGB && to.getColorModel() == ImageIo::CM_RGB) {
        shuffleRow8(static_cast<const std::uint8_t*>(src), so, sinc, static_cast<std::uint8_t*>(dst), dof, dinc,
                    width);
        return;
    }
    const ImageIo::DataType st = from.getDataType(), dt = to.getDataType();
    const bool toGrey = to.getColorModel() == ImageIo::CM_GRAY;
    for (std::int32_t x = 0; x < width; ++x) {
        const std::size_t s = static_cast<std::size_t>(x) * sinc, d = static_cast<std::size_t>(x) * dinc;
        float r = readChannel(src, s + so.r, st), g = readChannel(src, s + so.g, st), b = readChannel(src, s + so.b, st);
        const float a = so.a >= 0 ? readChannel(src, s + so.a, st) : 1.0f;
        if (!samePremultiplication) {
            const float k = to.isPremultiplied() ? a : (a > 0.0f ? 1.0f / a : 0.0f);
            r *= k;
            g *= k;
            b *= k;
        }
        if (toGrey) {
            writeChannel(dst, d + dof.r, dt, 0.299f * r + 0.587f * g + 0.114f * b);
        } else {
            writeChannel(dst, d + dof.r, dt, r);
            writeChannel(dst, d + dof.g, dt, g);
            writeChannel(dst, d + dof.b, dt, b);
        }
        if (dof.a >= 0)
            writeChannel(dst, d + dof.a, dt, a);
    }
}

void ImageSource::load(ImageTarget& target) const
{
    if (target.getWidth() != getWidth() || target.getHeight() != getHeight())
        throw ImageIoExceptionFailedLoad("the target's size differs from the image's");
    for (std::int32_t y = 0; y < getHeight(); ++y)
        convertImageRow(*this, getRowData(y), target, target.getRowPointer(y), getWidth());
}

} // namespace vornix
