// The window's icon, for the task bar, the dock and the window switcher.
#pragma once

#include <vector>

#include "shell/Surface.h"

struct GLFWwindow;

namespace vornix::platform {

// Gives the window the pictures as its icon (the desktop picks the size it needs; any channel order). On Windows
// nothing happens: the executable's own icon is already the window class's icon, with all its sizes.
void setWindowIcon(GLFWwindow* window, const std::vector<Surface8u>& icons);

} // namespace vornix::platform
