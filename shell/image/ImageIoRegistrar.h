// The process-wide lists of image decoders and encoders. Decoders are registered for an extension or as generic
// (they recognise their format from the bytes); encoders for an extension. Within a list, higher priorities are
// tried first. The built-in codecs (JPEG and PNG) are registered before the first use.
#pragma once

#include <functional>
#include <string>

#include "shell/image/DataTarget.h"
#include "shell/image/ImageIo.h"

namespace vornix {

class ImageIoRegistrar {
public:
    using SourceFactory = std::function<ImageSourceRef(const DataSourceRef&, const ImageSource::Options&)>;
    using TargetFactory =
        std::function<ImageTargetRef(DataTargetRef, const ImageSource&, const ImageTarget::Options&)>;

    static void registerSourceType(const std::string& extension, SourceFactory factory, int priority = 2);
    static void registerSourceGeneric(SourceFactory factory, int priority = 2);
    static void registerTargetType(const std::string& extension, TargetFactory factory, int priority = 2);

    // The first decoder that accepts the bytes (see loadImage). Raises ImageIoExceptionFailedLoad.
    static ImageSourceRef createSource(const DataSourceRef& source, const ImageSource::Options& options,
                                       const std::string& extension);
    // The encoder for the extension (any letter case). Raises ImageIoExceptionUnknownExtension when there is none.
    static ImageTargetRef createTarget(DataTargetRef target, const ImageSource& source,
                                       const ImageTarget::Options& options, const std::string& extension);
    static bool hasTarget(const std::string& extension);
};

} // namespace vornix
