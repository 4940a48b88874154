// Row conversion between image layouts: data types, channel orders, grey, and premultiplied alpha.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shell/image/ImageTargetSurface.h"

using namespace vornix;

namespace {

// A one-row source with whatever layout a test asks for.
class RowSource : public ImageSource {
public:
    RowSource(int width, ColorModel model, DataType type, ChannelOrder order, bool premultiplied, std::vector<char> row)
        : row_(std::move(row))
    {
        setSize(width, 1);
        setColorModel(model);
        setDataType(type);
        setChannelOrder(order);
        setPremultiplied(premultiplied);
    }

protected:
    const void* getRowData(std::int32_t) const override { return row_.data(); }

private:
    std::vector<char> row_;
};

template <typename T> std::vector<char> bytesOf(std::initializer_list<T> values)
{
    std::vector<char> out(values.size() * sizeof(T));
    std::memcpy(out.data(), values.begin(), out.size());
    return out;
}

} // namespace

TEST(ImageConvert, SixteenBitPremultipliedBecomesStraightEightBit)
{
    // Half-transparent pixel whose straight colour is (1.0, 0.5, 0.0).
    const RowSource src(1, ImageIo::CM_RGB, ImageIo::UINT16, ImageIo::RGBA, true,
                        bytesOf<std::uint16_t>({32768, 16384, 0, 32768}));
    const Surface8u s = surfaceFromImage(src);
    ASSERT_EQ(s.getChannelOrder(), SurfaceChannelOrder::RGBA);
    EXPECT_NEAR(s.getData()[0], 255, 1);
    EXPECT_NEAR(s.getData()[1], 128, 1);
    EXPECT_EQ(s.getData()[2], 0);
    EXPECT_EQ(s.getData()[3], 128);
}

TEST(ImageConvert, FloatGreyAndChannelOrders)
{
    const RowSource grey(2, ImageIo::CM_GRAY, ImageIo::FLOAT32, ImageIo::Y, false, bytesOf<float>({0.25f, 2.0f}));
    const Surface8u s = surfaceFromImage(grey, SurfaceChannelOrder::XRGB);
    const std::uint8_t expected[8] = {0, 64, 64, 64, 0, 255, 255, 255};   // X unset; out-of-range values clamp
    for (int k : {1, 2, 3, 5, 6, 7})
        EXPECT_EQ(s.getData()[k], expected[k]) << k;

    // 8-bit BGRX to RGBA: reordered, and the missing alpha is opaque.
    const RowSource bgrx(1, ImageIo::CM_RGB, ImageIo::UINT8, ImageIo::BGRX, false, bytesOf<std::uint8_t>({1, 2, 3, 9}));
    const Surface8u rgba = surfaceFromImage(bgrx, SurfaceChannelOrder::RGBA);
    EXPECT_EQ(std::vector<std::uint8_t>(rgba.getData(), rgba.getData() + 4), (std::vector<std::uint8_t>{3, 2, 1, 255}));
}

TEST(ImageConvert, InconsistentLayoutsAreRefused)
{
    const RowSource greyAsRgb(1, ImageIo::CM_GRAY, ImageIo::UINT8, ImageIo::RGB, false, bytesOf<std::uint8_t>({1, 2, 3}));
    EXPECT_THROW(surfaceFromImage(greyAsRgb), ImageIoExceptionIllegalChannelOrder);
    const RowSource noType(1, ImageIo::CM_RGB, ImageIo::DATA_UNKNOWN, ImageIo::RGB, false, bytesOf<std::uint8_t>({1, 2, 3}));
    EXPECT_THROW(surfaceFromImage(noType), ImageIoExceptionIllegalDataType);
    const RowSource noModel(1, ImageIo::CM_UNKNOWN, ImageIo::UINT8, ImageIo::RGB, false, bytesOf<std::uint8_t>({1, 2, 3}));
    EXPECT_THROW(surfaceFromImage(noModel), ImageIoExceptionIllegalColorModel);
}
