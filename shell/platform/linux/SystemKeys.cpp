#include "shell/platform/SystemKeys.h"

namespace vornix::platform {

// X11 has no default handling of keys in the client: Alt+F4 is the window manager's, before the window sees it.
void keepSystemKeysForTheApplication(GLFWwindow*) {}

} // namespace vornix::platform
