// PNG encoding with libpng: 8-bit channels; RGB (three channels, no alpha) for an RGB source without alpha, RGBA
// with alpha, grey or grey-alpha for a grey colour model.
#pragma once

#include "shell/image/ImageTargetRows.h"

namespace vornix {

class ImageTargetPng : public ImageTargetRows {
public:
    ImageTargetPng(DataTargetRef target, const ImageSource& source, const ImageTarget::Options& options);
    static ImageTargetRef create(DataTargetRef target, const ImageSource& source, const ImageTarget::Options& options)
    {
        return std::make_shared<ImageTargetPng>(std::move(target), source, options);
    }
    void finalize() override;
};

} // namespace vornix
