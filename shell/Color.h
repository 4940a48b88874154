// ColorA: an RGBA colour with float channels, nominally 0..1. ColorStop: one stop of a colour gradient.
#pragma once

namespace vornix {

struct ColorA {
    float r = 0, g = 0, b = 0, a = 0;
    constexpr bool operator==(const ColorA&) const = default;
};

// One stop: position along the gradient (0..1), then red, green, blue, alpha (0..1).
struct ColorStop {
    float position = 0, r = 0, g = 0, b = 0, a = 0;
    constexpr bool operator==(const ColorStop&) const = default;
};

} // namespace vornix
