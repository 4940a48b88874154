// The root of the shell's exceptions.
#pragma once

#include <exception>

namespace vornix {

class Exception : public std::exception {
public:
    const char* what() const noexcept override { return "vornix::Exception"; }
};

} // namespace vornix
