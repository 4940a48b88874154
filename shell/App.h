// App: the application base. It holds the clock, the frame counter and the average frame rate, the renderer, the
// command-line arguments and the ordered event callback lists, and declares the hooks an application overrides.
// The window, context and frame loop are the platform's (see AppBasic).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "shell/EventCallbacks.h"
#include "shell/Events.h"
#include "shell/Surface.h"
#include "shell/Timer.h"

namespace vornix {

class RendererGl;

struct Vec2i {
    int x = 0, y = 0;
};

class App {
public:
    struct Settings {
        bool shouldQuit = false;          // end right after prepareSettings, before any window exists
        Vec2i windowSize{640, 480};       // client area in pixels
        bool windowPosSpecified = false;  // use windowPos instead of centring on the display
        Vec2i windowPos{0, 0};            // screen position of the client area's top-left corner
        bool fullScreen = false;
        float frameRate = 60.0f;
        bool resizable = true;
        bool borderless = false;
        bool alwaysOnTop = false;
        bool preventScreenSaver = false;
        std::string title;                // set to the application's label before prepareSettings
        // How the desktop recognises the program's window: its class and instance name (X11's WM_CLASS; empty: the
        // title) and its icon at several sizes, RGBA (the desktop picks one; on Windows the executable's icon is used).
        std::string windowClass;
        std::vector<Surface8u> windowIcons;

        void setShouldQuit(bool quit = true) { shouldQuit = quit; }
        void setWindowSize(int width, int height) { windowSize = {width, height}; }
        void setWindowPos(int x, int y)
        {
            windowPos = {x, y};
            windowPosSpecified = true;
        }
        void setFullScreen(bool on = true) { fullScreen = on; }
        void setFrameRate(float rate) { frameRate = rate; }
        void setResizable(bool on = true) { resizable = on; }
        void setBorderless(bool on = true) { borderless = on; }
        void setAlwaysOnTop(bool on = true) { alwaysOnTop = on; }
        void setPreventScreenSaver(bool on = true) { preventScreenSaver = on; }
        void setTitle(const std::string& text) { title = text; }
        void setWindowClass(const std::string& name) { windowClass = name; }
        void setWindowIcons(std::vector<Surface8u> icons) { windowIcons = std::move(icons); }
    };

    App();
    virtual ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Hooks. setup runs once with the context current before the window shows; shutdown once after the loop, still
    // with the context current; update and draw once per frame. The event hooks do nothing by default.
    virtual void setup() {}
    virtual void shutdown() {}
    virtual void update() {}
    virtual void draw() {}
    virtual void mouseDown(MouseEvent) {}
    virtual void mouseUp(MouseEvent) {}
    virtual void mouseWheel(MouseEvent) {}
    virtual void mouseMove(MouseEvent) {}
    virtual void mouseDrag(MouseEvent) {}
    virtual void keyDown(KeyEvent) {}
    virtual void keyUp(KeyEvent) {}
    virtual void resize(ResizeEvent) {}
    virtual void fileDrop(FileDropEvent) {}

    // Window services, given by the platform side.
    virtual void quit() = 0;
    virtual int getWindowWidth() const = 0;
    virtual int getWindowHeight() const = 0;
    virtual bool isFullScreen() const = 0;
    virtual void setFullScreen(bool fullScreen) = 0;

    // Seconds on the application clock since the object was made.
    double getElapsedSeconds() const { return timer_.getSeconds(); }
    // Frames completed so far.
    std::uint32_t getElapsedFrames() const { return frameCount_; }

    // Frames per second, resampled at most once per fpsSampleInterval seconds; 0 until the first sample.
    float averageFps = 0.0f;
    double fpsSampleInterval = 1.0;
    float getAverageFps() const { return averageFps; }

    // The process-wide diagnostic stream; every line goes to standard error.
    static std::ostream& console();

    const std::shared_ptr<RendererGl>& getRenderer() const { return renderer_; }
    void setRenderer(std::shared_ptr<RendererGl> renderer) { renderer_ = std::move(renderer); }
    const std::vector<std::string>& getArgs() const { return args_; }

    // The eight callback lists. A callback answering true consumes the event: later callbacks and the hook miss it.
    EventCallbacks& getCallbacks() { return callbacks_; }
    int registerMouseDown(std::function<bool(MouseEvent)> callback) { return callbacks_.mouseDown.add(std::move(callback)); }
    int registerMouseUp(std::function<bool(MouseEvent)> callback) { return callbacks_.mouseUp.add(std::move(callback)); }
    int registerMouseWheel(std::function<bool(MouseEvent)> callback) { return callbacks_.mouseWheel.add(std::move(callback)); }
    int registerMouseMove(std::function<bool(MouseEvent)> callback) { return callbacks_.mouseMove.add(std::move(callback)); }
    int registerMouseDrag(std::function<bool(MouseEvent)> callback) { return callbacks_.mouseDrag.add(std::move(callback)); }
    int registerKeyDown(std::function<bool(KeyEvent)> callback) { return callbacks_.keyDown.add(std::move(callback)); }
    int registerKeyUp(std::function<bool(KeyEvent)> callback) { return callbacks_.keyUp.add(std::move(callback)); }
    int registerResize(std::function<bool(ResizeEvent)> callback) { return callbacks_.resize.add(std::move(callback)); }

    // Event delivery under the dispatch rule: the callbacks in list order, then the hook if none consumed it.
    void privateMouseDown(const MouseEvent& event);
    void privateMouseUp(const MouseEvent& event);
    void privateMouseWheel(const MouseEvent& event);
    void privateMouseMove(const MouseEvent& event);
    void privateMouseDrag(const MouseEvent& event);
    void privateKeyDown(const KeyEvent& event);
    void privateKeyUp(const KeyEvent& event);
    void privateFileDrop(const FileDropEvent& event);
    // The resize step: the renderer's default viewport and projection, then callbacks and hook.
    void privateResize(const ResizeEvent& event);

    // The shell's steps around the hooks, called by the frame loop.
    void privateSetup() { setup(); }
    // update, then the frame counter, then the average frame rate sampled at the clock's current time.
    void privateUpdate();
    void privateShutdown() { shutdown(); }
    // Samples the average frame rate at clock time `now` (seconds since the object was made).
    void sampleFps(double now);

protected:
    void setArgs(std::vector<std::string> args) { args_ = std::move(args); }

private:
    Timer timer_;
    std::uint32_t frameCount_ = 0;
    std::uint32_t fpsLastSampleFrame_ = 0;
    double fpsLastSampleTime_ = 0.0;
    std::shared_ptr<RendererGl> renderer_;
    std::vector<std::string> args_;
    EventCallbacks callbacks_;
};

} // namespace vornix
