// Extreme settings on the GPU engine: every preset's parameters and the panel's limits (time step 1, viscosity 10000,
// diffusion 5000), 5000-pixel mouse jumps with and without brush damping and brushes of radius 100, on the smallest
// grid and a large one. Every field read back from its texture must stay finite, and the density picture drawn from
// it must never hold a NaN or out-of-range colour. Last, the program's own brush path (vornixApp's mouse handlers)
// with the same jumps on both engines.
#include <gtest/gtest.h>

#include <epoxy/gl.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "app/Preset.h"
#include "app/vornixApp.h"
#include "fluid/FluidModelCPU.h"
#include "fluid/gpu/FluidModelGLSL.h"
#include "render/DensityRenderer.h"
#include "render/GradientTable.h"
#include "shell/gl/Fbo.h"
#include "tests/support/GpuFieldSupport.h"
#include "tests/support/WildInput.h"

using namespace vornix;
using F = FluidModelGLSL::Field;

namespace {

// The first non-finite red value of a field as "field f at (i, j) = value", or empty.
std::string firstNonFinite(FluidModelGLSL& m)
{
    for (int f = F::U; f < F::FieldCount; ++f) {
        const test::Field4 field = test::readField(m, F(f));
        for (int j = 0; j < field.g; ++j)
            for (int i = 0; i < field.g; ++i)
                if (!std::isfinite(field.at(i, j, 0)))
                    return "field " + std::to_string(f) + " at (" + std::to_string(i) + ", " + std::to_string(j) +
                           ") = " + std::to_string(field.at(i, j, 0));
    }
    return "";
}

// Draws the model's density as the program does (with and without lighting) into a float target, so that a NaN
// colour would survive to the read-back, and returns the first colour that is not finite or outside 0..1.
std::string firstBadColour(const gl::Texture& density, const Rectf& interior, std::uint32_t n, int scheme)
{
    GradientTable table;
    table.setColorScheme(scheme);
    DensityRenderer renderer;
    renderer.loadDrawProgram();
    renderer.updateGridDependents(n, DensitySource::Texture);
    const int size = 64;
    gl::Fbo target(size, size, gl::FboFormat().colorInternalFormatIs(GL_RGBA32F).enableDepthBuffer(false));
    std::string bad;
    for (bool lighting : {false, true}) {
        target.bindFramebuffer();
        glViewport(0, 0, size, size);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, size, size, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glColor4f(1, 1, 1, 1);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        renderer.drawGpuDensity(density, interior, n, RenderFlags{lighting, true}, table, size, size);
        std::vector<float> pixels(static_cast<std::size_t>(size * size * 4));
        glReadPixels(0, 0, size, size, GL_RGBA, GL_FLOAT, pixels.data());
        gl::Fbo::unbindFramebuffer();
        for (std::size_t k = 0; k < pixels.size() && bad.empty(); ++k)
            if (!(pixels[k] >= 0.0f && pixels[k] <= 1.0f))
                bad = "pixel " + std::to_string(k / 4) + " channel " + std::to_string(k % 4) + " = " +
                      std::to_string(pixels[k]) + (lighting ? " (lit)" : "");
    }
    return bad;
}

void runWild(FluidModelGLSL& m, int frames, int precision)
{
    for (int s = 0; s < frames; ++s)
        test::wildFrame(m, s, precision);
}

TEST(GpuExtremes, FieldsAndPictureStayFiniteForEveryPresetAtTheParameterLimits)
{
    std::ostringstream console;
    for (const Preset& p : builtInPresets()) {
        // The panel's limits with the preset's damping and with none (the raw 5000-pixel jump).
        for (int precision : {p.velocityPrecision, 0}) {
            FluidModelGLSL m(console, 10, toModelRate(10000), 1.0f, toModelRate(5000));
            ASSERT_TRUE(m.programsLoaded()) << console.str();
            runWild(m, 30, precision);
            EXPECT_EQ(firstNonFinite(m), "") << p.name << " at the limits, precision " << precision;
            EXPECT_EQ(firstBadColour(m.getDensityTexture(), m.getDensityArea(), m.N, p.colorScheme), "") << p.name;
        }
        // The preset's own parameters and damping.
        FluidModelGLSL own(console, 10, toModelRate(p.viscosity), p.deltaTime, toModelRate(p.diffusion));
        runWild(own, 30, p.velocityPrecision);
        EXPECT_EQ(firstNonFinite(own), "") << p.name << " own parameters";
    }
    // Zero viscosity and diffusion leave the solves nothing to smooth with.
    FluidModelGLSL still(console, 10, 0.0f, 1.0f, 0.0f);
    runWild(still, 30, 0);
    EXPECT_EQ(firstNonFinite(still), "") << "zero rates";
}

TEST(GpuExtremes, FieldsAndPictureStayFiniteOnALargeGrid)
{
    // Large grids are slow on a software rasteriser: a few undamped jumps at the limits.
    std::ostringstream console;
    FluidModelGLSL m(console, 400, toModelRate(10000), 1.0f, toModelRate(5000));
    runWild(m, 2, 0);
    EXPECT_EQ(firstNonFinite(m), "");
    EXPECT_EQ(firstBadColour(m.getDensityTexture(), m.getDensityArea(), m.N, 3), "");
}

TEST(GpuExtremes, NonFiniteDensitiesNeverBecomeNonFiniteColours)
{
    // Should a density ever turn non-finite, the density program still writes a colour in range.
    std::ostringstream console;
    FluidModelGLSL m(console, 8, 0.0f, 0.1f, 0.0f);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float specials[] = {nan, inf, -inf, 0.7f, 1e30f, -1e30f};
    test::Field4 density(10);
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 10; ++i)
            density.at(i, j, 0) = specials[(i + 2 * j) % 6];
    test::writeField(m, F::Dens, density);
    ASSERT_TRUE(std::isnan(test::readField(m, F::Dens).at(0, 0, 0)));
    for (int scheme = 0; scheme < 8; ++scheme)
        EXPECT_EQ(firstBadColour(m.getDensityTexture(), m.getDensityArea(), m.N, scheme), "") << "scheme " << scheme;
}

// vornixApp on a 600 x 600 window of its own imagination.
class JumpApp : public vornixApp {
public:
    int getWindowWidth() const override { return 600; }
    int getWindowHeight() const override { return 600; }
};

MouseEvent mouse(int x, int y, unsigned buttons, int initiator = 0)
{
    MouseEvent e;
    e.x = x;
    e.y = y;
    e.modifiers = buttons;
    e.initiator = initiator;
    return e;
}

TEST(AppExtremes, UndampedJumpsThroughTheProgramsBrushPathKeepBothEnginesFinite)
{
    for (int engine : {EngineCPU, EngineGPU}) {
        JumpApp app;
        app.setup();
        app.engine.value = engine;
        app.quality.value = 50;
        app.viscosity.value = 10000;
        app.diffusion.value = 5000;
        app.deltaTime.value = 1.0f;
        app.applyPanelChanges();
        Preset& c = app.scene->current;
        c.velocityPrecision = 0;
        c.brushSizeDensity = c.brushSizeVelocity = 100.0f;
        ASSERT_EQ(app.scene->model->N, 50u);
        ASSERT_EQ(app.scene->model->DT, 1.0f);
        // Both buttons held; the mouse leaps 5000 pixels out of the window and back (drags report positions
        // outside the window), so every return lands a full undamped jump inside the grid.
        const unsigned both = Modifier::LeftDown | Modifier::RightDown;
        app.mouseDown(mouse(550, 100, both, MouseEvent::LeftButton));
        for (int frame = 0; frame < 20; ++frame) {
            app.mouseDrag(mouse(550 - 5000, 100 + 5000, both));
            app.update();
            app.mouseDrag(mouse(550, 100, both));
            app.update();
        }
        if (engine == EngineCPU) {
            const auto& m = dynamic_cast<FluidModelCPU&>(*app.scene->model);
            for (std::uint32_t k = 0; k < m.cellCount(); ++k)
                ASSERT_TRUE(std::isfinite(m.densityField()[k]) && std::isfinite(m.uField()[k]) &&
                            std::isfinite(m.vField()[k]))
                    << "CPU cell " << k;
            double moving = 0;
            for (std::uint32_t k = 0; k < m.cellCount(); ++k)
                moving += std::fabs(m.uField()[k]);
            EXPECT_GT(moving, 0.0) << "the jumps reached the fluid";
        } else {
            auto& m = dynamic_cast<FluidModelGLSL&>(*app.scene->model);
            EXPECT_EQ(firstNonFinite(m), "") << "GPU";
            EXPECT_FALSE(test::allZero(test::readField(m, F::U))) << "the jumps reached the fluid";
        }
        app.shutdown();
    }
}

} // namespace
