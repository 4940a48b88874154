// Fuzz target: GIMP gradients and palettes as users have them. Parsing must never crash, hang or read out of bounds;
// an accepted gradient must give finite colours within 0..1 everywhere and stops from 0 to 1 in order, an accepted
// palette at least one colour.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/formats/GimpGradient.h"
#include "shell/formats/GimpPalette.h"
#include "shell/formats/StopFit.h"

using namespace vornix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (const auto gradient = parseGimpGradient(text, error)) {
        for (int k = 0; k <= 32; ++k) {
            const ColorA c = gimpGradientColor(*gradient, k / 32.0);
            for (const float v : {c.r, c.g, c.b, c.a})
                if (!(v >= -1e-6f && v <= 1.0f + 1e-6f))
                    std::abort();
        }
        const auto stops = fitStops([&](float x) { return gimpGradientColor(*gradient, x); });
        if (stops.size() < 2 || stops.front().position != 0.0f || stops.back().position != 1.0f)
            std::abort();
        for (std::size_t k = 1; k < stops.size(); ++k)
            if (!(stops[k].position > stops[k - 1].position))
                std::abort();
    }
    if (const auto palette = parseGimpPalette(text, error))
        if (palette->colors.empty())
            std::abort();
    return 0;
}
