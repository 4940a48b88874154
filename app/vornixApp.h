// vornixApp: the program's application object. It owns the parameter panel, the scene (model, parameters, drawing)
// and the help picture, and turns frames, mouse strokes, keys and panel edits into scene operations.
#pragma once

#include <cstdint>
#include <memory>

#include "app/FluidScene.h"
#include "app/Recording.h"
#include "app/studio/LaunchOptions.h"
#include "app/studio/OwnStudio.h"
#include "app/studio/LivePainting.h"
#include "app/studio/Notice.h"
#include "app/studio/SaveFolders.h"
#include "shell/AppBasic.h"
#include "shell/DataSource.h"
#include "shell/Font.h"
#include "shell/gl/Texture.h"
#include "shell/panel/ParamPanel.h"

namespace vornix {

// A panel value and the copy last applied to the scene; applyPanelChanges acts when they differ.
template <class T> struct Mirror {
    T value{};
    T applied{};
    void setBoth(T v) { value = applied = v; }
    bool changed() const { return value != applied; }
};

class vornixApp : public AppBasic {
public:
    vornixApp();
    ~vornixApp() override;

    void prepareSettings(Settings* settings) override;
    void setup() override;
    void update() override;
    void draw() override;
    void mouseDown(MouseEvent event) override;
    void mouseDrag(MouseEvent event) override;
    void mouseMove(MouseEvent event) override;
    void keyDown(KeyEvent event) override;
    void shutdown() override;

    // Compares the mirrored panel values with their applied copies in a fixed order and performs the changes.
    void applyPanelChanges();
    // Saves the visible picture (without the panel) at a path chosen in the save dialog.
    void savePicture();

    // The panel's commands, shared with the keys.
    void toggleFullScreen();
    void resetFluid();
    void singleStep();
    void toggleMenu();
    void defaultBasics();
    void defaultQuality();
    // Beyond the parameter panel: the "Studio" panel (key t) and its "Record Video" command (key v), which starts a
    // recording through the save dialog or stops the one running.
    void toggleStudio();
    void toggleRecording();
    // A short message in the window that fades by itself (see Notice); without a duration, long enough to read it.
    void showNotice(const std::string& text, std::optional<double> seconds = {});
    // Makes an own preset the selected one and applies it as a built-in preset is applied.
    void applyStudioPreset(const Preset& preset);
    // Files dropped on the window are imported as own presets or colour schemes (see OwnStudio).
    void fileDrop(FileDropEvent event) override;

    std::unique_ptr<ParamPanel> panel;
    int lastMouseX = 0, lastMouseY = 0;
    std::unique_ptr<FluidScene> scene;
    gl::Texture helpTexture;
    bool showMenu = false;
    bool showMenuApplied = false;
    Mirror<std::int32_t> presetIndex, viscosity, diffusion;
    Mirror<float> deltaTime;
    Mirror<std::int32_t> quality, colorScheme, engine;
    std::unique_ptr<OwnStudio> own;   // the user's own presets and colours (before `studio`: it outlives the panel)
    std::unique_ptr<ParamPanel> studio;
    Recording recording;
    Notice notice;
    // Where the save dialogs start (the user's folders, made in setup; tests put their own).
    SaveFolders saveFolders;
    // The command line (read in setup; main has already answered --help, --version and mistakes).
    LaunchOptions launchOptions;
    // The autopilot (key a) and what music does to the fluid (key u), in the Studio panel.
    LivePainting live;

protected:
    // The path to save the picture to (the dialog's answer after the extension rule): a chosen path, empty when
    // cancelled, nothing when no dialog could be shown.
    virtual std::optional<std::string> askSavePath();
    // The path to record a video to (the dialog's answer after the extension rule: mp4 or gif), as askSavePath.
    virtual std::optional<std::string> askVideoPath();
    // Tells the user about a failed command (a message box); the console line is written besides.
    virtual void showFailure(const std::string& text);
    // The window's picture, rows top to bottom.
    virtual Surface8u captureWindow();
    // The encoded help picture (resource::help); throws when it cannot be had.
    virtual DataSourceRef loadHelpPicture();
    // The framerate line's font; throws FontLoadExc when it cannot be had.
    virtual Font loadFramerateFont();
    // The dialogs and the question the own presets and colours ask (see StudioServices).
    virtual std::optional<std::string> askOpenPath();
    virtual std::optional<std::string> askExportPath(const std::string& suggestedName);
    virtual std::optional<bool> askYesNo(const std::string& question);

private:
    void addPanelEntries();
    void setWindowMatrices();
    // Matrices for a w x h picture in pixels (origin top left, y down); the viewport is left alone.
    void setPixelProjection(int w, int h);
    void mirrorCurrent();
    void addStudioEntries();
    void drawFrame();
    void drawNotices();
    // The Studio button reads "Stop Recording" while a recording runs, however it started or ended.
    void labelRecordButton();

    bool pictureOnly_ = false;   // drawing the picture to save: without the window's own overlays
    bool recordButtonStops_ = false;
};

} // namespace vornix
