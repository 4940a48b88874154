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
    std::string className;                      // X11 class and instance name; empty: GLFW's default (the title)
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

    // The OpenGL the window system offers without asking for a version, e.g. "OpenGL 1.4 (Mesa 22.3.6) on
    // llvmpipe (LLVM 15.0.6, 256 bits)"; empty when it offers none. Makes and destroys a hidden window; no context
    // is current afterwards.
    static std::string offeredOpenGl();

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
