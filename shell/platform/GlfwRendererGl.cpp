#include "shell/platform/GlfwRendererGl.h"

#include <epoxy/gl.h>
// epoxy must come before GLFW.
#include <GLFW/glfw3.h>

#include <algorithm>

#include "shell/RendererGl.h"

namespace vornix::platform {

namespace {
std::string lastError;
void rememberError(int, const char* description) { lastError = description ? description : "unknown error"; }
} // namespace

GLFWwindow* GlfwRendererGl::createWindow(const WindowRequest& request, int& antiAliasingLevel, std::string& error)
{
    GLFWerrorfun previous = glfwSetErrorCallback(rememberError);
    int level = std::clamp(antiAliasingLevel, 0, RendererGl::maxAntiAliasingLevel);
    GLFWwindow* window = nullptr;
    for (; level >= 0 && !window; --level) {
        glfwDefaultWindowHints();
        glfwWindowHint(GLFW_CLIENT_API, GLFW_OPENGL_API);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 2);
        glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 0);
        glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
        glfwWindowHint(GLFW_RED_BITS, 8);
        glfwWindowHint(GLFW_GREEN_BITS, 8);
        glfwWindowHint(GLFW_BLUE_BITS, 8);
        glfwWindowHint(GLFW_ALPHA_BITS, 8);
        glfwWindowHint(GLFW_DEPTH_BITS, 16);
        glfwWindowHint(GLFW_STENCIL_BITS, 0);
        glfwWindowHint(GLFW_SAMPLES, RendererGl::sampleTable[level]);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_FOCUSED, GLFW_TRUE);
        glfwWindowHint(GLFW_RESIZABLE, request.resizable ? GLFW_TRUE : GLFW_FALSE);
        glfwWindowHint(GLFW_DECORATED, request.borderless ? GLFW_FALSE : GLFW_TRUE);
        glfwWindowHint(GLFW_FLOATING, request.alwaysOnTop ? GLFW_TRUE : GLFW_FALSE);
        // Leaving full screen must not iconify the window on focus loss.
        glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
        if (!request.className.empty()) {
            glfwWindowHintString(GLFW_X11_CLASS_NAME, request.className.c_str());
            glfwWindowHintString(GLFW_X11_INSTANCE_NAME, request.className.c_str());
        }
        if (request.fullScreenMonitor) {
            const GLFWvidmode* mode = glfwGetVideoMode(request.fullScreenMonitor);
            glfwWindowHint(GLFW_REFRESH_RATE, mode ? mode->refreshRate : GLFW_DONT_CARE);
        }
        window = glfwCreateWindow(request.width, request.height, request.title.c_str(), request.fullScreenMonitor,
                                  nullptr);
        if (window)
            break;
    }
    glfwSetErrorCallback(previous);
    if (!window) {
        error = lastError;
        return nullptr;
    }
    window_ = window;
    makeCurrent();
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    antiAliasingLevel = RendererGl::levelForSamples(samples);
    return window;
}

std::string GlfwRendererGl::offeredOpenGl()
{
    GLFWerrorfun previous = glfwSetErrorCallback(rememberError);
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* probe = glfwCreateWindow(16, 16, "vornix", nullptr, nullptr);
    glfwSetErrorCallback(previous);
    if (!probe)
        return {};
    glfwMakeContextCurrent(probe);
    const auto text = [](GLenum name) {
        const auto* value = reinterpret_cast<const char*>(glGetString(name));
        return std::string(value ? value : "unknown");
    };
    const std::string offered = "OpenGL " + text(GL_VERSION) + " on " + text(GL_RENDERER);
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(probe);
    return offered;
}

void GlfwRendererGl::makeCurrent()
{
    if (window_)
        glfwMakeContextCurrent(window_);
}

void GlfwRendererGl::swapBuffers()
{
    if (window_)
        glfwSwapBuffers(window_);
}

void GlfwRendererGl::clientSize(int& width, int& height) const
{
    width = height = 0;
    if (window_)
        glfwGetFramebufferSize(window_, &width, &height);
}

} // namespace vornix::platform
