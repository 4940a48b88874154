// The stops of the seven fixed colour schemes, written out by hand, and the gradient-table entries they give. The
// colour tests compare the program's stops, tables and pictures with these values, never with the tables they test.
#pragma once

#include <array>
#include <cmath>
#include <vector>

namespace schemes {

struct Stop {
    float position, r, g, b;
};

// n/255 as the nearest float.
inline float byte(int n) { return static_cast<float>(n / 255.0); }

// Index order: Spectrum, Black2White, Infrared, Blackbody, Neon, Winter, Summer.
inline const std::vector<std::vector<Stop>>& fixed()
{
    static const std::vector<std::vector<Stop>> table = {
        {{0.0f, 1, 0, 0}, {0.25f, 1, 1, 0}, {0.5f, 0, 1, 0}, {0.75f, 0, 1, 1}, {1.0f, 0, 0, 1}},
        {{0.0f, 0, 0, 0}, {1.0f, 1, 1, 1}},
        {{0.0f, 0, 0, 0}, {0.16666667f, 0, 0, 0.5f}, {0.33333334f, 0.5f, 0, 0.5f}, {0.5f, 1, 0, 0},
         {0.6666667f, 1, 0.5f, 0}, {0.8333333f, 1, 1, 0}, {1.0f, 1, 1, 1}},
        {{0.0f, 0, 0, 0}, {0.2f, 0, 0.25f, 1}, {0.4f, 0, 0.75f, 1}, {0.6f, 1, 0.25f, 0}, {0.8f, 1, 0.75f, 0},
         {1.0f, 1, 1, 1}},
        {{0.0f, 0, 0, 0}, {0.25f, 0.2f, 0.2f, 1}, {0.5f, 0, 0.6f, 1}, {0.75f, byte(230), 0, byte(128)},
         {1.0f, 1, 0, 1}},
        {{0.0f, byte(76), byte(128), 1}, {0.5f, byte(230), byte(230), byte(230)}, {1.0f, 0.6f, 0.6f, 0.6f}},
        {{0.0f, 0.2f, byte(76), 1}, {0.25f, 1, 0, byte(128)}, {0.5f, 1, byte(128), 0.2f}, {0.75f, 0.8f, byte(76), 0},
         {1.0f, 1, 0.8f, 0}},
    };
    return table;
}

// The colour of a fixed scheme at x: linear between the first pair of stops that encloses x.
inline std::array<float, 3> colourAt(int scheme, float x)
{
    const auto& s = fixed()[static_cast<std::size_t>(scheme)];
    for (std::size_t k = 0; k + 1 < s.size(); ++k)
        if (s[k].position <= x && x <= s[k + 1].position) {
            const float t = (x - s[k].position) / (s[k + 1].position - s[k].position);
            return {s[k].r + t * (s[k + 1].r - s[k].r), s[k].g + t * (s[k + 1].g - s[k].g),
                    s[k].b + t * (s[k + 1].b - s[k].b)};
        }
    return {0, 0, 0};
}

// Entry k of the 2048-entry byte table: the colour at k / 2047, each channel floor(c x 255 + 0.5).
inline std::array<int, 3> entry(int scheme, int k)
{
    const auto c = colourAt(scheme, static_cast<float>(k) / 2047.0f);
    return {static_cast<int>(std::floor(c[0] * 255.0f + 0.5f)), static_cast<int>(std::floor(c[1] * 255.0f + 0.5f)),
            static_cast<int>(std::floor(c[2] * 255.0f + 0.5f))};
}

} // namespace schemes
