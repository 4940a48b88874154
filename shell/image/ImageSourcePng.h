// PNG decoding with libpng: 8-bit rows, RGB or grey, with alpha when the file has it.
#pragma once

#include "shell/image/ImageSourceRows.h"

namespace vornix {

class ImageSourcePng : public ImageSourceRows {
public:
    // Raises ImageIoExceptionFailedLoad for anything that is not an intact PNG.
    ImageSourcePng(const DataSourceRef& source, const ImageSource::Options& options);
    static ImageSourceRef create(const DataSourceRef& source, const ImageSource::Options& options)
    {
        return std::make_shared<ImageSourcePng>(source, options);
    }
};

} // namespace vornix
