#include "shell/platform/HiddenGlContext.h"

#include <epoxy/gl.h>
// epoxy must come before GLFW.
#include <GLFW/glfw3.h>

#include <stdexcept>

#include "shell/platform/GlfwLibrary.h"

namespace vornix {

HiddenGlContext::HiddenGlContext(int width, int height)
{
    platform::ensureGlfw();
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(width, height, "vornix hidden context", nullptr, nullptr);
    if (!window)
        throw std::runtime_error("HiddenGlContext: no OpenGL context could be created (is a display available?)");
    window_ = window;
    makeCurrent();
}

HiddenGlContext::~HiddenGlContext()
{
    if (window_)
        glfwDestroyWindow(static_cast<GLFWwindow*>(window_));
}

void HiddenGlContext::makeCurrent() { glfwMakeContextCurrent(static_cast<GLFWwindow*>(window_)); }

std::string HiddenGlContext::renderer() const
{
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return text ? text : "";
}

} // namespace vornix
