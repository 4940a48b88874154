// The image exceptions. They name the kind of failure; an optional detail (for example the file and the system's
// reason) makes what() useful in a console line.
#pragma once

#include <string>

#include "shell/Exception.h"

namespace vornix {

class ImageIoException : public Exception {
public:
    explicit ImageIoException(std::string detail = {}) : detail_(std::move(detail)) { compose(); }
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& getDetail() const { return detail_; }

protected:
    virtual const char* kind() const noexcept { return "Image input/output failed"; }
    // Called by each derived constructor, since kind() is not yet virtual in the base constructor.
    void compose() { message_ = detail_.empty() ? std::string(kind()) : std::string(kind()) + ": " + detail_; }

private:
    std::string detail_;
    std::string message_;
};

#define VORNIX_IMAGE_EXCEPTION(Name, Text)                                                                             \
    class Name : public ImageIoException {                                                                             \
    public:                                                                                                            \
        explicit Name(std::string detail = {}) : ImageIoException(std::move(detail)) { compose(); }                   \
                                                                                                                       \
    protected:                                                                                                         \
        const char* kind() const noexcept override { return Text; }                                                    \
    };

// Undecodable bytes, an unsupported pixel layout, or a file that cannot be created or written.
VORNIX_IMAGE_EXCEPTION(ImageIoExceptionFailedLoad, "Failed to load or write image")
// No encoder handles the file name's extension.
VORNIX_IMAGE_EXCEPTION(ImageIoExceptionUnknownExtension, "No image writer for this file extension")
VORNIX_IMAGE_EXCEPTION(ImageIoExceptionIllegalColorModel, "Illegal image colour model")
VORNIX_IMAGE_EXCEPTION(ImageIoExceptionIllegalDataType, "Illegal image data type")
VORNIX_IMAGE_EXCEPTION(ImageIoExceptionIllegalChannelOrder, "Illegal image channel order")

#undef VORNIX_IMAGE_EXCEPTION

} // namespace vornix
