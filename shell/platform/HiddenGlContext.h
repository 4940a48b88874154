// HiddenGlContext: an invisible window with a GL compatibility context, for tools and tests that need GL without
// showing anything. The context is current on the calling thread after construction.
#pragma once

#include <string>

namespace vornix {

class HiddenGlContext {
public:
    // Throws std::runtime_error when no display or no context can be had.
    explicit HiddenGlContext(int width = 64, int height = 64);
    ~HiddenGlContext();
    HiddenGlContext(const HiddenGlContext&) = delete;
    HiddenGlContext& operator=(const HiddenGlContext&) = delete;

    void makeCurrent();
    // GL_RENDERER, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
    std::string renderer() const;

private:
    void* window_ = nullptr;   // GLFWwindow*, kept opaque so GLFW stays inside the shell
};

} // namespace vornix
