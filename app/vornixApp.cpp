#include "app/vornixApp.h"

#include <epoxy/gl.h>

#include "app/studio/HandBrush.h"
#include "app/studio/SoftwareOpenGl.h"
#include "app/studio/WindowIdentity.h"
#include "shell/ContentScale.h"
#include "shell/RendererGl.h"
#include "shell/Resources.h"
#include "shell/platform/OpenFileDialog.h"
#include "shell/platform/SaveFileDialog.h"
#include "shell/platform/UserMessage.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageIoException.h"
#include "shell/panel/PanelManager.h"

namespace vornix {

namespace {

constexpr int studioWidth = 200;

} // namespace

// =====================================================================================================================
// Settings, setup, shutdown
// =====================================================================================================================

vornixApp::vornixApp() = default;
vornixApp::~vornixApp() = default;

void vornixApp::prepareSettings(Settings* settings)
{
    settings->setTitle("vornix - Quillon's interactive fluidum");
    settings->setFrameRate(30.0f);
    settings->setWindowSize(600, 600);
    setWindowIdentity(*settings);
}

void vornixApp::mirrorCurrent()
{
    const Preset& c = scene->current;
    colorScheme.setBoth(c.colorScheme);
    viscosity.setBoth(c.viscosity);
    diffusion.setBoth(c.diffusion);
    deltaTime.setBoth(c.deltaTime);
    quality.setBoth(c.quality);
    engine.setBoth(c.engine);
}

void vornixApp::setup()
{
    try {
        launchOptions = parseLaunchOptions(getArgs());
    } catch (const LaunchOptionsError& e) {
        console() << "The command line is ignored: " << e.what() << std::endl;
    }
    saveFolders = SaveFolders::forUser();
    scene = std::make_unique<FluidScene>(
        *this, [this] { return loadFramerateFont(); }, [this](const std::string& text) { showFailure(text); });
    presetIndex.setBoth(scene->presetIndex);
    mirrorCurrent();
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (const auto advice = softwareOpenGlAdvice(renderer ? renderer : "", scene->current.engine)) {
        console() << *advice << std::endl;
        showNotice(*advice, 20.0);
    }

    scene->current.showFramerate = false;
    scene->current.showGradientBar = false;
    scene->current.showHelp = true;
    lastMouseX = lastMouseY = 0;
    live.setup(*scene, launchOptions, getElapsedSeconds());
    scene->current.showHelp = !launchOptions.autopilot;   // nobody may be there to click it away

    // Without the help picture the program runs on and shows the fluid in its place.
    try {
        helpTexture = gl::Texture(loadImage(loadHelpPicture()));
    } catch (const std::exception& e) {
        console() << "The help picture is not available: " << e.what() << std::endl;
    }

    panel = std::make_unique<ParamPanel>("Simulation Parameters", PanelSize{280, 480}, PanelColor{0.3f, 0.3f, 0.3f, 0.4f});
    PanelManager::instance()->install(getCallbacks(), getWindowWidth(), getWindowHeight());
    addPanelEntries();
    showMenu = showMenuApplied = false;
    panel->hide();

    own = std::make_unique<OwnStudio>(*scene, StudioServices{[this] { return askOpenPath(); },
                                                              [this](const std::string& n) { return askExportPath(n); },
                                                              [this](const std::string& q) { return askYesNo(q); },
                                                              [this](const std::string& t) { showFailure(t); },
                                                              [this](const Preset& p) { applyStudioPreset(p); }});

    // The Studio panel sits at the window's top-right corner, clear of the parameter panel's place at the left.
    studio = std::make_unique<ParamPanel>("Studio", PanelSize{studioWidth, 90}, PanelColor{0.25f, 0.3f, 0.35f, 0.6f});
    studio->place(static_cast<float>(getWindowWidth() - scaledPixels(studioWidth + 16)), scaledPixels(16.0f));
    addStudioEntries();
    studio->hide();
    own->applyStartPreset();
    if (!launchOptions.files.empty())
        own->openFiles(launchOptions.files);
}

void vornixApp::addStudioEntries()
{
    studio->addButton("Record Video", [this] { toggleRecording(); },
                      "key=v help='Record what the window shows as MP4 or GIF, one frame per simulation step at 30 "
                      "frames per second; again to stop.'");
    int height = 90;
    height += live.addStudioEntries(*studio);
    height += own->setup(*studio);
    studio->resize({studioWidth, height});
}

void vornixApp::addPanelEntries()
{
    Preset& c = scene->current;
    ParamPanel& p = *panel;
    p.addEnumParam("vornix Preset", scene->presetNames, &presetIndex.value, "");
    p.addSeparator("", "");
    p.addButton("Full Screen", [this] { toggleFullScreen(); }, "key=ESC");
    p.addButton("Reset Fluid", [this] { resetFluid(); },
                "key=r help='Clear the density map and the velocities (and resume a paused simulation).'");
    p.addEnumParam("Color Scheme", scene->colorSchemeNames, &colorScheme.value, "");
    p.addSeparator("", "");
    p.addParam("Simulation Paused", &c.paused, "key=space help='Pause simulation'");
    p.addButton("Single Step", [this] { singleStep(); },
                "key=right help='Simulate one more step while being in PAUSED mode.'");
    p.addButton("Save Picture", [this] { savePicture(); }, "key=s help='Save the currently visible picture as a PNG'");
    p.addSeparator("", "");
    p.addParam("Brushsize Velocity", &c.brushSizeVelocity, "precision=0 min=1.0 max=100 step=1");
    p.addParam("Brushsize Density", &c.brushSizeDensity, "precision=0 min=1.0 max=100 step=1");
    p.addButton("Default Brushes", [this] { scene->defaultBrushes(); }, "");
    p.addParam("Velocity Precision", &c.velocityPrecision, "min=0 max=100 step=1");
    p.addSeparator("", "");
    p.addParam("Viscosity", &viscosity.value, "min=0 max=10000 step=5");
    p.addParam("Diffusion", &diffusion.value, "min=0 max=5000 step=5");
    p.addParam("Delta Time", &deltaTime.value, "precision=2 min=0.01 max=1.00 step=0.01");
    p.addButton("Default Basics", [this] { defaultBasics(); }, "");
    p.addSeparator("", "");
    p.addParam("Quality", &quality.value, "min=10 max=1000 step=10");
    p.addButton("Default Quality", [this] { defaultQuality(); }, "");
    p.addEnumParam("Render Engine", {"CPU", "GPU"}, &engine.value, "");
    p.addSeparator("", "");
    p.addParam("Show Help", &c.showHelp, "key=h help='Toggle help graphics.'");
    p.addParam("Show Menu Window", &showMenu, "key=m help='Toggle the simulation parameters menu window.'");
    p.addParam("Show Framerate", &c.showFramerate, "key=f help='Toggle framerate display'");
    p.addParam("Show Gradient Bar", &c.showGradientBar, "key=g help='Toggle gradient bar'");
    p.addParam("Show 3D Lighting", &c.show3DLighting, "key=l help='Toggle Orvando''s 3D lighting'");
}

DataSourceRef vornixApp::loadHelpPicture() { return loadResource(resource::help); }

Font vornixApp::loadFramerateFont() { return FramerateLine::defaultFont(); }

void vornixApp::shutdown()
{
    // The recording is completed before anything else goes, so the file is whole when the program ends.
    if (const auto message = recording.stop())
        showFailure(*message);
    // Still with the GL context current: the model, textures and programs are released with it.
    own.reset();
    scene.reset();
    helpTexture.reset();
}

// =====================================================================================================================
// Frame
// =====================================================================================================================

void vornixApp::update()
{
    if (const auto message = recording.checkFailure())
        showFailure(*message);
    live.update(getElapsedSeconds());
    if (!scene->current.paused) {
        live.beforeStep(getWindowWidth(), getWindowHeight(), getElapsedSeconds());
        recording.stepped();
    }
    scene->advance(false);
    applyPanelChanges();
    labelRecordButton();
    if (own)
        own->update();
}

void vornixApp::setWindowMatrices()
{
    const int w = getWindowWidth(), h = getWindowHeight();
    setPixelProjection(w, h);
    glViewport(0, 0, w, h);
}

void vornixApp::setPixelProjection(int w, int h)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void vornixApp::draw()
{
    // The video's frame is the fluid as 's' would save it, drawn at the video's size; the help picture, the indicator,
    // the notices and the panels are the window's alone.
    recording.capture([this](int width, int height) {
        setPixelProjection(width, height);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        scene->drawScene(static_cast<float>(width), static_cast<float>(height));
    });
    drawFrame();
    if (!pictureOnly_) {   // the window's own overlays, never in a saved picture
        recording.drawIndicator(getWindowWidth(), getWindowHeight(),
                                scene->framerate ? &scene->framerate->framerateFont : nullptr, scene->current.paused);
        drawNotices();
    }
    if (showMenu || (studio && studio->isVisible()) || (own && own->editorVisible()))
        drawPanels();
}

void vornixApp::drawFrame()
{
    setWindowMatrices();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (scene->current.showHelp && helpTexture)
        DensityRenderer::drawHelpPicture(helpTexture, static_cast<float>(getWindowWidth()),
                                         static_cast<float>(getWindowHeight()));
    else
        scene->drawScene();
}

void vornixApp::drawNotices()
{
    if (scene->framerate)
        notice.draw(getWindowWidth(), getWindowHeight(), scene->framerate->framerateFont, getElapsedSeconds());
}

void vornixApp::showNotice(const std::string& text, std::optional<double> seconds)
{
    notice.show(text, getElapsedSeconds(), seconds);
}

void vornixApp::applyPanelChanges()
{
    if (presetIndex.changed()) {
        presetIndex.applied = presetIndex.value;
        scene->presetIndex = presetIndex.value;
        scene->studioPreset.reset();
        scene->applyPreset();
        mirrorCurrent();
    }
    if (quality.changed()) {
        quality.applied = quality.value;
        scene->setQuality(quality.value);
        scene->defaultBrushes();
    }
    if (viscosity.changed()) {
        viscosity.applied = viscosity.value;
        scene->setBasics(viscosity.value, deltaTime.value, diffusion.value);
    }
    if (diffusion.changed()) {
        diffusion.applied = diffusion.value;
        scene->setBasics(viscosity.value, deltaTime.value, diffusion.value);
    }
    if (deltaTime.changed()) {
        deltaTime.applied = deltaTime.value;
        scene->setBasics(viscosity.value, deltaTime.value, diffusion.value);
    }
    if (showMenu != showMenuApplied) {
        showMenuApplied = showMenu;
        panel->show(showMenu);
    }
    if (engine.changed()) {
        engine.applied = engine.value;
        scene->setEngine(static_cast<Engine>(engine.value), quality.value, viscosity.value, deltaTime.value,
                         diffusion.value);
        engine.setBoth(scene->current.engine);   // "CPU" when the GPU engine could not be had
    }
    if (colorScheme.changed()) {
        colorScheme.applied = colorScheme.value;
        scene->setColorScheme(colorScheme.value);
    }
}

// =====================================================================================================================
// Commands
// =====================================================================================================================

void vornixApp::toggleFullScreen() { setFullScreen(!isFullScreen()); }

void vornixApp::resetFluid()
{
    scene->model->reset();
    scene->current.paused = false;
}

void vornixApp::singleStep()
{
    if (!scene->current.paused)
        return;
    live.beforeStep(getWindowWidth(), getWindowHeight(), getElapsedSeconds());
    scene->advance(true);
    recording.stepped();
    draw();
}

void vornixApp::toggleMenu()
{
    const bool show = !panel->isVisible();
    panel->show(show);
    showMenu = showMenuApplied = show;
}

void vornixApp::defaultBasics()
{
    scene->setBasics();
    viscosity.setBoth(scene->current.viscosity);
    diffusion.setBoth(scene->current.diffusion);
    deltaTime.setBoth(scene->current.deltaTime);
}

void vornixApp::defaultQuality()
{
    scene->setQuality();
    scene->defaultBrushes();
    quality.setBoth(scene->current.quality);
}

// =====================================================================================================================
// Mouse and keys
// =====================================================================================================================

void vornixApp::mouseDown(MouseEvent event)
{
    if (scene->current.showHelp)   // the click that starts: what was said over the help picture goes with it
        notice.fadeAll(getElapsedSeconds());
    scene->current.showHelp = false;
    live.handPainted(getElapsedSeconds());
    lastMouseX = event.x;
    lastMouseY = event.y;
    if (event.isRightDown())
        mouseDrag(event);
}

void vornixApp::mouseDrag(MouseEvent event)
{
    const int dx = event.x - lastMouseX;
    const int dy = event.y - lastMouseY;
    Preset& c = scene->current;
    if (c.paused)
        return;
    live.handPainted(getElapsedSeconds());
    paintStroke(*scene->model, c, getWindowWidth(), getWindowHeight(),
                HandStroke{event.x, event.y, dx, dy, event.isRightDown() ? 1.0f : 0.0f, event.isLeftDown()});
    lastMouseX = event.x;
    lastMouseY = event.y;
}

void vornixApp::mouseMove(MouseEvent) { live.inputSeen(getElapsedSeconds()); }

void vornixApp::keyDown(KeyEvent event)
{
    Preset& c = scene->current;
    live.inputSeen(getElapsedSeconds());
    if (live.keyDown(event.character))
        return;
    switch (event.character) {
    case 'f': c.showFramerate = !c.showFramerate; break;
    case 'g': c.showGradientBar = !c.showGradientBar; break;
    case 'h': c.showHelp = !c.showHelp; break;
    case 'l': c.show3DLighting = !c.show3DLighting; break;
    case 'm': toggleMenu(); break;
    case 'r': resetFluid(); break;
    case 's': savePicture(); break;
    case 't': toggleStudio(); break;
    case 'v': toggleRecording(); break;
    default:
        if (event.character >= '1' && event.character <= '8') {
            scene->setColorScheme(event.character - '1');
            colorScheme.setBoth(scene->current.colorScheme);
        }
        break;
    }
    switch (event.code) {
    case KeyCode::Escape: toggleFullScreen(); break;
    case KeyCode::Space: c.paused = !c.paused; break;
    case KeyCode::Right: singleStep(); break;
    default: break;
    }
}

// =====================================================================================================================
// Saving the picture
// =====================================================================================================================

std::optional<std::string> vornixApp::askSavePath() { return saveFolders.ask(SaveKind::Picture); }

void vornixApp::showFailure(const std::string& text)
{
    // Without a dialog program (zenity not installed) the message shows in the window: a failure is never invisible.
    if (!showErrorMessage(text))
        showNotice(text);
}

std::optional<std::string> vornixApp::askVideoPath() { return saveFolders.ask(SaveKind::Video); }


Surface8u vornixApp::captureWindow()
{
    const auto& renderer = getRenderer();
    return renderer ? renderer->copyWindowSurface() : Surface8u();
}

void vornixApp::savePicture()
{
    const bool panelWasVisible = panel && panel->isVisible();
    const bool studioWasVisible = studio && studio->isVisible();
    ParamPanel* editor = own ? own->editorPanel() : nullptr;
    const bool editorWasVisible = editor && editor->isVisible();
    if (panelWasVisible)
        panel->hide();
    if (studioWasVisible)
        studio->hide();
    if (editorWasVisible)
        editor->hide();
    // Draw the current frame once more (without the panels and overlays) so the back buffer surely holds it.
    pictureOnly_ = true;
    draw();
    pictureOnly_ = false;
    const Surface8u picture = captureWindow();

    const std::optional<std::string> chosen = askSavePath();
    std::string failure;
    if (!chosen)
        failure = "The save dialog could not be shown, so the picture is not saved.";
    else if (!chosen->empty()) {
        const std::string& path = *chosen;
        try {
            if (!picture)
                throw ImageIoExceptionFailedLoad();
            writeImage(path, picture, ImageTarget::Options().quality(0.9f));
            showNotice("Saved the picture to " + path);
            saveFolders.rememberUsed(SaveKind::Picture, path);
        } catch (const std::exception& e) {
            failure = "Could not save the picture to " + path + ": " + e.what();
            console() << failure << std::endl;
        }
    }
    if (panelWasVisible)
        panel->show();
    if (studioWasVisible)
        studio->show();
    if (editorWasVisible)
        editor->show();
    // One message for the one command, after the panel is back, so the window behind it is as the user left it.
    if (!failure.empty())
        showFailure(failure);
}

// =====================================================================================================================
// Studio: own presets and colours
// =====================================================================================================================

void vornixApp::applyStudioPreset(const Preset& preset)
{
    scene->studioPreset = preset;
    scene->applyPreset();
    mirrorCurrent();
}

void vornixApp::fileDrop(FileDropEvent event)
{
    if (own)
        own->openFiles(event.files);
}

std::optional<std::string> vornixApp::askOpenPath()
{
    return getOpenFilePath("Open Preset or Colours", "Presets and colours",
                           {"toml", "ggr", "gpl", "png", "jpg", "jpeg"});
}

std::optional<std::string> vornixApp::askExportPath(const std::string&)
{
    return chooseSavePath("", {"toml"}, "Export Preset");
}

std::optional<bool> vornixApp::askYesNo(const std::string& question) { return vornix::askYesNo(question); }

// =====================================================================================================================
// Studio: recording video
// =====================================================================================================================

void vornixApp::toggleStudio()
{
    if (studio)
        studio->show(!studio->isVisible());
}

void vornixApp::toggleRecording()
{
    if (recording.active()) {
        if (const auto message = recording.stop())
            showFailure(*message);
        labelRecordButton();
        return;
    }
    const std::optional<std::string> chosen = askVideoPath();
    if (!chosen) {
        showFailure("The save dialog could not be shown, so no video is recorded.");
        return;
    }
    if (chosen->empty())
        return;   // cancelled
    if (const auto message = recording.start(*chosen, getWindowWidth(), getWindowHeight()))
        showFailure(*message);
    else
        saveFolders.rememberUsed(SaveKind::Video, *chosen);
    labelRecordButton();
}

void vornixApp::labelRecordButton()
{
    if (!studio || recording.active() == recordButtonStops_)
        return;
    recordButtonStops_ = recording.active();
    if (recordButtonStops_)
        studio->setLabel("Record Video", "Stop Recording");
    else
        studio->setLabel("Stop Recording", "Record Video");
}

} // namespace vornix
