// The application without its resources: a framerate font that cannot be had and a help picture that cannot be
// decoded (or is missing). Each gives one console line, and the program runs on without that element: no framerate
// line in the picture, the fluid where the help picture would be.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <functional>
#include <vector>

#include "app/vornixApp.h"
#include "shell/Console.h"
#include "shell/Resources.h"
#include "shell/gl/Fbo.h"
#include "tests/support/FontAvailability.h"

using namespace vornix;

namespace {

// vornixApp on a 600 x 600 window of its own imagination, with replaceable resource loaders.
class ResourceApp : public vornixApp {
public:
    int getWindowWidth() const override { return 600; }
    int getWindowHeight() const override { return 600; }
    std::function<DataSourceRef()> helpLoader;
    std::function<Font()> fontLoader;

protected:
    DataSourceRef loadHelpPicture() override { return helpLoader ? helpLoader() : vornixApp::loadHelpPicture(); }
    Font loadFramerateFont() override { return fontLoader ? fontLoader() : vornixApp::loadFramerateFont(); }
};

// The picture app.draw() makes, read back from a window-sized target.
std::vector<unsigned char> picture(vornixApp& app)
{
    gl::Fbo target(600, 600, gl::FboFormat().enableDepthBuffer(false));
    target.bindFramebuffer();
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    app.draw();
    std::vector<unsigned char> pixels(600 * 600 * 4);
    glReadPixels(0, 0, 600, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    gl::Fbo::unbindFramebuffer();
    return pixels;
}

DataSourceRef bytes(std::vector<std::uint8_t> data) { return DataSourceBuffer::create(Buffer(std::move(data))); }

// The console lines but the advice that OpenGL draws in software (this machine's llvmpipe gives it at every start).
std::vector<std::string> besidesAdvice(std::vector<std::string> lines)
{
    std::erase_if(lines, [](const std::string& line) { return line.rfind("OpenGL is drawn in software", 0) == 0; });
    return lines;
}

TEST(AppResources, WithoutTheFramerateFontThereIsNoFramerateLineAndTheProgramRunsOn)
{
    SKIP_WITHOUT_ARIAL();
    ResourceApp app;
    app.fontLoader = [] { return Font::fromFile("/nonexistent/fonts/arial.ttf", 16.0f); };
    {
        ConsoleCapture capture;
        app.setup();
        const auto lines = besidesAdvice(capture.lines);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], "The framerate line is not available: Cannot open font file /nonexistent/fonts/arial.ttf");
    }
    EXPECT_FALSE(app.scene->framerate);
    app.scene->current.showHelp = false;
    app.scene->current.showFramerate = true;
    app.scene->current.paused = true;   // the same fluid in both pictures
    app.update();
    const auto with = picture(app);
    app.scene->current.showFramerate = false;
    EXPECT_EQ(picture(app), with) << "nothing drawn for the framerate line";
    // The key still toggles the flag, and frames go on.
    KeyEvent f;
    f.character = 'f';
    app.keyDown(f);
    app.update();
    picture(app);
    app.shutdown();

    // The same steps with the font: the line shows, so the comparison above can see one.
    ResourceApp normal;
    normal.setup();
    ASSERT_TRUE(normal.scene->framerate);
    normal.scene->current.showHelp = false;
    normal.scene->current.paused = true;
    normal.scene->current.showFramerate = true;
    normal.scene->framerate->framerateText = FramerateLine::format(30.0);
    const auto shown = picture(normal);
    normal.scene->current.showFramerate = false;
    EXPECT_NE(picture(normal), shown);
    normal.shutdown();
}

TEST(AppResources, AHelpPictureThatCannotBeHadLeavesTheFluidShown)
{
    SKIP_WITHOUT_ARIAL();
    const std::vector<std::function<DataSourceRef()>> loaders = {
        // A JPEG start followed by nonsense.
        [] { return bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00, 0x01, 0x02, 0x03, 0x04}); },
        // No bytes at all.
        [] { return bytes({}); },
        // A resource that is not there.
        [] { return loadResource(999, "IMG"); },
    };
    for (std::size_t k = 0; k < loaders.size(); ++k) {
        ResourceApp app;
        app.helpLoader = loaders[k];
        {
            ConsoleCapture capture;
            app.setup();
            const auto lines = besidesAdvice(capture.lines);
            ASSERT_EQ(lines.size(), 1u) << "loader " << k;
            EXPECT_EQ(lines[0].rfind("The help picture is not available: ", 0), 0u) << lines[0];
        }
        EXPECT_FALSE(app.helpTexture);
        EXPECT_TRUE(app.scene->current.showHelp);
        app.update();
        app.scene->current.paused = true;
        const auto withHelpOn = picture(app);
        app.scene->current.showHelp = false;
        EXPECT_EQ(picture(app), withHelpOn) << "the fluid is drawn in place of the help picture, loader " << k;
        app.shutdown();
    }

    // With the real picture the two differ, so the comparison above can tell them apart.
    ResourceApp normal;
    normal.setup();
    ASSERT_TRUE(normal.helpTexture);
    normal.scene->current.paused = true;
    const auto help = picture(normal);
    normal.scene->current.showHelp = false;
    EXPECT_NE(picture(normal), help);
    normal.shutdown();
}

} // namespace
