#include "shell/image/ImageSourceSurface.h"

namespace vornix {

ImageSourceSurface::ImageSourceSurface(const Surface8u& surface) : surface_(surface)
{
    if (!surface)
        throw ImageIoExceptionIllegalChannelOrder("an empty surface");
    setSize(surface.getWidth(), surface.getHeight());
    setColorModel(CM_RGB);
    setDataType(UINT8);
    setChannelOrder(fromSurfaceChannelOrder(surface.getChannelOrder()));
}

} // namespace vornix
