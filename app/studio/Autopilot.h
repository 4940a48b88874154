// The autopilot: emitters that wander over the window on smooth, never repeating paths, dropping dye and pushing the
// fluid as a hand would (through the same brush as the mouse). Each emitter steers by a smoothly drifting turn rate
// drawn from a seeded generator and turns back from the walls, so the same seed and the same number of steps give
// the same strokes on every run. The paths advance once per simulation step, not per frame or second: a paused
// simulation holds them, and a slow machine paints the same picture as a fast one, only later.
#pragma once

#include <cstdint>
#include <vector>

#include "app/studio/HandBrush.h"

namespace vornix {

// SplitMix64: small, fast and the same on every platform and compiler (the standard library's distributions are
// not), so a seed means the same run everywhere.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed = 0) : state_(seed) {}
    std::uint64_t next();
    // Uniform in [0, 1) and in [-1, 1).
    float uniform();
    float symmetric() { return 2.0f * uniform() - 1.0f; }

private:
    std::uint64_t state_;
};

struct AutopilotSettings {
    static constexpr int maxEmitters = 8;
    int emitters = 3;        // 1 .. maxEmitters
    float strength = 1.0f;   // dye and push per step, 1 = as a steady mouse stroke
    float speed = 1.0f;      // 1 = about a quarter of the window per second at 30 steps per second
};

// A point on the window in fractions of its width and height (0..1), and where it points.
struct EmitterPlace {
    float x = 0.5f, y = 0.5f;
    float dirX = 1.0f, dirY = 0.0f;
};

class Autopilot {
public:
    explicit Autopilot(std::uint64_t seed = 0) { restart(seed); }

    // Places every emitter anew from the seed; the next step is step 0 again.
    void restart(std::uint64_t seed);
    std::uint64_t seed() const { return seed_; }

    // One simulation step: moves the emitters and returns the strokes they make in a window of the given size.
    // The first settings.emitters emitters paint; the others keep moving, so changing their number mid-run keeps
    // the paths the same.
    std::vector<HandStroke> step(const AutopilotSettings& settings, int windowWidth, int windowHeight);

    // Where the painting emitters are now (for the music, which paints at them).
    std::vector<EmitterPlace> places(const AutopilotSettings& settings) const;
    std::uint64_t steps() const { return steps_; }

private:
    struct Emitter {
        float x, y;      // 0..1
        float heading;   // radians
        float turn;      // radians per second, drifting
    };
    void move(Emitter& e, float seconds);

    std::uint64_t seed_ = 0;
    std::uint64_t steps_ = 0;
    SeededRandom random_;
    std::vector<Emitter> emitters_;
};

} // namespace vornix
