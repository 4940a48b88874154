// The CPU engine's picture per frame: colouring the N x N surface (lighting and gradient bar on) and, with a GL
// context, uploading it as a texture and drawing it. Run under a display (xvfb-run) for the upload cases.
#include <benchmark/benchmark.h>

#include <epoxy/gl.h>

#include <cstdio>
#include <memory>

#include "fluid/FluidModelCPU.h"
#include "render/DensityRenderer.h"
#include "shell/platform/HiddenGlContext.h"

using namespace vornix;

namespace {

// A model with dye spread over most of the field, so that the lighting term is evaluated almost everywhere.
std::unique_ptr<FluidModelCPU> dyedModel(int n)
{
    auto model = std::make_unique<FluidModelCPU>(n, 0.0f, 0.1f, 0.00001f);
    for (int k = 1; k < 8; ++k) {
        model->addDensity(n * k / 8, n / 2, 5.0f, static_cast<float>(n) / 6.0f);
        model->addVelocity(n * k / 8, n / 2, 3.0f, -2.0f, static_cast<float>(n) / 10.0f);
    }
    model->step();
    model->step();
    return model;
}

struct Setup {
    explicit Setup(int n) : model(dyedModel(n))
    {
        table.buildTables(3);
        renderer.updateGridDependents(static_cast<std::uint32_t>(n), DensitySource::Field);
    }
    std::unique_ptr<FluidModelCPU> model;
    GradientTable table;
    DensityRenderer renderer;
    RenderFlags flags{true, true};
};

void BM_ColourDensitySurface(benchmark::State& state)
{
    Setup s(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        s.renderer.colorDensitySurface(*s.model, s.flags, s.table);
        benchmark::DoNotOptimize(s.renderer.densitySurface.getData());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(0));
}
BENCHMARK(BM_ColourDensitySurface)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

// The hidden window and context the GL cases share; false (and the case skipped) when there is none.
bool haveContext(benchmark::State& state)
{
    static std::unique_ptr<HiddenGlContext> instance;
    if (!instance) {
        try {
            instance = std::make_unique<HiddenGlContext>(600, 600);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            return false;
        }
    }
    return true;
}

// Colouring, texture upload and the draw over a 600 x 600 window, finished on the GPU.
void BM_CpuFrame(benchmark::State& state)
{
    if (!haveContext(state))
        return;
    Setup s(static_cast<int>(state.range(0)));
    glViewport(0, 0, 600, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 600, 600, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (auto _ : state) {
        s.renderer.drawCpuDensity(*s.model, s.flags, s.table, 600.0f, 600.0f);
        glFinish();
    }
}
BENCHMARK(BM_CpuFrame)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

// The upload of the coloured N x N RGB surface alone, by way: 0 a new texture every frame, 1 the same texture
// refilled (glTexSubImage2D), 2 the same with a 4-byte RGBA internal format.
void BM_SurfaceUpload(benchmark::State& state)
{
    if (!haveContext(state))
        return;
    const int n = static_cast<int>(state.range(0)), way = static_cast<int>(state.range(1));
    Setup s(n);
    s.renderer.colorDensitySurface(*s.model, s.flags, s.table);
    const Surface8u& surface = s.renderer.densitySurface;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, way == 2 ? GL_RGBA8 : GL_RGB, n, n, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    for (auto _ : state) {
        if (way == 0) {
            gl::Texture fresh(surface);
            fresh.bind(0);
        } else {
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, n, n, GL_RGB, GL_UNSIGNED_BYTE, surface.getData());
        }
        glBegin(GL_POINTS);   // one use of the texture, so the driver cannot defer the copy
        glVertex2f(0, 0);
        glEnd();
        glFinish();
    }
    glDeleteTextures(1, &texture);
}
BENCHMARK(BM_SurfaceUpload)->ArgsProduct({{1000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
