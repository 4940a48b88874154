// X11 takes the icon from the program, as _NET_WM_ICON: RGBA pictures handed to GLFW.
#include "shell/platform/WindowIcon.h"

#include <GLFW/glfw3.h>

#include <cstdint>

namespace vornix::platform {

void setWindowIcon(GLFWwindow* window, const std::vector<Surface8u>& icons)
{
    std::vector<std::vector<unsigned char>> pixels;
    std::vector<GLFWimage> images;
    for (const Surface8u& icon : icons) {
        if (!icon || icon.getWidth() <= 0 || icon.getHeight() <= 0)
            continue;
        const SurfaceChannelOrder& order = icon.getChannelOrder();
        std::vector<unsigned char>& rgba = pixels.emplace_back();
        rgba.reserve(static_cast<std::size_t>(icon.getWidth()) * icon.getHeight() * 4);
        for (int y = 0; y < icon.getHeight(); ++y)
            for (int x = 0; x < icon.getWidth(); ++x) {
                const std::uint8_t* p = icon.getPixel(x, y);
                rgba.insert(rgba.end(), {p[order.getRedOffset()], p[order.getGreenOffset()], p[order.getBlueOffset()],
                                         order.hasAlpha() ? p[order.getAlphaOffset()] : std::uint8_t{255}});
            }
        images.push_back(GLFWimage{icon.getWidth(), icon.getHeight(), rgba.data()});
    }
    if (!images.empty())
        glfwSetWindowIcon(window, static_cast<int>(images.size()), images.data());
}

} // namespace vornix::platform
