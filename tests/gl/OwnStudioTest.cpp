// The Studio's own presets and colours inside the application (a real GL context, no window): an own preset is
// applied exactly as a built-in one, an own scheme is coloured exactly as a fixed one, and a preset carrying its own
// scheme survives export, deletion and import.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/vornixApp.h"

using namespace vornix;

namespace {

class StudioApp : public vornixApp {
public:
    int getWindowWidth() const override { return 600; }
    int getWindowHeight() const override { return 600; }
    std::vector<std::string> failures, questions;
    std::string exportTo;

protected:
    void showFailure(const std::string& text) override { failures.push_back(text); }
    std::optional<bool> askYesNo(const std::string& question) override
    {
        questions.push_back(question);
        return true;
    }
    std::optional<std::string> askExportPath(const std::string&) override { return exportTo; }
};

class OwnStudioTest : public ::testing::Test {
protected:
    std::filesystem::path home = std::filesystem::temp_directory_path() /
                                 ("vornix-studio-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    StudioApp app;

    void SetUp() override
    {
        std::filesystem::remove_all(home);
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
        app.setup();
    }
    void TearDown() override
    {
        app.shutdown();
        std::filesystem::remove_all(home);
        for (const auto& failure : app.failures)
            ADD_FAILURE() << failure;
    }
    // Everything applying a preset sets, but the name; the mirrors; the model; the gradient tables.
    auto state()
    {
        Preset c = app.scene->current;
        c.name.clear();
        return std::make_tuple(c.colorScheme, c.brushSizeDensity, c.brushSizeVelocity, c.velocityPrecision, c.viscosity,
                               c.diffusion, c.deltaTime, c.quality, c.show3DLighting, c.showFramerate,
                               c.showGradientBar, c.showHelp, c.paused, c.engine, app.viscosity.value,
                               app.diffusion.value, app.deltaTime.value, app.quality.value, app.colorScheme.value,
                               app.engine.value, app.scene->model->N, app.scene->gradient.gradientColors,
                               app.scene->gradient.gradientColorsF);
    }
    // Leaves the preset's state: CPU engine, another grid, paused, the framerate line.
    void disturb()
    {
        app.engine.value = EngineCPU;
        app.quality.value = 60;
        app.applyPanelChanges();
        app.scene->current.paused = app.scene->current.showFramerate = true;
    }
};

} // namespace

TEST_F(OwnStudioTest, AnOwnPresetIsAppliedExactlyAsABuiltInOne)
{
    for (int index : {1, 4}) {   // Pudding; Retro Plasma (N = 15, no lighting)
        disturb();
        app.presetIndex.value = index;
        app.applyPanelChanges();
        const auto builtIn = state();

        Preset own = app.scene->presets[static_cast<std::size_t>(index)];
        own.name = "Own " + own.name;
        ASSERT_EQ(app.own->library().savePreset({own, std::nullopt}), "");
        disturb();
        app.presetIndex.value = 0;
        app.applyPanelChanges();
        app.own->applyPreset(own.name);
        EXPECT_EQ(app.scene->current.name, own.name);
        EXPECT_TRUE(state() == builtIn) << own.name;
        // "Default Brushes" and "Default Basics" now take the own preset's values.
        app.scene->current.brushSizeDensity = 77;
        app.scene->defaultBrushes();
        EXPECT_EQ(app.scene->current.brushSizeDensity, own.brushSizeDensity);
    }
}

TEST_F(OwnStudioTest, AnOwnSchemeIsColouredAsAFixedOneAndKeysLeaveIt)
{
    app.scene->setColorScheme(3);   // Blackbody, by its index
    const auto fixedBytes = app.scene->gradient.gradientColors;
    const auto fixedFloats = app.scene->gradient.gradientColorsF;
    const OwnScheme own{"Blackbody by hand", app.scene->gradient.gradient.stops()};
    app.scene->setColorScheme(0);
    app.colorScheme.setBoth(0);

    const auto file = home / "hand.toml";
    std::filesystem::create_directories(home);
    std::ofstream(file) << tomlText(schemeDocument(own));
    app.own->openFiles({file.string()});
    EXPECT_TRUE(app.scene->gradient.ownStops);
    EXPECT_EQ(app.scene->gradient.gradientColors, fixedBytes);
    EXPECT_EQ(app.scene->gradient.gradientColorsF, fixedFloats);
    EXPECT_EQ(app.colorScheme.value, 0);   // the parameter panel keeps its last value
    EXPECT_EQ(app.scene->current.colorScheme, 0);
    ASSERT_TRUE(app.own->library().findScheme(own.name));

    KeyEvent two;
    two.character = '2';
    app.keyDown(two);
    app.own->update();
    EXPECT_FALSE(app.scene->gradient.ownStops);
    EXPECT_EQ(app.scene->gradient.colorScheme, 1);
}

TEST_F(OwnStudioTest, APresetWithItsOwnSchemeSurvivesExportDeletionAndImport)
{
    const std::vector<ColorStop> stops = {{0, 0.1f, 0, 0.3f, 1}, {1.0f / 3, 0.9f, 0.2f, 0, 1}, {1, 1, 1, 0.5f, 1}};
    app.scene->gradient.setStops(stops);
    app.quality.value = 120;
    app.applyPanelChanges();
    app.own->savePreset("Night Ink ✓");
    const auto saved = state();
    app.exportTo = (home / "shared.toml").string();
    app.own->exportPreset("Night Ink ✓");
    app.own->deletePreset("Night Ink ✓");
    EXPECT_EQ(app.questions.size(), 1u);   // deleting asked first
    EXPECT_FALSE(app.own->library().findPreset("Night Ink ✓"));

    app.presetIndex.value = 2;   // Smoke: everything else
    app.applyPanelChanges();
    app.own->openFiles({app.exportTo});
    ASSERT_TRUE(app.own->library().findPreset("Night Ink ✓"));
    EXPECT_EQ(app.scene->gradient.gradient.stops(), stops);
    EXPECT_TRUE(state() == saved);
    EXPECT_EQ(app.questions.size(), 1u);   // nothing of that name to replace

    // Started again: it is listed, and starts the program when chosen to.
    ASSERT_EQ(app.own->library().setStartPresetFile(app.own->library().findPreset("Night Ink ✓")->file), "");
    app.shutdown();
    app.setup();
    EXPECT_EQ(app.scene->current.name, "Night Ink ✓");
    EXPECT_EQ(app.scene->current.quality, 120);
    EXPECT_EQ(app.scene->gradient.gradient.stops(), stops);
}
#endif
