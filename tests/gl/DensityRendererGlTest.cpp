// The density pictures on the real driver: the gradient texture, frag_draw on a hand-made density texture (ends of
// the range, the lit plateau, the gradient bar), the CPU picture's upload, failure handling of the program, and the
// framerate text in a read-back.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "fluid/FluidModelCPU.h"
#include "render/DensityRenderer.h"
#include "render/FramerateLine.h"
#include "shell/Console.h"
#include "shell/Resources.h"
#include "shell/gl/Fbo.h"
#include "shell/TextRenderer.h"
#include "tests/support/FontAvailability.h"
#include "tests/support/SchemeStops.h"

using namespace vornix;

namespace {

using Rgb = std::array<int, 3>;

// A window-sized RGBA8 target with window-pixel matrices (origin top left, y down).
class WindowTarget {
public:
    WindowTarget(int width, int height) : fbo_(width, height, gl::FboFormat().enableDepthBuffer(false))
    {
        fbo_.bindFramebuffer();
        glViewport(0, 0, width, height);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, height, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glColor4f(1, 1, 1, 1);
        glClearColor(0.2f, 0.4f, 0.6f, 1.0f);   // a colour no picture here produces
        glClear(GL_COLOR_BUFFER_BIT);
    }
    ~WindowTarget() { gl::Fbo::unbindFramebuffer(); }
    // Pixel (x, y) in window coordinates.
    Rgb at(int x, int y) const
    {
        unsigned char p[4];
        glReadPixels(x, fbo_.getHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
        return {p[0], p[1], p[2]};
    }

private:
    gl::Fbo fbo_;
};

// A GPU-style density texture: (n + 2)^2 float RGBA texels, density in every channel, cell (i, j) at texel (i, j).
gl::Texture densityTexture(std::uint32_t n, const std::function<float(int, int)>& density)
{
    const int size = static_cast<int>(n) + 2;
    Surface32f image(size, size, true, SurfaceChannelOrder::RGBA);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i)
            std::fill_n(image.getPixel(i, j), 4, density(i, j));
    return gl::Texture(image);
}

// Entry k of the Spectrum table, from the hand-written stops rather than the table the renderer is given.
Rgb spectrum(int k) { return schemes::entry(0, k); }

void expectNear(const Rgb& actual, const Rgb& expected, int tolerance, const char* what)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[c], expected[c], tolerance) << what << " channel " << c;
}

TEST(GradientTexture, TexelsEqualTheFloatTable)
{
    GradientTable t;
    t.setColorScheme(4);
    ASSERT_TRUE(t.gradientTexture);
    EXPECT_EQ(t.gradientTexture.getWidth(), 2048);
    EXPECT_EQ(t.gradientTexture.getHeight(), 1);
    std::vector<float> texels(2048 * 4);
    glBindTexture(GL_TEXTURE_2D, t.gradientTexture.getId());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, texels.data());
    EXPECT_EQ(texels, t.gradientColorsF);
    const GLuint first = t.gradientTexture.getId();
    gl::Texture kept = t.gradientTexture;
    t.setColorScheme(4);   // every call rebuilds, also for the same index
    EXPECT_TRUE(glIsTexture(first));
    kept.reset();
    EXPECT_FALSE(glIsTexture(first));
}

class GpuDensity : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConsoleCapture capture;
        renderer.loadDrawProgram();
        EXPECT_TRUE(capture.lines.empty()) << capture.lines.front();
        ASSERT_TRUE(renderer.drawProgram);
        table.setColorScheme(0);   // Spectrum: red .. blue
    }
    // Left third empty (0), middle third a plateau at 0.75, right third 3.0, over an N = 30 grid.
    static float thirds(int i, int)
    {
        return i <= 10 ? 0.0f : i <= 20 ? 0.75f : 3.0f;
    }
    DensityRenderer renderer;
    GradientTable table;
};

TEST_F(GpuDensity, EndsOfTheRangeAndTheLitPlateau)
{
    const std::uint32_t n = 30;
    renderer.updateGridDependents(n, DensitySource::Texture);
    const gl::Texture density = densityTexture(n, thirds);
    const Rectf interior = density.texCoordsOf(Area{1, 1, 31, 31});
    Rgb unlitEdge{};
    for (bool lighting : {false, true}) {
        WindowTarget target(300, 300);
        renderer.drawGpuDensity(density, interior, n, RenderFlags{lighting, false}, table, 300, 300);
        expectNear(target.at(50, 150), spectrum(0), 2, "empty");
        if (lighting) {
            // Flat dense areas glow white; the empty third has c = 0 and stays the first colour.
            expectNear(target.at(150, 150), Rgb{255, 255, 255}, 1, "lit plateau");
            expectNear(target.at(250, 150), Rgb{255, 255, 255}, 1, "lit plateau above 1");
            // On the step between the thirds the slope is steep: no glow, the gradient colour stays.
            expectNear(target.at(103, 150), unlitEdge, 1, "left edge of the plateau");
        } else {
            expectNear(target.at(150, 150), spectrum(1535), 3, "plateau");
            expectNear(target.at(250, 150), spectrum(2047), 2, "above 1");
            unlitEdge = target.at(103, 150);
            EXPECT_LT(std::min({unlitEdge[0], unlitEdge[1], unlitEdge[2]}), 200);
        }
    }
    // A low plateau stays below white: Spectrum at 0.1 is (1, 0.4, 0), brightened by 2 x 0.1 in every channel.
    WindowTarget low(300, 300);
    renderer.drawGpuDensity(densityTexture(n, [](int, int) { return 0.1f; }), interior, n, RenderFlags{true, false},
                            table, 300, 300);
    expectNear(low.at(150, 150), Rgb{255, 153, 51}, 2, "lit low plateau");
}

TEST_F(GpuDensity, CellRowOneIsAtTheTopAndTheBarIsThirtyPixelsAtN100)
{
    const std::uint32_t n = 100;
    renderer.updateGridDependents(n, DensitySource::Texture);
    // Density 1 in the top ten cell rows only, 0 elsewhere (boundary ring included as its neighbours).
    const gl::Texture density = densityTexture(n, [](int, int j) { return j <= 10 ? 1.0f : 0.0f; });
    const Rectf interior = density.texCoordsOf(Area{1, 1, 101, 101});
    WindowTarget target(600, 600);
    renderer.drawGpuDensity(density, interior, n, RenderFlags{false, true}, table, 600, 600);
    // The bar: gradient from left to right over the top 30 pixel rows.
    expectNear(target.at(0, 0), spectrum(0), 2, "bar left");
    expectNear(target.at(599, 29), spectrum(2047), 4, "bar right");
    expectNear(target.at(300, 15), spectrum(1024), 6, "bar middle");
    // Below it the top cell rows (density 1 = blue), and the empty rest (red) further down.
    expectNear(target.at(300, 30), spectrum(2047), 2, "row below the bar");
    expectNear(target.at(300, 45), spectrum(2047), 2, "top cells");
    expectNear(target.at(300, 400), spectrum(0), 2, "lower cells");
}

TEST_F(GpuDensity, CpuAndGpuPicturesAgreeOnTheSameField)
{
    const std::uint32_t n = 30;
    FluidModelCPU model(static_cast<int>(n), 0.0f, 0.1f, 0.0f);
    model.addDensity(15, 12, 10.0f, 8.0f);   // a cone: dens = DT x 10 x fade, up to 1 at the centre
    model.step();
    std::vector<float> field(model.densityField(), model.densityField() + model.cellCount());
    const gl::Texture density =
        densityTexture(n, [&](int i, int j) { return field[static_cast<std::size_t>(i) + (n + 2) * j]; });
    const Rectf interior = density.texCoordsOf(Area{1, 1, 31, 31});
    DensityRenderer cpu;
    cpu.updateGridDependents(n, DensitySource::Field);
    renderer.updateGridDependents(n, DensitySource::Texture);
    WindowTarget gpuTarget(300, 300);
    renderer.drawGpuDensity(density, interior, n, RenderFlags{false, false}, table, 300, 300);
    const Rgb gpuCentre = gpuTarget.at(145, 115), gpuCorner = gpuTarget.at(5, 295);
    WindowTarget cpuTarget(300, 300);
    cpu.drawCpuDensity(model, RenderFlags{false, false}, table, 300, 300);
    ASSERT_TRUE(cpu.densityTexture);
    EXPECT_EQ(cpu.densityTexture.getWidth(), 30);
    // Cell (15, 12) is pixel column 14, row 11 of the surface: window (145, 115) in the CPU picture.
    expectNear(cpuTarget.at(145, 115), gpuCentre, 12, "centre");
    expectNear(cpuTarget.at(5, 295), gpuCorner, 2, "corner");
    expectNear(cpuTarget.at(5, 295), spectrum(0), 0, "corner is the first colour");
}

TEST(DrawProgramFailure, BrokenOrMissingProgramIsReportedAndDrawsBlack)
{
    const auto vertex = [] { return loadResource(128, "GLSL"); };
    DensityRenderer renderer;
    {
        ConsoleCapture capture;
        renderer.loadDrawProgram(vertex, [] {
            return std::make_shared<DataSourceBuffer>(Buffer(std::vector<std::uint8_t>{'v', 'o', 'i', 'd', '('}));
        });
        ASSERT_EQ(capture.lines.size(), 2u);
        EXPECT_EQ(capture.lines[0], "Shader compile error: ");
        EXPECT_EQ(capture.lines[1].rfind("FRAGMENT: ", 0), 0u) << capture.lines[1];
        EXPECT_FALSE(renderer.drawProgram);
    }
    {
        ConsoleCapture capture;
        renderer.loadDrawProgram(vertex, [] { return loadResource(999, "GLSL"); });
        EXPECT_EQ(capture.lines, (std::vector<std::string>{"Unable to load shader"}));
        EXPECT_FALSE(renderer.drawProgram);
    }
    GradientTable table;
    table.setColorScheme(1);
    renderer.updateGridDependents(10, DensitySource::Texture);
    const gl::Texture density = densityTexture(10, [](int, int) { return 1.0f; });
    WindowTarget target(100, 100);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);   // textures are modulated by it: keep RGB white, mark the alpha
    renderer.drawGpuDensity(density, density.texCoordsOf(Area{1, 1, 11, 11}), 10, RenderFlags{true, true},
                            table, 100, 100);
    EXPECT_EQ(target.at(50, 50), (Rgb{0, 0, 0}));
    expectNear(target.at(99, 5), Rgb{255, 255, 255}, 2, "the bar still shows");
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[3], 0.5f);   // the caller's colour survives the black quad
}

TEST(FramerateText, WhiteTextOnABlackBoxAtTenTen)
{
    SKIP_WITHOUT_ARIAL();
    FramerateLine line;
    ASSERT_TRUE(line.refresh(true, 2.0, 29.5));
    WindowTarget target(300, 60);
    glColor4f(0.5f, 0.5f, 0.5f, 1.0f);
    line.draw();
    const RenderedString r = renderString(line.framerateText, line.framerateFont, ColorA{1, 1, 1, 1});
    const int left = 10, top = 10 - 3, right = left + r.surface.getWidth(), bottom = top + r.surface.getHeight();
    int white = 0, black = 0, grey = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const Rgb p = target.at(x, y);
            EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;   // white on black: only greys
            white += p[0] == 255;
            black += p[0] == 0;
            grey += p[0] > 0 && p[0] < 255;
        }
    EXPECT_GT(white, 15);
    EXPECT_GT(black, white);
    EXPECT_GT(grey, 10);   // anti-aliased edges
    // Outside the box the target is untouched.
    EXPECT_EQ(target.at(left - 1, 20), (Rgb{51, 102, 153}));
    EXPECT_EQ(target.at(right, 20), (Rgb{51, 102, 153}));
    EXPECT_EQ(target.at(20, top - 1), (Rgb{51, 102, 153}));
    EXPECT_EQ(target.at(20, bottom), (Rgb{51, 102, 153}));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.5f);
}

} // namespace
