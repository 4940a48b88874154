// Base of decoders: the whole image is decoded at construction into packed rows that load() then hands on.
#pragma once

#include <vector>

#include "shell/image/ImageIo.h"

namespace vornix {

class ImageSourceRows : public ImageSource {
protected:
    const void* getRowData(std::int32_t row) const override
    {
        return pixels_.data() + static_cast<std::size_t>(row) * getRowBytes();
    }
    std::vector<std::uint8_t> pixels_;
};

} // namespace vornix
