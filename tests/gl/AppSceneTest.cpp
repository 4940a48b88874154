// The application's logic on a real GL context (no window): presets and what choosing them does, the change
// detection of panel values, the scene's negative-argument rule, brushes from mouse events, keys, pause and single
// step, and saving pictures.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/vornixApp.h"
#include "fluid/FluidModelCPU.h"
#include "fluid/gpu/FluidModelGLSL.h"
#include "resources/ResourceIds.h"
#include "shell/Console.h"
#include "shell/Resources.h"
#include "shell/platform/SaveFileDialog.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageTargetSurface.h"
#include "shell/image/DataSourcePath.h"

using namespace vornix;

namespace {

// A vornixApp with a 600 x 600 window of its own imagination, a scripted save dialog and a synthetic capture.
class TestApp : public vornixApp {
public:
    int getWindowWidth() const override { return width; }
    int getWindowHeight() const override { return height; }
    int width = 600, height = 600;
    std::optional<std::string> dialogAnswer, videoAnswer;
    bool panelVisibleAtCapture = true;

protected:
    // The dialog's answer after the shell's extension rule (no file of the corrected name exists in these tests).
    std::optional<std::string> askSavePath() override
    {
        return dialogAnswer ? savePathWithExtension(*dialogAnswer, {"png", "jpg"}) : dialogAnswer;
    }
    void showFailure(const std::string& text) override { failures.push_back({text, panel->isVisible()}); }
    std::optional<std::string> askVideoPath() override { return videoAnswer; }

public:
    struct Failure {
        std::string text;
        bool panelVisible;
    };
    std::vector<Failure> failures;

protected:
    Surface8u captureWindow() override
    {
        panelVisibleAtCapture = panel->isVisible();
        Surface8u picture(600, 600, false);
        picture.getPixel(0, 0)[0] = 255;
        return picture;
    }
};

class AppScene : public ::testing::Test {
protected:
    void SetUp() override
    {
        app.setup();
        app.saveFolders = SaveFolders(std::nullopt, std::nullopt, std::nullopt);   // the user's stay untouched
    }
    void TearDown() override { app.shutdown(); }

    FluidScene& scene() { return *app.scene; }
    Preset& current() { return app.scene->current; }
    FluidModelCPU& cpuModel() { return dynamic_cast<FluidModelCPU&>(*app.scene->model); }

    void switchToCpu()
    {
        app.engine.value = EngineCPU;
        app.applyPanelChanges();
        ASSERT_NE(dynamic_cast<FluidModelCPU*>(app.scene->model.get()), nullptr);
    }
    double totalDensity()
    {
        double sum = 0;
        const auto& m = cpuModel();
        for (std::uint32_t k = 0; k < m.cellCount(); ++k)
            sum += m.densityField()[k];
        return sum;
    }
    static MouseEvent mouse(int x, int y, unsigned buttons, int initiator = 0)
    {
        MouseEvent e;
        e.x = x;
        e.y = y;
        e.modifiers = buttons;
        e.initiator = initiator;
        return e;
    }
    static KeyEvent key(char character, int code = 0)
    {
        KeyEvent e;
        e.character = character;
        e.code = code;
        return e;
    }

    TestApp app;
};

TEST_F(AppScene, StartsOnTheHelpPictureWithFancyOnTheGpu)
{
    EXPECT_FALSE(app.panel->isVisible());
    EXPECT_EQ(current().name, "Fancy");
    EXPECT_NE(dynamic_cast<FluidModelGLSL*>(scene().model.get()), nullptr);
    EXPECT_EQ(scene().model->N, 200u);
    EXPECT_TRUE(app.helpTexture);
    EXPECT_EQ(app.fpsSampleInterval, 0.5);
    // What the panel's entries show at start, in entry order.
    EXPECT_EQ(app.presetIndex.value, 0);          // "vornix Preset": Fancy
    EXPECT_EQ(app.colorScheme.value, 3);          // "Color Scheme": Blackbody
    EXPECT_FALSE(current().paused);               // "Simulation Paused"
    EXPECT_EQ(current().brushSizeVelocity, 10.0f);
    EXPECT_EQ(current().brushSizeDensity, 20.0f);
    EXPECT_EQ(current().velocityPrecision, 4);
    EXPECT_EQ(app.viscosity.value, 100);
    EXPECT_EQ(app.diffusion.value, 200);
    EXPECT_EQ(app.deltaTime.value, 0.1f);
    EXPECT_EQ(app.quality.value, 200);
    EXPECT_EQ(app.engine.value, EngineGPU);       // "Render Engine": GPU
    EXPECT_TRUE(current().showHelp);
    EXPECT_FALSE(app.showMenu);
    EXPECT_FALSE(current().showFramerate);
    EXPECT_FALSE(current().showGradientBar);
    EXPECT_TRUE(current().show3DLighting);
    // Nothing is pending for the first frame.
    EXPECT_FALSE(app.presetIndex.changed() || app.colorScheme.changed() || app.viscosity.changed() ||
                 app.diffusion.changed() || app.deltaTime.changed() || app.quality.changed() ||
                 app.engine.changed() || app.showMenuApplied);
}

TEST_F(AppScene, WithoutAWorkingGpuEngineTheCpuEngineRunsAndEachTryIsReportedOnce)
{
    // A solver program that does not compile: every GPU model is then unusable.
    scene().gpuProgramSource = [](int id) {
        return id == resource::frag_linsolve.id ? std::string("not a shader")
                                                 : loadResource(id, "GLSL")->getBuffer().asString();
    };
    ConsoleCapture capture;
    const auto fallbackLines = [&] {
        return std::count_if(capture.lines.begin(), capture.lines.end(),
                             [](const std::string& l) { return l.rfind("The GPU engine cannot run", 0) == 0; });
    };
    switchToCpu();
    app.engine.value = EngineGPU;   // chosen again in the panel
    app.applyPanelChanges();
    ASSERT_NE(dynamic_cast<FluidModelCPU*>(scene().model.get()), nullptr);
    EXPECT_EQ(current().engine, EngineCPU);
    EXPECT_EQ(app.engine.value, EngineCPU);   // "Render Engine" shows "CPU", with no change pending
    EXPECT_EQ(app.engine.applied, EngineCPU);
    ASSERT_EQ(app.failures.size(), 1u);
    EXPECT_NE(app.failures[0].text.find("a solver program could not be made"), std::string::npos);
    EXPECT_EQ(fallbackLines(), 1);
    app.applyPanelChanges();   // nothing pending: no second try
    EXPECT_EQ(app.failures.size(), 1u);

    // A preset (GPU engine) tries again; the CPU model takes its grid size.
    app.presetIndex.value = 4;
    app.applyPanelChanges();
    EXPECT_EQ(app.failures.size(), 2u);
    EXPECT_EQ(fallbackLines(), 2);
    EXPECT_EQ(app.engine.value, EngineCPU);
    EXPECT_EQ(cpuModel().N, 15u);
    app.mouseDown(mouse(300, 300, Modifier::RightDown, MouseEvent::RightButton));
    app.update();
    EXPECT_GT(totalDensity(), 0.0);

    // Once the programs compile, the GPU engine is back.
    scene().gpuProgramSource = nullptr;
    app.engine.value = EngineGPU;
    app.applyPanelChanges();
    EXPECT_NE(dynamic_cast<FluidModelGLSL*>(scene().model.get()), nullptr);
    EXPECT_EQ(app.failures.size(), 2u);

    // Without the density program the GPU engine's picture cannot be drawn: the CPU engine and its colouring.
    scene().renderer.drawProgram.reset();
    app.presetIndex.value = 0;
    app.applyPanelChanges();
    EXPECT_NE(dynamic_cast<FluidModelCPU*>(scene().model.get()), nullptr);
    ASSERT_EQ(app.failures.size(), 3u);
    EXPECT_NE(app.failures[2].text.find("the density program could not be made"), std::string::npos);
}

TEST_F(AppScene, ChoosingRetroPlasmaRebuildsEverythingFromThePreset)
{
    switchToCpu();
    current().showGradientBar = true;
    current().paused = true;
    app.presetIndex.value = 4;
    app.applyPanelChanges();
    const Preset& c = current();
    EXPECT_EQ(c.name, "Retro Plasma");
    EXPECT_EQ(scene().model->N, 15u);
    EXPECT_EQ(scene().model->DT, 0.07f);
    EXPECT_EQ(scene().model->Viscosity, toModelRate(2000));
    EXPECT_EQ(scene().model->Diffusion, toModelRate(1));
    EXPECT_EQ(c.colorScheme, 0);
    EXPECT_EQ(c.brushSizeDensity, 3.0f);
    EXPECT_EQ(c.brushSizeVelocity, 1.0f);
    EXPECT_FALSE(c.show3DLighting);
    EXPECT_FALSE(c.showGradientBar);
    EXPECT_FALSE(c.paused);
    // The preset's engine (GPU) is back, and the panel's mirrors show it without a change pending.
    EXPECT_EQ(c.engine, EngineGPU);
    EXPECT_EQ(app.engine.value, EngineGPU);
    EXPECT_FALSE(app.engine.changed());
    EXPECT_EQ(app.quality.value, 15);
    EXPECT_EQ(app.colorScheme.value, 0);
    EXPECT_NE(dynamic_cast<FluidModelGLSL*>(scene().model.get()), nullptr);
}

TEST_F(AppScene, QualityChangesRescaleTheBrushesAndClearTheFluid)
{
    switchToCpu();
    scene().model->addDensity(100, 100, 0.5f, 10.0f);
    scene().model->step();
    app.quality.value = 400;
    app.applyPanelChanges();
    EXPECT_EQ(scene().model->N, 400u);
    EXPECT_EQ(current().brushSizeDensity, 40.0f);
    EXPECT_EQ(current().brushSizeVelocity, 20.0f);
    EXPECT_EQ(totalDensity(), 0.0);
    app.quality.value = 200;
    app.applyPanelChanges();
    EXPECT_EQ(current().brushSizeDensity, 20.0f);
    EXPECT_EQ(current().brushSizeVelocity, 10.0f);
}

TEST_F(AppScene, BasicsChangeTheModelButKeepTheFluid)
{
    switchToCpu();
    scene().model->addDensity(100, 100, 0.5f, 10.0f);
    scene().model->step();
    const double before = totalDensity();
    app.viscosity.value = 2500;
    app.deltaTime.value = 0.3f;
    app.applyPanelChanges();
    EXPECT_EQ(scene().model->Viscosity, static_cast<float>(2500 / 10000000.0));
    EXPECT_EQ(scene().model->DT, 0.3f);
    EXPECT_EQ(totalDensity(), before);
    // Default Basics restores the preset's values, and the next frame sees nothing to apply.
    app.defaultBasics();
    EXPECT_EQ(current().viscosity, 100);
    EXPECT_EQ(current().deltaTime, 0.1f);
    EXPECT_FALSE(app.viscosity.changed() || app.deltaTime.changed() || app.diffusion.changed());
    EXPECT_EQ(totalDensity(), before);
}

TEST_F(AppScene, APresetChosenInTheSameFrameWinsOverEdits)
{
    app.quality.value = 500;
    app.viscosity.value = 9000;
    app.engine.value = EngineCPU;
    app.presetIndex.value = 1;   // Pudding
    app.applyPanelChanges();
    EXPECT_EQ(current().name, "Pudding");
    EXPECT_EQ(scene().model->N, 200u);
    EXPECT_EQ(current().viscosity, 5000);
    EXPECT_EQ(app.viscosity.value, 5000);
    EXPECT_EQ(current().engine, EngineGPU);
}

TEST_F(AppScene, EmptyArgumentsStandForTheSelectedPresetNotTheLiveSet)
{
    current().quality = 50;
    current().viscosity = 7;
    scene().setEngine(EngineCPU);
    EXPECT_EQ(scene().model->Viscosity, toModelRate(100));
    EXPECT_EQ(scene().model->DT, 0.1f);
    // setEngine sets the grid from current.quality, which the preset-valued n did not change.
    current().paused = true;
    scene().setQuality();
    EXPECT_EQ(scene().model->N, 200u);
    EXPECT_FALSE(current().paused);
}

TEST_F(AppScene, MouseBrushesMapPixelsToCellsAndDampTheForce)
{
    switchToCpu();
    const auto densPrev = [this](int i, int j) { return cpuModel().densPrevField()[i + 202 * j]; };
    const auto uPrev = [this](int i, int j) { return cpuModel().uPrevField()[i + 202 * j]; };
    app.mouseDown(mouse(0, 0, Modifier::RightDown, MouseEvent::RightButton));
    EXPECT_FALSE(current().showHelp);
    EXPECT_EQ(densPrev(1, 1), 0.5f);   // cell (1, 1) carries the full amount
    app.mouseDown(mouse(599, 599, Modifier::RightDown, MouseEvent::RightButton));
    EXPECT_EQ(densPrev(200, 200), 0.5f);

    // The density brush of Fancy has radius 20: a cell 19 cells away gets the fade 1 - 19/20, one 20 away nothing.
    app.mouseDown(mouse(300, 300, Modifier::RightDown, MouseEvent::RightButton));   // cell (101, 101)
    EXPECT_EQ(densPrev(101 + 19, 101), 0.5f * (1.0f - 19.0f / 20.0f));
    EXPECT_EQ(densPrev(101, 101 - 19), 0.5f * (1.0f - 19.0f / 20.0f));
    EXPECT_EQ(densPrev(101 + 20, 101), 0.0f);
    EXPECT_EQ(densPrev(101, 101 - 20), 0.0f);
    EXPECT_EQ(uPrev(101, 101), 0.0f);   // the right button pushes nothing

    current().velocityPrecision = 4;
    app.mouseDown(mouse(100, 100, Modifier::LeftDown, MouseEvent::LeftButton));
    app.mouseDrag(mouse(110, 100, Modifier::LeftDown));
    // (110, 100) is cell (37, 34); the force (10 / 1.4, 0) lands there in full, and the velocity brush's radius of
    // 10 reaches 9 cells but not 10.
    const float force = 10.0f / 1.4f;
    EXPECT_EQ(uPrev(37, 34), force);
    EXPECT_EQ(uPrev(37 + 9, 34), force * (1.0f - 9.0f / 10.0f));
    EXPECT_EQ(uPrev(37, 34 + 9), force * (1.0f - 9.0f / 10.0f));
    EXPECT_EQ(uPrev(37 + 10, 34), 0.0f);
    EXPECT_EQ(uPrev(37, 34 + 10), 0.0f);
    EXPECT_EQ(cpuModel().vPrevField()[37 + 202 * 34], 0.0f);
    EXPECT_EQ(densPrev(37, 34), 0.0f);   // the left button drops no dye
    EXPECT_EQ(app.lastMouseX, 110);
}

TEST_F(AppScene, PauseIgnoresPaintAndKeepsTheLastPosition)
{
    switchToCpu();
    app.mouseDown(mouse(100, 100, Modifier::LeftDown, MouseEvent::LeftButton));
    app.keyDown(key(' ', KeyCode::Space));
    EXPECT_TRUE(current().paused);
    app.mouseDrag(mouse(300, 300, Modifier::LeftDown | Modifier::RightDown));
    EXPECT_EQ(app.lastMouseX, 100);
    for (std::uint32_t k = 0; k < cpuModel().cellCount(); ++k)
        ASSERT_EQ(cpuModel().densPrevField()[k], 0.0f);
    // While paused update leaves the fluid alone; the right arrow steps exactly once.
    scene().model->addDensity(50, 50, 0.5f, 5.0f);
    app.update();
    app.update();
    EXPECT_EQ(totalDensity(), 0.0);
    app.keyDown(key(0, KeyCode::Right));
    const double afterOne = totalDensity();
    EXPECT_GT(afterOne, 0.0);
    app.keyDown(key(' ', KeyCode::Space));
    app.keyDown(key(0, KeyCode::Right));   // running: the right arrow does nothing
    EXPECT_EQ(totalDensity(), afterOne);
}

TEST_F(AppScene, KeysToggleFlagsPanelAndColours)
{
    app.keyDown(key('f'));
    app.keyDown(key('g'));
    app.keyDown(key('l'));
    EXPECT_TRUE(current().showFramerate);
    EXPECT_TRUE(current().showGradientBar);
    EXPECT_FALSE(current().show3DLighting);
    app.keyDown(key('m'));
    EXPECT_TRUE(app.panel->isVisible());
    EXPECT_TRUE(app.showMenu && app.showMenuApplied);
    app.keyDown(key('m'));
    EXPECT_FALSE(app.panel->isVisible() || app.showMenu || app.showMenuApplied);
    app.keyDown(key('1'));
    EXPECT_EQ(current().colorScheme, 0);
    EXPECT_EQ(scene().gradient.gradientColors[0], 255);   // Spectrum starts red
    EXPECT_FALSE(app.colorScheme.changed());
    app.keyDown(key('8'));
    EXPECT_EQ(current().colorScheme, 7);
    app.keyDown(key('9'));
    app.keyDown(key('0'));
    app.keyDown(key('F'));
    EXPECT_EQ(current().colorScheme, 7);
    EXPECT_TRUE(current().showFramerate);
}

TEST_F(AppScene, ResetClearsVelocityAndDensityAndResumes)
{
    switchToCpu();
    scene().model->addDensity(50, 50, 0.5f, 5.0f);
    scene().model->addVelocity(50, 50, 5.0f, 5.0f, 5.0f);
    scene().model->step();
    current().paused = true;
    app.keyDown(key('r'));
    EXPECT_FALSE(current().paused);
    EXPECT_EQ(totalDensity(), 0.0);
    EXPECT_EQ(cpuModel().getU(50, 50), 0.0f);
    // And the entry's help says so (it claimed that the velocities stay).
    const auto help = app.panel->entryHelp("Reset Fluid");
    ASSERT_TRUE(help);
    EXPECT_NE(help->find("velocities"), std::string::npos);
    EXPECT_EQ(help->find("stay"), std::string::npos);
}

TEST_F(AppScene, AWindowWithoutAreaPaintsNothing)
{
    switchToCpu();
    app.width = 0;
    app.mouseDown(mouse(10, 10, Modifier::RightDown, MouseEvent::RightButton));
    for (std::uint32_t k = 0; k < cpuModel().cellCount(); ++k)
        ASSERT_EQ(cpuModel().densPrevField()[k], 0.0f);
}

TEST_F(AppScene, SavingWritesThePictureUnderTheCorrectedNameAndRestoresThePanel)
{
    const auto dir = std::filesystem::temp_directory_path() / "vornix-save-test";
    std::filesystem::remove_all(dir);
    app.toggleMenu();
    app.dialogAnswer = (dir / "sub folder" / "shot.bmp").string();
    app.savePicture();
    EXPECT_FALSE(app.panelVisibleAtCapture);
    EXPECT_TRUE(app.panel->isVisible());
    const auto written = dir / "sub folder" / "shot.png";
    ASSERT_TRUE(std::filesystem::exists(written));
    EXPECT_FALSE(std::filesystem::exists(dir / "sub folder" / "shot.bmp"));
    const Surface8u back = loadSurface(DataSourcePath::create(written.string()));
    EXPECT_EQ(back.getWidth(), 600);
    EXPECT_EQ(back.getPixel(0, 0)[0], 255);
    // A notice in the window says where (the last one: on software OpenGL the one about it came at start).
    const auto notices = app.notice.shown(app.getElapsedSeconds());
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), "Saved the picture to " + written.string());

    // Cancelled: nothing written, panel as before.
    app.dialogAnswer = std::string();
    app.savePicture();
    EXPECT_TRUE(app.panel->isVisible());

    EXPECT_TRUE(app.failures.empty());

    // A failed write: one console line naming the path, one message for the user with the panel already back, and
    // the program goes on.
    std::ofstream(dir / "blocker") << "a file where a folder should be";
    app.dialogAnswer = (dir / "blocker" / "x.jpg").string();
    ConsoleCapture capture;
    app.savePicture();
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_NE(capture.lines[0].find((dir / "blocker" / "x.jpg").string()), std::string::npos);
    EXPECT_TRUE(app.panel->isVisible());
    ASSERT_EQ(app.failures.size(), 1u);
    EXPECT_EQ(app.failures[0].text, capture.lines[0]);
    EXPECT_TRUE(app.failures[0].panelVisible);
    std::filesystem::remove_all(dir);
}

TEST_F(AppScene, TheStudioButtonSaysStopRecordingWhileARecordingRuns)
{
    const auto path = std::filesystem::temp_directory_path() / "vornix-label-test.mp4";
    app.videoAnswer = path.string();
    app.toggleRecording();
    ASSERT_TRUE(app.recording.active());
    EXPECT_TRUE(app.studio->entryHelp("Stop Recording"));
    EXPECT_FALSE(app.studio->entryHelp("Record Video"));
    app.keyDown(key('v'));
    EXPECT_FALSE(app.recording.active());
    EXPECT_TRUE(app.studio->entryHelp("Record Video"));
    EXPECT_FALSE(app.studio->entryHelp("Stop Recording"));
    std::filesystem::remove(path);
}

} // namespace
