// AppBasic: a single-window application. It adds the window settings, owns the platform side that makes the window
// and runs the paced frame loop, and provides the launcher the program's entry calls:
//
//     int main(int argc, char** argv)
//     {
//         return vornix::AppBasic::launch<MyApp>("MyApp", std::make_shared<vornix::RendererGl>(5), argc, argv);
//     }
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/App.h"
#include "shell/Display.h"
#include "shell/RendererGl.h"

namespace vornix {

namespace platform {
class AppImplGlfw;
}

class AppBasic : public App {
public:
    struct Settings : App::Settings {
        bool enableMultiTouch = false;
        std::optional<Display> display;   // the display to open on; the primary display when not set

        void enableMultiTouchInput(bool on = true) { enableMultiTouch = on; }
        void setDisplay(const Display& which) { display = which; }
    };

    AppBasic();
    ~AppBasic() override;

    // Fills the settings before any window exists. `title` already holds the application's label.
    virtual void prepareSettings(Settings*) {}

    // Touch input is not delivered on this platform; the hooks exist for applications that override them.
    virtual void touchesBegan() {}
    virtual void touchesMoved() {}
    virtual void touchesEnded() {}

    // Sets the quit flag: the loop ends at the top of its next iteration, or inside the sleep.
    void quit() override;
    int getWindowWidth() const override;
    int getWindowHeight() const override;
    bool isFullScreen() const override;
    // Switches only when the state differs; GL objects live on, and a resize event follows.
    void setFullScreen(bool fullScreen) override;
    float getFrameRate() const;
    const Settings& getSettings() const { return settings_; }

    // Constructs the application (its clock starts), hands it the renderer and the arguments, and runs it:
    // prepareSettings, window and context, setup, the frame loop until the window closes, shutdown. Returns the
    // process exit status: 0, or 1 when no window with a GL context could be made (after a console line saying so).
    template <class A>
    static int launch(const char* label, std::shared_ptr<RendererGl> renderer, int argc = 0, char** argv = nullptr)
    {
        std::vector<std::string> args;
        for (int k = 0; k < argc; ++k)
            args.emplace_back(argv[k]);
        std::unique_ptr<AppBasic> app = std::make_unique<A>();
        return app->run(label, std::move(renderer), std::move(args));
    }

    // The launcher's body for an application already constructed.
    int run(const std::string& label, std::shared_ptr<RendererGl> renderer, std::vector<std::string> args);

private:
    Settings settings_;
    std::unique_ptr<platform::AppImplGlfw> impl_;
};

} // namespace vornix
