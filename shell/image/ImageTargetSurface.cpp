#include "shell/image/ImageTargetSurface.h"

namespace vornix {

ImageTargetSurface::ImageTargetSurface(const ImageSource& source, SurfaceChannelOrder order)
    : surface_(source.getWidth(), source.getHeight(), source.hasAlpha(), order)
{
    setSize(source.getWidth(), source.getHeight());
    setColorModel(CM_RGB);
    setDataType(UINT8);
    setChannelOrder(fromSurfaceChannelOrder(surface_.getChannelOrder()));
}

Surface8u surfaceFromImage(const ImageSource& image, SurfaceChannelOrder order)
{
    ImageTargetSurface target(image, order);
    image.load(target);
    target.finalize();
    return target.getSurface();
}

Surface8u loadSurface(const DataSourceRef& source, const std::string& extension)
{
    return surfaceFromImage(*loadImage(source, {}, extension));
}

} // namespace vornix
