// Keys pressed with Alt (and F10) are the application's: on Windows the system's default handling would otherwise
// close the window on Alt+F4. Elsewhere the window manager owns such keys and this does nothing.
#pragma once

struct GLFWwindow;

namespace vornix::platform {

// Called once for each window the shell makes.
void keepSystemKeysForTheApplication(GLFWwindow* window);

} // namespace vornix::platform
