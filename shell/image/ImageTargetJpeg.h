// JPEG encoding with libjpeg-turbo: 8-bit RGB (or grey for a grey colour model), baseline, at the options'
// quality (0.9 is libjpeg quality 90). Alpha is dropped.
#pragma once

#include "shell/image/ImageTargetRows.h"

namespace vornix {

class ImageTargetJpeg : public ImageTargetRows {
public:
    ImageTargetJpeg(DataTargetRef target, const ImageSource& source, const ImageTarget::Options& options);
    static ImageTargetRef create(DataTargetRef target, const ImageSource& source, const ImageTarget::Options& options)
    {
        return std::make_shared<ImageTargetJpeg>(std::move(target), source, options);
    }
    void finalize() override;
};

} // namespace vornix
