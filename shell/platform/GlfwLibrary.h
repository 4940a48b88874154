// One-time GLFW initialisation for the process (terminated at exit).
#pragma once

namespace vornix::platform {

// Initialises GLFW once; throws std::runtime_error (with GLFW's description) when that fails, e.g. without a display.
void ensureGlfw();

} // namespace vornix::platform
