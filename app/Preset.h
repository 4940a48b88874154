// Preset: one complete parameter set. The same record serves for the built-in table and for the scene's live set.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornix {

// The solver behind the model; the values are the "Render Engine" entry's item positions.
enum Engine : std::int32_t { EngineCPU = 0, EngineGPU = 1 };

struct Preset {
    std::string name;
    int colorScheme = 0;
    float brushSizeDensity = 0.0f;    // radius in cells
    float brushSizeVelocity = 0.0f;   // radius in cells
    int velocityPrecision = 0;        // damping constant of the velocity brush
    int viscosity = 0;                // units of 10^-7
    int diffusion = 0;                // units of 10^-7
    float deltaTime = 0.0f;
    int quality = 0;                  // grid size N
    bool show3DLighting = true;
    bool showFramerate = false;
    bool showGradientBar = false;
    bool showHelp = false;
    bool paused = false;
    Engine engine = EngineGPU;
};

// The six built-in presets in table order: "Fancy", "Pudding", "Smoke", "VJ", "Retro Plasma", "Sensitive".
std::vector<Preset> builtInPresets();

// Viscosity and diffusion travel as integers in units of 10^-7; the model takes them as floats.
float toModelRate(int units);

} // namespace vornix
