#include "shell/platform/GlfwLibrary.h"

#include <GLFW/glfw3.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vornix::platform {

namespace {
std::string lastGlfwError;
void rememberError(int, const char* description) { lastGlfwError = description ? description : "unknown error"; }
} // namespace

void ensureGlfw()
{
    static bool initialised = false;
    if (initialised)
        return;
    glfwSetErrorCallback(rememberError);
    if (!glfwInit())
        throw std::runtime_error("GLFW could not be initialised: " + lastGlfwError);
    initialised = true;
    std::atexit(glfwTerminate);
}

} // namespace vornix::platform
