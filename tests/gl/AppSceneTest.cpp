// The application's logic on a real GL context (no window): presets and what choosing them does, the change
// detection of panel values, the scene's negative-argument rule, brushes from mouse events, keys, pause and single
// step, and saving pictures.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/vornixApp.h"
#include "fluid/FluidModelCPU.h"
#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/Console.h"
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
    std::optional<std::string> dialogAnswer;
    bool panelVisibleAtCapture = true;

protected:
    // The dialog's answer after the shell's extension rule (no file of the corrected name exists in these tests).
    std::optional<std::string> askSavePath() override
    {
        return dialogAnswer ? savePathWithExtension(*dialogAnswer, {"png", "jpg"}) : dialogAnswer;
    }
    void showFailure(const std::string& text) override { failures.push_back({text, panel->isVisible()}); }

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
    void SetUp() override { app.setup(); }
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
    EXPECT_TRUE(current().showHelp);
    EXPECT_FALSE(current().showFramerate);
    EXPECT_FALSE(current().showGradientBar);
    EXPECT_FALSE(app.panel->isVisible());
    EXPECT_FALSE(app.showMenu);
    EXPECT_EQ(current().name, "Fancy");
    EXPECT_EQ(current().colorScheme, 3);
    EXPECT_EQ(current().quality, 200);
    EXPECT_NE(dynamic_cast<FluidModelGLSL*>(scene().model.get()), nullptr);
    EXPECT_EQ(scene().model->N, 200u);
    EXPECT_TRUE(app.helpTexture);
    EXPECT_EQ(app.viscosity.value, 100);
    EXPECT_EQ(app.engine.applied, EngineGPU);
    EXPECT_EQ(app.fpsSampleInterval, 0.5);
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
    app.mouseDown(mouse(0, 0, Modifier::RightDown, MouseEvent::RightButton));
    EXPECT_FALSE(current().showHelp);
    EXPECT_GT(cpuModel().densPrevField()[1 + 202 * 1], 0.0f);   // cell (1, 1) carries the full amount
    EXPECT_EQ(cpuModel().densPrevField()[1 + 202 * 1], 0.5f);
    app.mouseDown(mouse(599, 599, Modifier::RightDown, MouseEvent::RightButton));
    EXPECT_EQ(cpuModel().densPrevField()[200 + 202 * 200], 0.5f);

    current().velocityPrecision = 4;
    app.mouseDown(mouse(100, 100, Modifier::LeftDown, MouseEvent::LeftButton));
    app.mouseDrag(mouse(110, 100, Modifier::LeftDown));
    // (110, 100) is cell (37, 34); the force (10 / 1.4, 0) lands there in full.
    EXPECT_EQ(cpuModel().uPrevField()[37 + 202 * 34], 10.0f / 1.4f);
    EXPECT_EQ(cpuModel().vPrevField()[37 + 202 * 34], 0.0f);
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

} // namespace
