// ColorA: an RGBA colour with float channels, nominally 0..1.
#pragma once

namespace vornix {

struct ColorA {
    float r = 0, g = 0, b = 0, a = 0;
    constexpr bool operator==(const ColorA&) const = default;
};

} // namespace vornix
