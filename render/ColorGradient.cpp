#include "render/ColorGradient.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace vornix {

namespace {

std::mt19937& generator()
{
    static std::mt19937 instance;
    return instance;
}

// Milliseconds of the monotonic clock, wrapped to 32 bits like a tick count.
std::uint32_t millisecondTicks()
{
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

constexpr float byteFraction(int n) { return static_cast<float>(n / 255.0); }

struct SchemeStop {
    float position, r, g, b;
};

// The stops of the fixed schemes 0..6, in the order they are added.
const std::vector<std::vector<SchemeStop>>& fixedSchemes()
{
    static const std::vector<std::vector<SchemeStop>> schemes = {
        // Spectrum
        {{0.0f, 1, 0, 0}, {0.25f, 1, 1, 0}, {0.5f, 0, 1, 0}, {0.75f, 0, 1, 1}, {1.0f, 0, 0, 1}},
        // Black2White
        {{0.0f, 0, 0, 0}, {1.0f, 1, 1, 1}},
        // Infrared
        {{0.0f, 0, 0, 0},
         {1.0f / 6.0f, 0, 0, 0.5f},
         {1.0f / 3.0f, 0.5f, 0, 0.5f},
         {0.5f, 1, 0, 0},
         {2.0f / 3.0f, 1, 0.5f, 0},
         {5.0f / 6.0f, 1, 1, 0},
         {1.0f, 1, 1, 1}},
        // Blackbody
        {{0.0f, 0, 0, 0}, {0.2f, 0, 0.25f, 1}, {0.4f, 0, 0.75f, 1}, {0.6f, 1, 0.25f, 0}, {0.8f, 1, 0.75f, 0},
         {1.0f, 1, 1, 1}},
        // Neon
        {{0.0f, 0, 0, 0},
         {0.25f, 0.2f, 0.2f, 1},
         {0.5f, 0, 0.6f, 1},
         {0.75f, byteFraction(230), 0, byteFraction(128)},
         {1.0f, 1, 0, 1}},
        // Winter
        {{0.0f, byteFraction(76), byteFraction(128), 1},
         {0.5f, byteFraction(230), byteFraction(230), byteFraction(230)},
         {1.0f, 0.6f, 0.6f, 0.6f}},
        // Summer
        {{0.0f, 0.2f, byteFraction(76), 1},
         {0.25f, 1, 0, byteFraction(128)},
         {0.5f, 1, byteFraction(128), 0.2f},
         {0.75f, 0.8f, byteFraction(76), 0},
         {1.0f, 1, 0.8f, 0}},
    };
    return schemes;
}

} // namespace

void reseedGradientRandom(std::uint32_t seed) { generator().seed(seed); }

float gradientRandomDraw()
{
    for (;;) {
        // w * 2^-32 is exact in double; the conversion rounds it to the nearest float, which can reach 1.0.
        const float r = static_cast<float>(static_cast<double>(generator()()) * 0x1p-32);
        if (r < 1.0f)
            return r;
    }
}

ColorGradient::ColorGradient()
    : names_{"Spectrum", "Black2White", "Infrared", "Blackbody", "Neon", "Winter", "Summer", "Random"}
{
    stops_.reserve(10);
    reseedGradientRandom(millisecondTicks());
}

void ColorGradient::setScheme(int index)
{
    const auto& schemes = fixedSchemes();
    if (index < 0 || index >= static_cast<int>(schemes.size())) {
        randomize();
        return;
    }
    stops_.clear();
    for (const SchemeStop& s : schemes[static_cast<std::size_t>(index)])
        addStop(ColorA{s.r, s.g, s.b, 1.0f}, s.position);
}

void ColorGradient::setStops(std::vector<ColorStop> stops)
{
    stops_ = std::move(stops);
    std::stable_sort(stops_.begin(), stops_.end(),
                     [](const ColorStop& a, const ColorStop& b) { return a.position < b.position; });
}

void ColorGradient::addStop(const ColorA& colour, float position)
{
    stops_.push_back(ColorStop{position, colour.r, colour.g, colour.b, colour.a});
    // Stable, so stops that share a position keep the order in which they were added.
    std::stable_sort(stops_.begin(), stops_.end(),
                     [](const ColorStop& a, const ColorStop& b) { return a.position < b.position; });
}

void ColorGradient::randomize()
{
    stops_.clear();
    for (int s = 0; s < 4; ++s) {
        float position = 0.0f;
        if (s == 3) {
            position = 1.0f;
        } else if (s > 0) {
            const float lo = static_cast<float>(s) * 0.25f, hi = static_cast<float>(s + 1) * 0.25f;
            position = lo + gradientRandomDraw() * (hi - lo);
        }
        ColorA colour;
        colour.b = gradientRandomDraw();
        colour.g = gradientRandomDraw();
        colour.r = gradientRandomDraw();
        colour.a = 1.0f;
        addStop(colour, position);
    }
}

ColorA ColorGradient::getColor(float x) const
{
    for (std::size_t k = 0; k + 1 < stops_.size(); ++k) {
        const ColorStop& a = stops_[k];
        const ColorStop& b = stops_[k + 1];
        if (a.position <= x && x <= b.position) {
            const float t = (x - a.position) / (b.position - a.position);
            return ColorA{a.r + t * (b.r - a.r), a.g + t * (b.g - a.g), a.b + t * (b.b - a.b), a.a + t * (b.a - a.a)};
        }
    }
    return ColorA{};
}

void ColorGradient::fillColorBytes(std::vector<std::uint8_t>& table) const
{
    table.clear();
    table.reserve(GradientColorCount * 3);
    // Stops added by hand may lie outside 0..1; clamp so the conversion to a byte stays defined.
    const auto toByte = [](float c) {
        return static_cast<std::uint8_t>(std::clamp(std::floor(c * 255.0f + 0.5f), 0.0f, 255.0f));
    };
    for (int k = 0; k < GradientColorCount; ++k) {
        const ColorA c = getColor(static_cast<float>(k) / static_cast<float>(GradientColorCount - 1));
        table.push_back(toByte(c.r));
        table.push_back(toByte(c.g));
        table.push_back(toByte(c.b));
    }
}

void ColorGradient::fillColorFloats(std::vector<float>& table) const
{
    table.clear();
    table.reserve(GradientColorCount * 4);
    for (int k = 0; k < GradientColorCount; ++k) {
        const ColorA c = getColor(static_cast<float>(k) / static_cast<float>(GradientColorCount - 1));
        table.insert(table.end(), {c.r, c.g, c.b, c.a});
    }
}

} // namespace vornix
