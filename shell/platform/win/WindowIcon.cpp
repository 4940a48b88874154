// The executable's icon resource (GLFW_ICON) is the window class's icon: nothing to do here.
#include "shell/platform/WindowIcon.h"

namespace vornix::platform {

void setWindowIcon(GLFWwindow*, const std::vector<Surface8u>&) {}

} // namespace vornix::platform
