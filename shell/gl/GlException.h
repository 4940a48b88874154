// Exceptions of the GL wrappers.
#pragma once

#include <epoxy/gl.h>

#include <string>

#include "shell/Exception.h"

namespace vornix::gl {

class Exception : public vornix::Exception {};
class FboException : public Exception {};

// A framebuffer that GL reports incomplete; the message names the reason (at most 255 characters).
class FboExceptionInvalidSpecification : public FboException {
public:
    explicit FboExceptionInvalidSpecification(const std::string& message) : message_(message.substr(0, 255)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A shader that failed to compile: "VERTEX: ", "FRAGMENT: ", "GEOMETRY: " or "UNKNOWN: " and the compiler's log.
class GlslProgCompileExc : public std::exception {
public:
    GlslProgCompileExc(const std::string& log, GLenum shaderType);
    const char* what() const noexcept override { return message_.c_str(); }
    GLenum getShaderType() const { return shaderType_; }

private:
    std::string message_;
    GLenum shaderType_;
};

class TextureDataExc : public std::exception {
public:
    explicit TextureDataExc(const std::string& message) : message_(message.substr(0, 16000)) {}
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

} // namespace vornix::gl
