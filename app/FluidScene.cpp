#include "app/FluidScene.h"

#include <epoxy/gl.h>

#include "fluid/FluidModelCPU.h"
#include "fluid/gpu/FluidModelGLSL.h"
#include "shell/App.h"
#include "shell/Font.h"

namespace vornix {

FluidScene::FluidScene(App& app, const FontLoader& framerateFont) : application(app)
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
    setEngine(current.engine, -1, -1, -1.0f, -1);
}

void FluidScene::setEngine(Engine engine, int n, int viscosity, float deltaTime, int diffusion)
{
    if (n < 0)
        n = selectedPreset().quality;
    presetForNegatives(viscosity, deltaTime, diffusion);
    // The new model is made before the old one goes, so a model that cannot be made (an exception out of its
    // constructor) leaves the scene with the model it had instead of none.
    std::unique_ptr<FluidModel> next;
    if (engine == EngineCPU)
        next = std::make_unique<FluidModelCPU>(n, toModelRate(viscosity), deltaTime, toModelRate(diffusion));
    else
        next = std::make_unique<FluidModelGLSL>(App::console(), n, toModelRate(viscosity), deltaTime,
                                                toModelRate(diffusion));
    current.engine = engine;
    model = std::move(next);
    setQuality(current.quality);
}

void FluidScene::presetForNegatives(int& viscosity, float& deltaTime, int& diffusion) const
{
    const Preset& p = selectedPreset();
    if (viscosity < 0)
        viscosity = p.viscosity;
    if (deltaTime < 0.0f)
        deltaTime = p.deltaTime;
    if (diffusion < 0)
        diffusion = p.diffusion;
}

void FluidScene::setQuality(int n)
{
    if (n < 1)
        n = selectedPreset().quality;
    current.paused = false;
    model->setN(n);
    current.quality = static_cast<int>(model->N);
    renderer.updateGridDependents(model->N, model->densitySource());
}

void FluidScene::setBasics(int viscosity, float deltaTime, int diffusion)
{
    presetForNegatives(viscosity, deltaTime, diffusion);
    current.deltaTime = deltaTime;
    current.viscosity = viscosity;
    current.diffusion = diffusion;
    model->Viscosity = toModelRate(viscosity);
    model->Diffusion = toModelRate(diffusion);
    model->DT = deltaTime;
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
    const float width = static_cast<float>(application.getWindowWidth());
    const float height = static_cast<float>(application.getWindowHeight());
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
