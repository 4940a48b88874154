// A Surface8u presented as an image source: RGB colour model, 8-bit, the surface's channel order and alpha.
#pragma once

#include "shell/Surface.h"
#include "shell/image/ImageIo.h"

namespace vornix {

class ImageSourceSurface : public ImageSource {
public:
    // The source shares the surface's pixels. Raises ImageIoExceptionIllegalChannelOrder for an empty surface.
    explicit ImageSourceSurface(const Surface8u& surface);
    static ImageSourceRef create(const Surface8u& surface) { return std::make_shared<ImageSourceSurface>(surface); }

protected:
    const void* getRowData(std::int32_t row) const override { return surface_.getRow(row); }

private:
    Surface8u surface_;
};

} // namespace vornix
