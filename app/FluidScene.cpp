#include "app/FluidScene.h"

#include <epoxy/gl.h>

#include "fluid/FluidModelCPU.h"
#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/App.h"
#include "shell/Font.h"

namespace vornix {

FluidScene::FluidScene(App& app, const FontLoader& framerateFont, Notifier notify)
    : application(app), notify_(std::move(notify))
{
    colorSchemeNames = gradient.gradient.schemeNames();
    // The live set starts from the record's defaults: nothing named yet, lighting on, GPU engine.
    current = Preset();
    presets = builtInPresets();
    for (const auto& preset : presets)
        presetNames.push_back(preset.name);
    presetIndex = 0;
    renderer.loadDrawProgram();
    application.fpsSampleInterval = 0.5;
    try {
        framerate.emplace(framerateFont());
    } catch (const FontLoadExc& e) {
        App::console() << "The framerate line is not available: " << e.what() << std::endl;
    }
    applyPreset();
}

FluidScene::~FluidScene() = default;

void FluidScene::applyPreset()
{
    current = selectedPreset();
    setColorScheme(current.colorScheme);
    setEngine(current.engine);
}

void FluidScene::setEngine(Engine engine, std::optional<int> n, std::optional<int> viscosity,
                           std::optional<float> deltaTime, std::optional<int> diffusion)
{
    const Preset& p = selectedPreset();
    const int cells = n.value_or(p.quality);
    const float viscosityRate = toModelRate(viscosity.value_or(p.viscosity));
    const float diffusionRate = toModelRate(diffusion.value_or(p.diffusion));
    const float dt = deltaTime.value_or(p.deltaTime);
    // The new model is made before the old one goes, so a model that cannot be made (an exception out of its
    // constructor) leaves the scene with the model it had instead of none.
    std::unique_ptr<FluidModel> next;
    if (engine == EngineGPU) {
        std::string why;
        next = makeGpuModel(cells, viscosityRate, dt, diffusionRate, why);
        if (!next) {
            engine = EngineCPU;
            const std::string text = "The GPU engine cannot run on this computer: " + why + ". The CPU engine runs instead.";
            App::console() << text << std::endl;
            if (notify_)
                notify_(text);
        }
    }
    if (!next)
        next = std::make_unique<FluidModelCPU>(cells, viscosityRate, dt, diffusionRate);
    current.engine = engine;
    model = std::move(next);
    setQuality(current.quality);
}

std::unique_ptr<FluidModel> FluidScene::makeGpuModel(int n, float viscosity, float dt, float diffusion,
                                                     std::string& why)
{
    // Without the density program the GPU engine's picture could not be drawn.
    if (!renderer.drawProgram) {
        why = "the density program could not be made";
        return nullptr;
    }
    why = FluidModelGLSL::missingCapability();
    if (!why.empty())
        return nullptr;
    try {
        auto gpu = gpuProgramSource
                       ? std::make_unique<FluidModelGLSL>(App::console(), n, viscosity, dt, diffusion, gpuProgramSource)
                       : std::make_unique<FluidModelGLSL>(App::console(), n, viscosity, dt, diffusion);
        if (!gpu->programsLoaded()) {
            why = "a solver program could not be made";
            return nullptr;
        }
        return gpu;
    } catch (const std::exception& e) {
        why = e.what();   // e.g. a float framebuffer the driver cannot render to
        return nullptr;
    }
}

void FluidScene::setQuality(std::optional<int> n)
{
    current.paused = false;
    model->setN(n.value_or(selectedPreset().quality));
    current.quality = static_cast<int>(model->N);
    renderer.updateGridDependents(model->N, model->densitySource());
}

void FluidScene::setBasics(std::optional<int> viscosity, std::optional<float> deltaTime, std::optional<int> diffusion)
{
    const Preset& p = selectedPreset();
    current.deltaTime = deltaTime.value_or(p.deltaTime);
    current.viscosity = viscosity.value_or(p.viscosity);
    current.diffusion = diffusion.value_or(p.diffusion);
    model->Viscosity = toModelRate(current.viscosity);
    model->Diffusion = toModelRate(current.diffusion);
    model->DT = current.deltaTime;
}

void FluidScene::defaultBrushes()
{
    const Preset& p = selectedPreset();
    const float densityPerCell = p.brushSizeDensity / static_cast<float>(p.quality);
    const float velocityPerCell = p.brushSizeVelocity / static_cast<float>(p.quality);
    current.brushSizeDensity = densityPerCell * static_cast<float>(current.quality);
    current.brushSizeVelocity = velocityPerCell * static_cast<float>(current.quality);
}

void FluidScene::advance(bool force)
{
    if (!current.paused || force)
        model->step();
    if (framerate)
        framerate->refresh(current.showFramerate, application.getElapsedSeconds(), application.averageFps);
}

void FluidScene::setColorScheme(int index)
{
    current.colorScheme = index;
    gradient.setColorScheme(index);
}

RenderFlags FluidScene::renderFlags() const
{
    RenderFlags flags;
    flags.show3DLighting = current.show3DLighting;
    flags.showGradientBar = current.showGradientBar;
    return flags;
}

void FluidScene::drawScene()
{
    drawScene(static_cast<float>(application.getWindowWidth()), static_cast<float>(application.getWindowHeight()));
}

void FluidScene::drawScene(float width, float height)
{
    if (model->densitySource() == DensitySource::Field) {
        renderer.drawCpuDensity(*model, renderFlags(), gradient, width, height);
    } else {
        const auto& gpu = static_cast<const FluidModelGLSL&>(*model);   // the one model whose density is a texture
        renderer.drawGpuDensity(gpu.getDensityTexture(), gpu.getDensityArea(), gpu.N, renderFlags(), gradient, width,
                                height);
    }
    if (current.showFramerate && framerate)
        framerate->draw();
}

} // namespace vornix
