#include "app/studio/MusicBrush.h"

#include <algorithm>
#include <cmath>

namespace vornix {

namespace {

constexpr float burstDye = 2.0f;        // times the mouse's dye per stroke, for an onset as loud as usual
constexpr float burstPushPixels = 40.0f;
constexpr float flowDye = 0.12f;        // per step at level 1
constexpr float flowPushPixels = 5.0f;
constexpr float quietLevel = 0.02f;     // below this a band adds nothing

HandStroke strokeAt(const EmitterPlace& e, int w, int h, float dye, float pushPixels)
{
    HandStroke s;
    s.x = static_cast<int>(std::clamp(e.x, 0.0f, 1.0f) * static_cast<float>(w));
    s.y = static_cast<int>(std::clamp(e.y, 0.0f, 1.0f) * static_cast<float>(h));
    s.dx = static_cast<int>(std::lround(e.dirX * pushPixels));
    s.dy = static_cast<int>(std::lround(e.dirY * pushPixels));
    s.dye = dye;
    s.push = s.dx != 0 || s.dy != 0;
    return s;
}

float usable(float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 16.0f) : 0.0f; }

} // namespace

std::vector<EmitterPlace> fixedMusicEmitters()
{
    return {{0.5f, 0.7f, 0.0f, -1.0f}, {0.25f, 0.35f, 0.0f, -1.0f}, {0.75f, 0.35f, 0.0f, -1.0f}};
}

std::vector<HandStroke> musicStrokes(const std::array<float, audioBandCount>& levels,
                                     const std::vector<AudioOnset>& onsets, const std::vector<EmitterPlace>& emitters,
                                     const MusicSettings& settings, int windowWidth, int windowHeight)
{
    std::vector<HandStroke> strokes;
    if (emitters.empty())
        return strokes;
    // The emitters band b plays at: b, b + 3, ...; with fewer emitters than bands, they share.
    auto forBand = [&](int band, auto&& paint) {
        const int n = static_cast<int>(emitters.size());
        if (n < audioBandCount) {
            paint(emitters[static_cast<std::size_t>(band % n)]);
            return;
        }
        for (int k = band; k < n; k += audioBandCount)
            paint(emitters[static_cast<std::size_t>(k)]);
    };
    for (const AudioOnset& o : onsets) {
        if (o.band < 0 || o.band >= audioBandCount)
            continue;
        const float strength = usable(settings.strength[static_cast<std::size_t>(o.band)]);
        const float loudness = std::clamp(usable(o.strength), 0.5f, 2.0f);
        if (strength <= 0.0f)
            continue;
        forBand(o.band, [&](const EmitterPlace& e) {
            strokes.push_back(strokeAt(e, windowWidth, windowHeight, burstDye * strength * loudness,
                                       burstPushPixels * strength * loudness));
        });
    }
    for (int b = 0; b < audioBandCount; ++b) {
        const float level = usable(levels[static_cast<std::size_t>(b)]) *
                            usable(settings.strength[static_cast<std::size_t>(b)]);
        if (level < quietLevel)
            continue;
        forBand(b, [&](const EmitterPlace& e) {
            strokes.push_back(strokeAt(e, windowWidth, windowHeight, flowDye * level, flowPushPixels * level));
        });
    }
    return strokes;
}

} // namespace vornix
