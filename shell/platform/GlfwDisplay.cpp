// The display list from GLFW's monitors.
#include "shell/Display.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <stdexcept>
#include <utility>

#include "shell/platform/GlfwLibrary.h"

namespace vornix {

const std::vector<Display>& Display::getDisplays()
{
    static const std::vector<Display> displays = [] {
        platform::ensureGlfw();
        int count = 0;
        GLFWmonitor** monitors = glfwGetMonitors(&count);
        GLFWmonitor* primary = glfwGetPrimaryMonitor();
        std::vector<Display> list;
        std::size_t primaryIndex = 0;
        bool atOrigin = false;
        for (int k = 0; k < count; ++k) {
            const GLFWvidmode* mode = glfwGetVideoMode(monitors[k]);
            if (!mode)
                continue;
            Display display;
            glfwGetMonitorPos(monitors[k], &display.left, &display.top);
            display.right = display.left + mode->width;
            display.bottom = display.top + mode->height;
            display.bitsPerPixel = mode->redBits + mode->greenBits + mode->blueBits;
            const bool containsOrigin =
                display.left <= 0 && display.top <= 0 && display.right > 0 && display.bottom > 0;
            if (!atOrigin && (containsOrigin || monitors[k] == primary)) {
                primaryIndex = list.size();
                atOrigin = containsOrigin;
            }
            list.push_back(display);
        }
        if (list.empty())
            throw std::runtime_error("no display found");
        std::swap(list[0], list[primaryIndex]);
        return list;
    }();
    return displays;
}

} // namespace vornix
