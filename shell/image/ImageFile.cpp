// loadImage and writeImage: the registrar picks the codec, the source loads itself into the target.
#include "shell/Path.h"
#include "shell/image/DataTarget.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageIoRegistrar.h"
#include "shell/image/ImageSourceSurface.h"

namespace vornix {

ImageSourceRef loadImage(const DataSourceRef& source, const ImageSource::Options& options,
                         const std::string& extension)
{
    const std::string ext = extension.empty() && source ? pathExtension(source->getFilePathHint()) : extension;
    return ImageIoRegistrar::createSource(source, options, ext);
}

void writeImage(const std::string& path, const ImageSourceRef& image, const ImageTarget::Options& options,
                const std::string& extension)
{
    if (!image)
        throw ImageIoExceptionFailedLoad("no image to write");
    const std::string ext = extension.empty() ? pathExtension(path) : extension;
    // A name no encoder handles is refused before anything (folders included) is created.
    if (!ImageIoRegistrar::hasTarget(ext))
        throw ImageIoExceptionUnknownExtension(ext.empty() ? std::string("no extension in ") + path
                                                           : "\"" + ext + "\" in " + path);
    auto target = DataTargetPath::create(path);
    target->createParentFolders();   // a failure shows when the file cannot be created
    ImageTargetRef encoder = ImageIoRegistrar::createTarget(target, *image, options, ext);
    image->load(*encoder);
    encoder->finalize();
}

void writeImage(const std::string& path, const Surface8u& surface, const ImageTarget::Options& options,
                const std::string& extension)
{
    writeImage(path, ImageSourceSurface::create(surface), options, extension);
}

} // namespace vornix
