#include "shell/platform/AppImplGlfw.h"

#include <epoxy/gl.h>
// epoxy must come before GLFW.
#include <GLFW/glfw3.h>

#include <algorithm>
#include <exception>

#include "shell/Console.h"
#include "shell/ContentScale.h"
#include "shell/platform/UserMessage.h"
#include "shell/platform/GlfwLibrary.h"
#include "shell/platform/GlfwRendererGl.h"
#include "shell/platform/SystemKeys.h"
#include "shell/platform/WindowIcon.h"

namespace vornix::platform {

namespace {

// The GLFW monitor whose top-left corner is the display's.
GLFWmonitor* monitorOf(const Display& display)
{
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    for (int k = 0; k < count; ++k) {
        int x = 0, y = 0;
        glfwGetMonitorPos(monitors[k], &x, &y);
        if (x == display.left && y == display.top)
            return monitors[k];
    }
    return glfwGetPrimaryMonitor();
}

} // namespace

AppImplGlfw::AppImplGlfw(AppBasic& app, const AppBasic::Settings& settings, RendererGl& renderer)
    : app_(app), settings_(settings), renderer_(renderer), input_(*this), frameRate_(settings.frameRate),
      fullScreen_(settings.fullScreen)
{
}

AppImplGlfw::~AppImplGlfw() { destroyWindow(); }

AppImplGlfw& AppImplGlfw::from(GLFWwindow* window)
{
    return *static_cast<AppImplGlfw*>(glfwGetWindowUserPointer(window));
}

int AppImplGlfw::run()
{
    try {
        ensureGlfw();
        display_ = settings_.display ? *settings_.display : Display::getMainDisplay();
    } catch (const std::exception& e) {
        console() << "Cannot open the window: " << e.what() << std::endl;
        return 1;
    }
    monitor_ = monitorOf(display_);
    float scaleX = 1.0f, scaleY = 1.0f;
    glfwGetMonitorContentScale(monitor_, &scaleX, &scaleY);
    setContentScale(scaleX);
    if (!createWindow())
        return 1;
    renderer_.getPlatform()->clientSize(width_, height_);

    app_.privateSetup();
    initialised_ = true;
    renderer_.getPlatform()->clientSize(width_, height_);
    deliverResize();
    glfwShowWindow(window_);
    glfwFocusWindow(window_);

    const auto clock = [this] { return app_.getElapsedSeconds(); };
    // A key press may wait for its text input, which comes within the same round of events.
    wait_.onEventsDelivered([this] { input_.flush(); });
    const auto quitRequested = [this] { return quit_; };
    schedule_.start(clock());
    while (!quit_) {
        app_.privateUpdate();
        renderer_.startDraw();
        app_.draw();
        renderer_.finishDraw();

        const double now = clock();
        waiting_ = true;
        if (frameRate_ > 0.0f && schedule_.advance(now, 1.0 / frameRate_) > now)
            wait_.sleepUntil(schedule_.next(), clock, quitRequested);
        else {
            glfwPollEvents();   // late (or unpaced): drain the queue and go on at once
            input_.flush();
        }
        waiting_ = false;
    }

    // The shutdown hook runs with the context still current, so what it releases is released in its context.
    renderer_.startDraw();
    app_.privateShutdown();
    destroyWindow();
    return 0;
}

bool AppImplGlfw::createWindow()
{
    WindowRequest request;
    request.title = settings_.title;
    request.className = settings_.windowClass;
    request.resizable = settings_.resizable;
    request.borderless = settings_.borderless;
    request.alwaysOnTop = settings_.alwaysOnTop;
    int x = 0, y = 0;
    if (fullScreen_) {
        request.width = display_.getWidth();
        request.height = display_.getHeight();
        request.fullScreenMonitor = monitor_;
        x = display_.left;
        y = display_.top;
    } else {
        request.width = scaledPixels(settings_.windowSize.x);
        request.height = scaledPixels(settings_.windowSize.y);
    }
    if (settings_.windowPosSpecified) {
        windowedX_ = settings_.windowPos.x;
        windowedY_ = settings_.windowPos.y;
    } else {
        windowedX_ = (display_.getWidth() - scaledPixels(settings_.windowSize.x)) / 2 + display_.left;
        windowedY_ = (display_.getHeight() - scaledPixels(settings_.windowSize.y)) / 2 + display_.top;
    }
    if (!fullScreen_) {
        x = windowedX_;
        y = windowedY_;
    }

    std::string error;
    window_ = renderer_.getPlatform()->createWindow(request, renderer_.antiAliasingLevel, error);
    if (!window_) {
        // Started from a menu or a file browser, nobody reads the console: the user is told as well.
        const std::string offered = GlfwRendererGl::offeredOpenGl();
        const std::string has = offered.empty() ? "no OpenGL at all" : offered;
        console() << "No OpenGL context could be made: " << error << "; this computer offers " << has << std::endl;
        showErrorMessage("This program needs OpenGL 2.0 or later (with GLSL 1.10), but the graphics driver of this "
                         "computer offers " + has + ".\n\n" + error);
        return false;
    }
    if (!fullScreen_)
        glfwSetWindowPos(window_, x, y);
    setWindowIcon(window_, settings_.windowIcons);
    installCallbacks();
    // The window may have opened on another monitor than the one asked for.
    float scaleX = 1.0f, scaleY = 1.0f;
    glfwGetWindowContentScale(window_, &scaleX, &scaleY);
    followScale(scaleX);
    return true;
}

void AppImplGlfw::installCallbacks()
{
    glfwSetWindowUserPointer(window_, this);
    // Caps Lock and Num Lock state come with every key, for the characters and the keypad.
    glfwSetInputMode(window_, GLFW_LOCK_KEY_MODS, GLFW_TRUE);
    keepSystemKeysForTheApplication(window_);
    glfwSetWindowCloseCallback(window_, [](GLFWwindow* w) { from(w).quit_ = true; });
    glfwSetWindowContentScaleCallback(window_, [](GLFWwindow* w, float x, float) { from(w).followScale(x); });
    glfwSetWindowRefreshCallback(window_, [](GLFWwindow* w) { from(w).repaint(); });
    glfwSetFramebufferSizeCallback(window_, [](GLFWwindow* w, int width, int height) { from(w).resized(width, height); });
    glfwSetWindowPosCallback(window_, [](GLFWwindow* w, int x, int y) {
        AppImplGlfw& self = from(w);
        if (self.initialised_ && !self.switching_ && !self.fullScreen_) {
            self.windowedX_ = x;
            self.windowedY_ = y;
        }
    });
    // The key's label in the user's layout (GLFW's tokens are US positions), and the layout's own text input.
    glfwSetKeyCallback(window_, [](GLFWwindow* w, int key, int scancode, int action, int mods) {
        const char* label = glfwGetKeyName(key, scancode);
        from(w).input_.key(key, scancode, action, mods, label ? label : "");
    });
    glfwSetCharCallback(window_, [](GLFWwindow* w, unsigned codepoint) { from(w).input_.character(codepoint); });
    glfwSetMouseButtonCallback(window_, [](GLFWwindow* w, int button, int action, int mods) {
        from(w).input_.mouseButton(button, action, mods);
    });
    glfwSetCursorPosCallback(window_, [](GLFWwindow* w, double x, double y) { from(w).input_.cursorPos(x, y); });
    glfwSetScrollCallback(window_, [](GLFWwindow* w, double dx, double dy) { from(w).input_.scroll(dx, dy); });
    glfwSetWindowFocusCallback(window_, [](GLFWwindow* w, int focused) { from(w).input_.focus(focused == GLFW_TRUE); });
    glfwSetDropCallback(window_, [](GLFWwindow* w, int count, const char** paths) {
        from(w).input_.drop(std::vector<std::string>(paths, paths + count));
    });
}

void AppImplGlfw::destroyWindow()
{
    if (!window_)
        return;
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(window_);
    renderer_.getPlatform()->forget();
    window_ = nullptr;
}

void AppImplGlfw::resized(int width, int height)
{
    // Reports that repeat the size already delivered (e.g. the window system confirming a switch) are dropped.
    if (!initialised_ || switching_ || (width == width_ && height == height_))
        return;
    width_ = width;
    height_ = height;
    deliverResize();
}

// While the user drags the window's frame or title bar, Windows runs a modal loop of its own inside the event
// delivery and the frame loop stands still; the system asks for a repaint whenever the window's size changes. The
// refresh callback draws the current frame then, rather than a timer driving whole frames from inside the system's
// loop: the picture stays whole at every size, and the simulation advances only in the frame loop, at its pace.
// Only while the loop waits: a hook's own modal dialog (the save dialog) runs with no frame drawn.
void AppImplGlfw::repaint()
{
    if (!waiting_ || !window_)
        return;
    renderer_.startDraw();
    app_.draw();
    renderer_.finishDraw();
}

// On a monitor with another scale the window keeps the size it has on screen: its pixels grow or shrink with the
// scale. The resize event follows from the window system; the panels and overlays take the new scale with the next
// frame. Full screen simply fills the monitor.
void AppImplGlfw::followScale(float reported)
{
    const float before = contentScale();
    setContentScale(reported);
    const float after = contentScale();
    if (after == before || !window_ || fullScreen_)
        return;
    int width = 0, height = 0;
    glfwGetWindowSize(window_, &width, &height);
    const float ratio = after / before;
    glfwSetWindowSize(window_, std::max(1, scaledPixels(width, ratio)), std::max(1, scaledPixels(height, ratio)));
}

void AppImplGlfw::deliverResize()
{
    ResizeEvent event;
    event.width = width_;
    event.height = height_;
    renderer_.startDraw();
    app_.privateResize(event);
}

void AppImplGlfw::setFullScreen(bool fullScreen)
{
    if (fullScreen == fullScreen_ || !window_)
        return;
    switching_ = true;
    if (fullScreen) {
        glfwGetWindowPos(window_, &windowedX_, &windowedY_);
        // The display the window is on now: the user may have moved it since it opened.
        display_ = displayOfWindow(Display::getDisplays(), windowedX_, windowedY_, windowedX_ + width_,
                                   windowedY_ + height_);
        monitor_ = monitorOf(display_);
        const GLFWvidmode* mode = glfwGetVideoMode(monitor_);
        const int width = mode ? mode->width : display_.getWidth();
        const int height = mode ? mode->height : display_.getHeight();
        glfwSetWindowMonitor(window_, monitor_, 0, 0, width, height, mode ? mode->refreshRate : GLFW_DONT_CARE);
    } else {
        glfwSetWindowMonitor(window_, nullptr, windowedX_, windowedY_, scaledPixels(settings_.windowSize.x),
                             scaledPixels(settings_.windowSize.y), GLFW_DONT_CARE);
    }
    fullScreen_ = fullScreen;
    switching_ = false;
    // The context belongs to the window and survives the switch, and with it every GL object.
    glfwShowWindow(window_);
    glfwFocusWindow(window_);
    renderer_.getPlatform()->clientSize(width_, height_);
    deliverResize();
}

} // namespace vornix::platform
