// JPEG decoding with libjpeg-turbo: 8-bit RGB rows (order RGB) for colour files, 8-bit grey for grey ones.
#pragma once

#include "shell/image/ImageSourceRows.h"

namespace vornix {

class ImageSourceJpeg : public ImageSourceRows {
public:
    // Raises ImageIoExceptionFailedLoad for anything that is not a complete, intact JPEG (libjpeg warnings about
    // corrupt or truncated data count as failures) and for CMYK files.
    ImageSourceJpeg(const DataSourceRef& source, const ImageSource::Options& options);
    static ImageSourceRef create(const DataSourceRef& source, const ImageSource::Options& options)
    {
        return std::make_shared<ImageSourceJpeg>(source, options);
    }
};

} // namespace vornix
