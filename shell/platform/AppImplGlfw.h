// AppImplGlfw: the single window of an AppBasic on GLFW. It opens the window with its GL context, runs setup and the
// paced frame loop, turns window-system callbacks into the application's events, switches full screen and tears
// everything down when the window closes.
#pragma once

#include <string>

#include "shell/AppBasic.h"
#include "shell/FrameSchedule.h"
#include "shell/platform/FrameWait.h"
#include "shell/platform/InputTranslator.h"

struct GLFWwindow;
struct GLFWmonitor;

namespace vornix::platform {

class AppImplGlfw : private InputTarget {
public:
    AppImplGlfw(AppBasic& app, const AppBasic::Settings& settings, RendererGl& renderer);
    ~AppImplGlfw() override;
    AppImplGlfw(const AppImplGlfw&) = delete;
    AppImplGlfw& operator=(const AppImplGlfw&) = delete;

    // Opens the window and runs until it closes. Returns the exit status: 1 (after a console line) when no window
    // with a GL context could be made.
    int run();

    void quit() { quit_ = true; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool isFullScreen() const { return fullScreen_; }
    void setFullScreen(bool fullScreen);
    float frameRate() const { return frameRate_; }

private:
    bool createWindow();
    void installCallbacks();
    void destroyWindow();
    void resized(int width, int height);
    void deliverResize();
    void followScale(float reported);
    void repaint();

    // Hooks that receive input run as part of the frame, not of the wait (see repaint).
    class InHook {
    public:
        explicit InHook(bool& waiting) : waiting_(waiting), was_(waiting) { waiting_ = false; }
        ~InHook() { waiting_ = was_; }
        InHook(const InHook&) = delete;
        InHook& operator=(const InHook&) = delete;

    private:
        bool& waiting_;
        bool was_;
    };

    // Input from the translator to the application, under the dispatch rule.
    template <typename Event>
    void deliver(void (App::*hook)(const Event&), const Event& event)
    {
        InHook inHook(waiting_);
        (app_.*hook)(event);
    }
    void mouseDown(const MouseEvent& event) override { deliver(&App::privateMouseDown, event); }
    void mouseUp(const MouseEvent& event) override { deliver(&App::privateMouseUp, event); }
    void mouseMove(const MouseEvent& event) override { deliver(&App::privateMouseMove, event); }
    void mouseDrag(const MouseEvent& event) override { deliver(&App::privateMouseDrag, event); }
    void mouseWheel(const MouseEvent& event) override { deliver(&App::privateMouseWheel, event); }
    void keyDown(const KeyEvent& event) override { deliver(&App::privateKeyDown, event); }
    void keyUp(const KeyEvent& event) override { deliver(&App::privateKeyUp, event); }
    void fileDrop(const FileDropEvent& event) override { deliver(&App::privateFileDrop, event); }

    static AppImplGlfw& from(GLFWwindow* window);

    AppBasic& app_;
    const AppBasic::Settings& settings_;
    RendererGl& renderer_;
    InputTranslator input_;
    FrameSchedule schedule_;
    FrameWait wait_;
    GLFWwindow* window_ = nullptr;
    GLFWmonitor* monitor_ = nullptr;
    Display display_;
    float frameRate_ = 60.0f;
    bool fullScreen_ = false;
    bool initialised_ = false;   // size and move reports are ignored until setup has run
    bool switching_ = false;     // inside a full-screen switch: its one resize event comes at the end
    bool quit_ = false;
    bool waiting_ = false;       // the loop waits for the next frame (and no hook runs): a repaint may draw
    int width_ = 0, height_ = 0;
    int windowedX_ = 0, windowedY_ = 0;   // where the windowed client area goes when full screen ends
};

} // namespace vornix::platform
