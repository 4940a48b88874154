// What music does to the fluid: every onset (beat) of a band drops a burst of dye and gives a push at that band's
// emitters; the band levels add dye and push continuously, in proportion to how loud the band is against its usual
// loudness. Each band has a strength (0 turns it off). Silence, with levels at 0 and no onsets, paints nothing.
// The emitters are the autopilot's when it runs, otherwise a fixed set of three; band b plays at emitter b, b + 3, ...
#pragma once

#include <array>
#include <vector>

#include "app/studio/Autopilot.h"
#include "app/studio/HandBrush.h"
#include "shell/audio/AudioAnalysis.h"

namespace vornix {

struct MusicSettings {
    std::array<float, audioBandCount> strength{1.0f, 1.0f, 1.0f};   // bass, mid, treble
};

// Bass low in the middle, mid at the upper left, treble at the upper right, all pushing upwards.
std::vector<EmitterPlace> fixedMusicEmitters();

// The strokes of one simulation step for the levels now and the onsets since the last step.
std::vector<HandStroke> musicStrokes(const std::array<float, audioBandCount>& levels,
                                     const std::vector<AudioOnset>& onsets, const std::vector<EmitterPlace>& emitters,
                                     const MusicSettings& settings, int windowWidth, int windowHeight);

} // namespace vornix
