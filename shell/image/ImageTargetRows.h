// Base of encoders: rows are collected in memory in the encoder's layout, encoded at finalize() and handed to
// the data target in one piece.
#pragma once

#include <vector>

#include "shell/image/DataTarget.h"
#include "shell/image/ImageIo.h"

namespace vornix {

class ImageTargetRows : public ImageTarget {
public:
    void* getRowPointer(std::int32_t row) override
    {
        return pixels_.data() + static_cast<std::size_t>(row) * getRowBytes();
    }

protected:
    ImageTargetRows(DataTargetRef target, const ImageTarget::Options& options)
        : target_(std::move(target)), options_(options)
    {
    }
    // Call once the layout is set.
    void allocateRows() { pixels_.resize(getRowBytes() * static_cast<std::size_t>(getHeight())); }

    DataTargetRef target_;
    ImageTarget::Options options_;
    std::vector<std::uint8_t> pixels_;
};

} // namespace vornix
