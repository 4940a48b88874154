// GlfwRendererGl: the window-system side of RendererGl. It makes the window together with its GL context (GLFW makes
// both at once), asking for the renderer's multisampling level and stepping down to none, and it makes the context
// current and swaps buffers.
#pragma once

#include <string>

struct GLFWwindow;
struct GLFWmonitor;

namespace vornix::platform {

struct WindowRequest {
    int width = 0, height = 0;
    std::string title;
    GLFWmonitor* fullScreenMonitor = nullptr;   // full screen on this monitor when set
    bool resizable = true;
    bool borderless = false;
    bool alwaysOnTop = false;
};

class GlfwRendererGl {
public:
    // Makes a hidden window with a double-buffered RGBA compatibility context (depth 16, no stencil) and makes it
    // current. Tries `antiAliasingLevel` first, then each lower level down to none, and sets it to the level the
    // context actually got. Returns nullptr when no level works; `error` then holds the window system's reason.
    GLFWwindow* createWindow(const WindowRequest& request, int& antiAliasingLevel, std::string& error);

    void makeCurrent();
    void swapBuffers();
    // Client area in pixels.
    void clientSize(int& width, int& height) const;

    GLFWwindow* window() const { return window_; }
    void forget() { window_ = nullptr; }

private:
    GLFWwindow* window_ = nullptr;   // owned by the application's window side
};

} // namespace vornix::platform
