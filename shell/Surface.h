// SurfaceT: a CPU image with packed rows, top to bottom, owned by the surface. Surface8u (8-bit channels) carries
// pictures (the CPU density picture, window read-backs, decoded files); Surface32f (float channels) the gradient.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vornix {

// Channel orders with the byte position of R, G, B, A within a pixel (-1: absent) and the pixel size in channels.
class SurfaceChannelOrder {
public:
    enum Code { RGBA = 0, BGRA, ARGB, ABGR, RGBX, BGRX, XRGB, XBGR, RGB, BGR, UNSPECIFIED };

    constexpr SurfaceChannelOrder(Code code = UNSPECIFIED) : code_(code) {}
    constexpr Code getCode() const { return code_; }
    constexpr int getRedOffset() const { return table()[code_][0]; }
    constexpr int getGreenOffset() const { return table()[code_][1]; }
    constexpr int getBlueOffset() const { return table()[code_][2]; }
    constexpr int getAlphaOffset() const { return table()[code_][3]; }
    constexpr bool hasAlpha() const { return getAlphaOffset() >= 0; }
    // Channels per pixel (4 or 3; 0 for UNSPECIFIED).
    constexpr int getPixelInc() const { return table()[code_][4]; }
    constexpr bool operator==(const SurfaceChannelOrder& other) const { return code_ == other.code_; }

private:
    // One row per code: R, G, B, A offsets and pixel size. A class-level table, so the accessors never point into
    // a function's local storage.
    static constexpr int rows_[11][5] = {
        {0, 1, 2, 3, 4},    {2, 1, 0, 3, 4},    {1, 2, 3, 0, 4},    {3, 2, 1, 0, 4},    {0, 1, 2, -1, 4},
        {2, 1, 0, -1, 4},   {1, 2, 3, -1, 4},   {3, 2, 1, -1, 4},   {0, 1, 2, -1, 3},   {2, 1, 0, -1, 3},
        {-1, -1, -1, -1, 0},
    };
    static constexpr const int (*table())[5] { return rows_; }
    Code code_;
};

template <typename T> class SurfaceT {
public:
    SurfaceT() = default;

    // An unspecified channel order becomes RGBA with alpha and RGB without. Contents start zeroed.
    SurfaceT(int width, int height, bool alpha, SurfaceChannelOrder order = SurfaceChannelOrder::UNSPECIFIED)
        : width_(width), height_(height)
    {
        if (width < 0 || height < 0)
            throw std::invalid_argument("SurfaceT: negative size");
        if (order.getCode() == SurfaceChannelOrder::UNSPECIFIED)
            order = alpha ? SurfaceChannelOrder::RGBA : SurfaceChannelOrder::RGB;
        order_ = order;
        alpha_ = order.hasAlpha();
        data_ = std::make_shared<std::vector<T>>(static_cast<std::size_t>(width) * height * order.getPixelInc(), T{});
    }

    explicit operator bool() const { return static_cast<bool>(data_); }
    int getWidth() const { return width_; }
    int getHeight() const { return height_; }
    bool hasAlpha() const { return alpha_; }
    const SurfaceChannelOrder& getChannelOrder() const { return order_; }
    int getPixelInc() const { return order_.getPixelInc(); }
    // Bytes per row (rows are packed).
    std::size_t getRowBytes() const { return static_cast<std::size_t>(width_) * getPixelInc() * sizeof(T); }
    T* getData() { return data_ ? data_->data() : nullptr; }
    const T* getData() const { return data_ ? data_->data() : nullptr; }
    T* getRow(int y) { return getData() + static_cast<std::size_t>(y) * width_ * getPixelInc(); }
    const T* getRow(int y) const { return getData() + static_cast<std::size_t>(y) * width_ * getPixelInc(); }
    // Pointer to the first channel of pixel (x, y).
    T* getPixel(int x, int y) { return getRow(y) + static_cast<std::size_t>(x) * getPixelInc(); }
    const T* getPixel(int x, int y) const { return getRow(y) + static_cast<std::size_t>(x) * getPixelInc(); }

private:
    int width_ = 0, height_ = 0;
    bool alpha_ = false;
    SurfaceChannelOrder order_;
    std::shared_ptr<std::vector<T>> data_;   // copies share the pixels, like the other shell handles
};

using Surface8u = SurfaceT<std::uint8_t>;
using Surface32f = SurfaceT<float>;

} // namespace vornix
