// An image target that fills a Surface8u, so that a decoded image becomes a surface.
#pragma once

#include "shell/Surface.h"
#include "shell/image/ImageIo.h"

namespace vornix {

class ImageTargetSurface : public ImageTarget {
public:
    // A surface of the source's size. With an unspecified order: RGBA when the source has alpha, else RGB.
    explicit ImageTargetSurface(const ImageSource& source,
                                SurfaceChannelOrder order = SurfaceChannelOrder::UNSPECIFIED);
    void* getRowPointer(std::int32_t row) override { return surface_.getRow(row); }
    const Surface8u& getSurface() const { return surface_; }

private:
    Surface8u surface_;
};

// The whole image as an 8-bit surface (grey images become RGB).
Surface8u surfaceFromImage(const ImageSource& image, SurfaceChannelOrder order = SurfaceChannelOrder::UNSPECIFIED);
// Decodes `source` (see loadImage) into an 8-bit surface.
Surface8u loadSurface(const DataSourceRef& source, const std::string& extension = {});

} // namespace vornix
