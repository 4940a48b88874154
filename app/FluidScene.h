// FluidScene: the simulation as the application sees it. It owns the one fluid model, the live parameter set
// `current`, the preset table, the colour gradient with its tables and texture, and the drawing resources, and offers
// the operations that create and reconfigure the model. An argument left empty stands for the value of the selected
// preset (presets[presetIndex]), not of `current`.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Preset.h"
#include "fluid/FluidModel.h"
#include "fluid/gpu/FluidModelGLSL.h"
#include "render/DensityRenderer.h"
#include "render/FramerateLine.h"
#include "render/GradientTable.h"

namespace vornix {

class App;

class FluidScene {
public:
    // Returns the framerate line's font; throws FontLoadExc when it cannot.
    using FontLoader = std::function<Font()>;
    // Shows the user a short notice (a message box); the console line is written besides.
    using Notifier = std::function<void(const std::string&)>;

    // Builds everything and applies the first preset ("Fancy": Blackbody, GPU engine, N = 200). Needs the GL
    // context current. Shader and font failures are reported on the console and the scene runs on without them
    // (without a font there is no framerate line). The font comes from `framerateFont`; `notify` tells the user
    // when the GPU engine cannot be had (see setEngine).
    explicit FluidScene(App& application, const FontLoader& framerateFont = &FramerateLine::defaultFont,
                        Notifier notify = {});
    ~FluidScene();
    FluidScene(const FluidScene&) = delete;
    FluidScene& operator=(const FluidScene&) = delete;

    // presets[presetIndex] becomes the live set; the gradient and the model are rebuilt from it (the fluid is lost).
    void applyPreset();
    // An empty argument below takes the selected preset's value (not the live set's).
    // Replaces the model by a new, empty one of the given engine and parameters. Where the GPU engine cannot be built
    // on this machine (no float render target, an incomplete framebuffer, a solver or density program that cannot
    // be made) the CPU engine takes its place, current.engine says so, and one console line and one notice say why.
    void setEngine(Engine engine, std::optional<int> n = {}, std::optional<int> viscosity = {},
                   std::optional<float> deltaTime = {}, std::optional<int> diffusion = {});
    // Changes the grid size (the fluid is lost if it differs) and resumes a paused simulation.
    void setQuality(std::optional<int> n = {});
    // Changes viscosity, time step and diffusion without touching the fluid.
    void setBasics(std::optional<int> viscosity = {}, std::optional<float> deltaTime = {},
                   std::optional<int> diffusion = {});
    // Both brush radii in the selected preset's proportion to the grid.
    void defaultBrushes();
    // One step unless paused (or when forced), then the framerate text refresh.
    void advance(bool force);
    // current.colorScheme := index, and the gradient tables and texture for it.
    void setColorScheme(int index);
    // The fluid picture for the current engine, the gradient bar and the framerate line.
    void drawScene();

    FluidModel& getModel() { return *model; }

    App& application;
    std::unique_ptr<FluidModel> model;
    Preset current;
    int presetIndex = 0;
    // A preset from outside the table (the user's own) selected in place of presets[presetIndex]: applyPreset and
    // the empty arguments above then take its values. Choosing a built-in preset clears it.
    std::optional<Preset> studioPreset;
    std::vector<Preset> presets;
    std::vector<std::string> presetNames;
    std::vector<std::string> colorSchemeNames;
    GradientTable gradient;
    DensityRenderer renderer;
    std::optional<FramerateLine> framerate;   // empty when no font could be loaded
    // The GPU engine's program texts by resource id; empty: the embedded resources.
    FluidModelGLSL::ProgramSource gpuProgramSource;

private:
    const Preset& selectedPreset() const
    {
        return studioPreset ? *studioPreset : presets.at(static_cast<std::size_t>(presetIndex));
    }
    RenderFlags renderFlags() const;
    // A GPU model, or nullptr with the reason in `why` when the GPU engine cannot be built here.
    std::unique_ptr<FluidModel> makeGpuModel(int n, float viscosity, float dt, float diffusion, std::string& why);

    Notifier notify_;
};

} // namespace vornix
