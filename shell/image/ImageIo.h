// The image vocabulary: ImageIo describes a pixel layout; an ImageSource hands its rows, top to bottom, to an
// ImageTarget, which converts each row to its own layout. loadImage picks a decoder, writeImage an encoder by the
// file name's extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "shell/DataSource.h"
#include "shell/Surface.h"
#include "shell/image/ImageIoException.h"

namespace vornix {

class ImageIo {
public:
    enum ColorModel { CM_RGB, CM_GRAY, CM_UNKNOWN };
    enum DataType { UINT8, UINT16, FLOAT32, DATA_UNKNOWN };
    // The first ten match SurfaceChannelOrder's codes; Y and YA are the grey layouts.
    enum ChannelOrder { RGBA, BGRA, ARGB, ABGR, RGBX, BGRX, XRGB, XBGR, RGB, BGR, Y, YA, CUSTOM };

    virtual ~ImageIo() = default;

    std::int32_t getWidth() const { return width_; }
    std::int32_t getHeight() const { return height_; }
    ColorModel getColorModel() const { return colorModel_; }
    DataType getDataType() const { return dataType_; }
    ChannelOrder getChannelOrder() const { return channelOrder_; }
    bool isPremultiplied() const { return premultiplied_; }
    float getPixelAspectRatio() const { return 1.0f; }
    bool hasAlpha() const { return channelOrderHasAlpha(channelOrder_); }
    // Bytes of one packed row in this layout.
    std::size_t getRowBytes() const;

    static int dataTypeBytes(DataType type);
    static int channelCount(ChannelOrder order);
    static bool channelOrderHasAlpha(ChannelOrder order);
    static ChannelOrder fromSurfaceChannelOrder(const SurfaceChannelOrder& order);

    // Raises the Illegal* exceptions for a layout that rows cannot be converted from or to.
    void checkLayout() const;

protected:
    void setSize(std::int32_t width, std::int32_t height);
    void setColorModel(ColorModel model) { colorModel_ = model; }
    void setDataType(DataType type) { dataType_ = type; }
    void setChannelOrder(ChannelOrder order) { channelOrder_ = order; }
    void setPremultiplied(bool premultiplied) { premultiplied_ = premultiplied; }
private:
    std::int32_t width_ = 0, height_ = 0;
    ColorModel colorModel_ = CM_UNKNOWN;
    DataType dataType_ = DATA_UNKNOWN;
    ChannelOrder channelOrder_ = CUSTOM;
    bool premultiplied_ = false;
};

// Converts `width` pixels from the layout of `from` to the layout of `to`. Missing alpha becomes opaque, grey
// becomes equal R, G and B, and RGB becomes grey by Rec. 601 luma.
void convertImageRow(const ImageIo& from, const void* src, const ImageIo& to, void* dst, std::int32_t width);

class ImageTarget : public ImageIo {
public:
    struct Options {
        Options& quality(float q) { quality_ = q; return *this; }
        Options& colorModel(ColorModel model) { colorModel_ = model; return *this; }
        float getQuality() const { return quality_; }
        // The requested colour model, when one was given; targets otherwise follow the source.
        std::optional<ColorModel> getColorModel() const { return colorModel_; }

    private:
        float quality_ = 0.9f;   // 0 (smallest file) to 1 (best picture), for lossy encoders
        std::optional<ColorModel> colorModel_;
    };

    // Writable storage for row `row` (0 at the top) in this target's layout.
    virtual void* getRowPointer(std::int32_t row) = 0;
    // Called once after every row has been written.
    virtual void finalize() {}
};
using ImageTargetRef = std::shared_ptr<ImageTarget>;

class ImageSource : public ImageIo {
public:
    struct Options {
        Options& index(int frame) { index_ = frame; return *this; }
        int getIndex() const { return index_; }

    private:
        int index_ = 0;   // the frame of a multi-frame file
    };

    // Hands every row, top to bottom, to the target (converted to its layout); does not finalize it.
    virtual void load(ImageTarget& target) const;

protected:
    // Row `row` in this source's layout.
    virtual const void* getRowData(std::int32_t row) const = 0;
};
using ImageSourceRef = std::shared_ptr<ImageSource>;

// Decodes `source`. An empty extension is taken from the source's file path hint. Decoders registered for the
// extension are tried first, then the generic ones (which recognise the format from the bytes).
// Raises ImageIoExceptionFailedLoad when none can decode it.
ImageSourceRef loadImage(const DataSourceRef& source, const ImageSource::Options& options = {},
                         const std::string& extension = {});

// Writes `image` to `path` with the encoder for the extension (from the path when `extension` is empty; compared in
// lower case). Missing folders of the path are created first. The file appears complete or not at all.
// Raises ImageIoExceptionUnknownExtension (nothing is written) or ImageIoExceptionFailedLoad.
void writeImage(const std::string& path, const ImageSourceRef& image, const ImageTarget::Options& options = {},
                const std::string& extension = {});
void writeImage(const std::string& path, const Surface8u& surface, const ImageTarget::Options& options = {},
                const std::string& extension = {});

} // namespace vornix
