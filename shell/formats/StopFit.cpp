#include "shell/formats/StopFit.h"

#include <cmath>

namespace vornix {

namespace {

constexpr int Samples = 2048;

// Whether the line from sample i to sample j stays within `tolerance` of every sample between them.
bool lineFits(const std::vector<ColorStop>& s, int i, int j, float tolerance)
{
    const ColorStop &a = s[i], &b = s[j];
    for (int m = i + 1; m < j; ++m) {
        const float t = (s[m].position - a.position) / (b.position - a.position);
        if (std::fabs(a.r + t * (b.r - a.r) - s[m].r) > tolerance ||
            std::fabs(a.g + t * (b.g - a.g) - s[m].g) > tolerance ||
            std::fabs(a.b + t * (b.b - a.b) - s[m].b) > tolerance)
            return false;
    }
    return true;
}

} // namespace

std::vector<ColorStop> fitStops(const std::function<ColorA(float)>& color, float tolerance)
{
    std::vector<ColorStop> samples;
    samples.reserve(Samples);
    for (int k = 0; k < Samples; ++k) {
        // The same positions, computed the same way, as the gradient table's entries.
        const float position = static_cast<float>(k) / static_cast<float>(Samples - 1);
        const ColorA c = color(position);
        samples.push_back({position, c.r, c.g, c.b, 1.0f});
    }
    std::vector<ColorStop> stops{samples.front()};
    int from = 0;
    while (from < Samples - 1) {
        int to = from + 1;
        while (to + 1 < Samples && lineFits(samples, from, to + 1, tolerance))
            ++to;
        stops.push_back(samples[to]);
        from = to;
    }
    return stops;
}

} // namespace vornix
