// A video file that cannot be made or written: the message says which file and why.
#pragma once

#include <string>
#include <utility>

#include "shell/Exception.h"

namespace vornix {

class VideoException : public Exception {
public:
    explicit VideoException(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

} // namespace vornix
