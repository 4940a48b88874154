#include "shell/ContentScale.h"

#include <algorithm>
#include <cmath>

namespace vornix {

namespace {

float& current()
{
    static float scale = 1.0f;
    return scale;
}

} // namespace

float contentScale() { return current(); }

void setContentScale(float reported)
{
    if (!std::isfinite(reported) || reported <= 0.0f)
        return;
    float scale = std::clamp(reported, 0.5f, 4.0f);
    const float step = std::round(scale * 8.0f) / 8.0f;
    if (std::fabs(scale - step) <= 0.01f * step)
        scale = step;
    current() = scale;
}

int scaledPixels(int pixels, float scale)
{
    return static_cast<int>(std::lround(static_cast<double>(pixels) * static_cast<double>(scale)));
}

float scaledPixels(float pixels, float scale) { return std::round(pixels * scale); }

} // namespace vornix
