#include "app/Preset.h"

#include <bit>
#include <cstdint>

namespace vornix {

std::vector<Preset> builtInPresets()
{
    // Fields not in the table keep the template's values: every flag off but lighting (set per row), GPU engine.
    auto make = [](const char* name, int scheme, float brushDensity, float brushVelocity, int precision,
                   int viscosity, int diffusion, float deltaTime, int quality, bool lighting) {
        Preset p;
        p.name = name;
        p.colorScheme = scheme;
        p.brushSizeDensity = brushDensity;
        p.brushSizeVelocity = brushVelocity;
        p.velocityPrecision = precision;
        p.viscosity = viscosity;
        p.diffusion = diffusion;
        p.deltaTime = deltaTime;
        p.quality = quality;
        p.show3DLighting = lighting;
        p.engine = EngineGPU;
        return p;
    };
    // One unit in the last place above 30.0: the density brush of "Sensitive".
    const float sensitiveBrush = std::bit_cast<float>(std::uint32_t{0x41F00001});
    return {
        make("Fancy", 3, 20.0f, 10.0f, 4, 100, 200, 0.1f, 200, true),
        make("Pudding", 2, 20.0f, 3.0f, 40, 5000, 75, 0.15f, 200, true),
        make("Smoke", 1, 35.0f, 2.0f, 2, 1, 1200, 0.2f, 200, false),
        make("VJ", 4, 25.0f, 35.0f, 0, 50, 500, 0.2f, 200, true),
        make("Retro Plasma", 0, 3.0f, 1.0f, 10, 2000, 1, 0.07f, 15, false),
        make("Sensitive", 6, sensitiveBrush, 20.0f, 80, 600, 800, 0.07f, 200, true),
    };
}

float toModelRate(int units)
{
    // The quotient in double, stored as float.
    return static_cast<float>(static_cast<double>(units) / 10000000.0);
}

} // namespace vornix
