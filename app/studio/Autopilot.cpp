#include "app/studio/Autopilot.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vornix {

namespace {

constexpr float stepSeconds = 1.0f / 30.0f;   // one step of the program's frame rate
constexpr float crossingSpeed = 0.25f;        // window fractions per second at speed 1
constexpr float wallMargin = 0.12f;           // emitters turn back inside this border
constexpr int pushPixels = 12;                // a moderate mouse drag per step, at strength 1

float wrapAngle(float a)
{
    const float twoPi = 2.0f * std::numbers::pi_v<float>;
    return a - twoPi * std::floor((a + std::numbers::pi_v<float>) / twoPi);
}

} // namespace

std::uint64_t SeededRandom::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float SeededRandom::uniform() { return static_cast<float>(next() >> 40) * (1.0f / 16777216.0f); }

void Autopilot::restart(std::uint64_t seed)
{
    seed_ = seed;
    steps_ = 0;
    random_ = SeededRandom(seed);
    emitters_.clear();
    for (int k = 0; k < AutopilotSettings::maxEmitters; ++k) {
        Emitter e{};
        e.x = 0.2f + 0.6f * random_.uniform();
        e.y = 0.2f + 0.6f * random_.uniform();
        e.heading = std::numbers::pi_v<float> * random_.symmetric();
        e.turn = 1.5f * random_.symmetric();
        emitters_.push_back(e);
    }
}

void Autopilot::move(Emitter& e, float seconds)
{
    // The turn rate drifts back towards straight ahead and is kicked by noise: curves of every size, never a loop
    // that closes on itself for long.
    e.turn += (-0.8f * e.turn) * seconds + 4.0f * random_.symmetric() * std::sqrt(seconds);
    e.turn = std::clamp(e.turn, -4.0f, 4.0f);
    // Near a wall, heading outwards: turn towards the middle, harder the closer the wall.
    const float nearest = std::min({e.x, 1.0f - e.x, e.y, 1.0f - e.y});
    if (nearest < wallMargin) {
        const float toMiddle = std::atan2(0.5f - e.y, 0.5f - e.x);
        const float off = wrapAngle(toMiddle - e.heading);
        if (std::abs(off) > std::numbers::pi_v<float> / 2.0f * 0.8f || nearest < wallMargin / 2.0f)
            e.turn = (off > 0.0f ? 1.0f : -1.0f) * 6.0f * (1.0f - nearest / wallMargin + 0.3f);
    }
    e.heading = wrapAngle(e.heading + e.turn * seconds);
    e.x = std::clamp(e.x + std::cos(e.heading) * crossingSpeed * seconds, 0.01f, 0.99f);
    e.y = std::clamp(e.y + std::sin(e.heading) * crossingSpeed * seconds, 0.01f, 0.99f);
}

std::vector<HandStroke> Autopilot::step(const AutopilotSettings& settings, int windowWidth, int windowHeight)
{
    const float seconds = stepSeconds * std::clamp(settings.speed, 0.0f, 10.0f);
    const int painting = std::clamp(settings.emitters, 1, AutopilotSettings::maxEmitters);
    const float strength = std::clamp(settings.strength, 0.0f, 10.0f);
    std::vector<HandStroke> strokes;
    for (int k = 0; k < static_cast<int>(emitters_.size()); ++k) {
        Emitter& e = emitters_[static_cast<std::size_t>(k)];
        move(e, seconds);
        if (k >= painting || strength <= 0.0f)
            continue;
        HandStroke s;
        s.x = static_cast<int>(e.x * static_cast<float>(windowWidth));
        s.y = static_cast<int>(e.y * static_cast<float>(windowHeight));
        s.dx = static_cast<int>(std::lround(std::cos(e.heading) * pushPixels * strength));
        s.dy = static_cast<int>(std::lround(std::sin(e.heading) * pushPixels * strength));
        s.dye = strength;
        s.push = true;
        strokes.push_back(s);
    }
    ++steps_;
    return strokes;
}

std::vector<EmitterPlace> Autopilot::places(const AutopilotSettings& settings) const
{
    const int painting = std::clamp(settings.emitters, 1, AutopilotSettings::maxEmitters);
    std::vector<EmitterPlace> out;
    for (int k = 0; k < painting; ++k) {
        const Emitter& e = emitters_[static_cast<std::size_t>(k)];
        out.push_back({e.x, e.y, std::cos(e.heading), std::sin(e.heading)});
    }
    return out;
}

} // namespace vornix
