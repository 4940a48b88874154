// DensityRenderer: the fluid's density as a picture. The GPU engine colours the density texture with the frag_draw
// program; the CPU engine colours an N x N surface on the CPU (gradient bar included) and uploads it every frame.
// Both map density 0 (and below) to the gradient's first colour and 1 (and above) to its last, and optionally add
// the 3D lighting term that makes flat dense areas glow.
//
// The scene owns one renderer, calls updateGridDependents whenever the grid size is set, and per frame calls
// drawCpuDensity or drawGpuDensity (with the GPU model's density texture and interior rectangle) by engine, then the
// framerate line. The caller has set window-pixel matrices (origin top left, y down) and the viewport.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "fluid/FluidModel.h"
#include "render/GradientTable.h"
#include "shell/DataSource.h"
#include "shell/Geometry.h"
#include "shell/Surface.h"
#include "shell/gl/GlslProg.h"
#include "shell/gl/Texture.h"

namespace vornix {

// The display settings the renderer reads from the scene's live parameter set.
struct RenderFlags {
    bool show3DLighting = true;
    bool showGradientBar = false;
};

// Lighting constants of the density program; the CPU colouring uses LightingFactor x 256 in byte units.
constexpr float LightingFactor = 2.0f;
constexpr float LightingPower = 100000.0f;

// Rows of grid cells the gradient bar covers: trunc(max(1, N x 0.05)) in single precision.
std::uint32_t gradientBarRowsFor(std::uint32_t n);

namespace cpu {
class WorkerPool;
}

// Grids from this size on are coloured in bands of rows on several threads, when a pool is given.
constexpr std::uint32_t ParallelColouringMinN = 128;

// Colours an N x N RGB (or RGBA, alpha untouched) surface from a density field of (N + 2)^2 floats in IX order:
// pixel (x, y) shows cell (x + 1, y + 1). With barRows > 0 the top barRows rows show the whole gradient instead.
// Every pixel depends only on the field, so bands of rows coloured on the pool's threads give the same bytes.
void colorDensityField(const float* density, std::uint32_t n, const std::vector<std::uint8_t>& gradientColors,
                       bool lighting, std::uint32_t barRows, Surface8u& surface, cpu::WorkerPool* pool = nullptr);

class DensityRenderer {
public:
    // Builds drawProgram from resource::vert_passthru and resource::frag_draw. A compile failure writes
    // "Shader compile error: " and the compiler's message to the console, any other failure "Unable to load
    // shader"; drawProgram then stays empty and the GPU density draw shows black.
    void loadDrawProgram();
    // The same with other sources of the two program texts (tests give broken or missing ones).
    using SourceLoader = std::function<DataSourceRef()>;
    void loadDrawProgram(const SourceLoader& vertex, const SourceLoader& fragment);

    // After every change of the grid size: the gradient bar height, and OnePixel (a density texture, drawn on the
    // GPU) or the surface (a density field, coloured on the CPU).
    void updateGridDependents(std::uint32_t n, DensitySource source);

    // Colours densitySurface from the model (its whole density field when it has one, getDensity otherwise). Remakes the surface if its size does not match the model's N.
    void colorDensitySurface(const FluidModel& model, const RenderFlags& flags, const GradientTable& gradient);

    // CPU engine: colour the surface, upload it as densityTexture and draw it over (0, 0)-(width, height).
    void drawCpuDensity(const FluidModel& model, const RenderFlags& flags, const GradientTable& gradient,
                        float width, float height);

    // GPU engine: density texture (red channel) and its interior texture rectangle; cell row 1 at the top.
    // The gradient bar follows when flags.showGradientBar.
    void drawGpuDensity(const gl::Texture& density, const Rectf& interior, std::uint32_t n, const RenderFlags& flags,
                        const GradientTable& gradient, float width, float height) const;

    // The GPU engine's gradient bar: the gradient texture over (0, 0)-(width, trunc(height x rows / N)).
    void drawGradientBar(const gl::Texture& gradientTexture, std::uint32_t n, float width, float height) const;

    // The help picture stretched over the whole window (its aspect ratio is not kept).
    static void drawHelpPicture(const gl::Texture& help, float width, float height);

    gl::GlslProg drawProgram;
    float OnePixel = 0.0f;               // 1 / (N - 1), the neighbour step of the lighting term on the GPU
    std::uint32_t gradientBarRows = 1;
    Surface8u densitySurface;            // CPU engine: N x N, R, G, B
    gl::Texture densityTexture;          // CPU engine: made from densitySurface every frame
    // CPU engine, large grids on a machine with more than one core: the helper thread of the colouring.
    std::shared_ptr<cpu::WorkerPool> colouringPool;
};

} // namespace vornix
