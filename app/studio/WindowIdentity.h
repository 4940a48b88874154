// How the desktop recognises vornix's window: the class and instance name "vornix", which the desktop entry names as
// its StartupWMClass so that a dock or task bar matches the window to the menu entry, and the icon the executable
// carries (48 and 128 pixels).
#pragma once

#include "shell/App.h"

namespace vornix {

// Fills the window class and icons into the settings. An icon that cannot be decoded is left out (console line).
void setWindowIdentity(App::Settings& settings);

} // namespace vornix
