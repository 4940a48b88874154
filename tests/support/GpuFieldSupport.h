// Test helpers for the GPU model: fill and read field buffers, and a CPU emulation of bilinear texture sampling
// (clamp to edge) for expected values of passes that read between texel centres.
#pragma once

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "fluid/gpu/FluidModelGLSL.h"
#include "tests/support/ReferenceGpuSolver.h"

namespace vornix::test {

// An RGBA float image of g x g texels, row 0 first.
struct Field4 {
    int g = 0;
    std::vector<float> texels;

    explicit Field4(int size = 0) : g(size), texels(static_cast<std::size_t>(size * size * 4), 0.0f) {}
    float& at(int i, int j, int c) { return texels[static_cast<std::size_t>(((j * g) + i) * 4 + c)]; }
    float at(int i, int j, int c) const { return texels[static_cast<std::size_t>(((j * g) + i) * 4 + c)]; }

    // Bilinear sample of channel c at texture coordinate (s, t), edges clamped.
    double sample(double s, double t, int c) const
    {
        const double x = s * g - 0.5, y = t * g - 0.5;
        const double fx = std::floor(x), fy = std::floor(y);
        const double wx = x - fx, wy = y - fy;
        auto texel = [&](double i, double j) {
            const int ii = std::clamp(static_cast<int>(i), 0, g - 1);
            const int jj = std::clamp(static_cast<int>(j), 0, g - 1);
            return static_cast<double>(at(ii, jj, c));
        };
        return (1 - wx) * (1 - wy) * texel(fx, fy) + wx * (1 - wy) * texel(fx + 1, fy) +
               (1 - wx) * wy * texel(fx, fy + 1) + wx * wy * texel(fx + 1, fy + 1);
    }
};

// Reads a field of either GPU model (FluidModelGLSL or ReferenceGpuSolver). A single-channel field reads back as
// (red, 0, 0, 0).
template <class Model> Field4 readField(Model& model, typename Model::Field f)
{
    gl::Texture& t = model.buffer(f).getTexture();
    Field4 out(t.getWidth());
    glBindTexture(GL_TEXTURE_2D, t.getId());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (t.getInternalFormat() == GL_R32F) {
        std::vector<float> red(static_cast<std::size_t>(out.g * out.g));
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RED, GL_FLOAT, red.data());
        for (std::size_t k = 0; k < red.size(); ++k)
            out.texels[4 * k] = red[k];
    } else {
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, out.texels.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return out;
}

// Writes a field of either GPU model; a single-channel field keeps the red channel.
template <class Model> void writeField(Model& model, typename Model::Field f, const Field4& data)
{
    gl::Texture& t = model.buffer(f).getTexture();
    glBindTexture(GL_TEXTURE_2D, t.getId());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, data.g, data.g, GL_RGBA, GL_FLOAT, data.texels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
}

// A field whose four channels differ (red = base, green = 2 base + 1, blue = -base, alpha = 0.25), with base a smooth
// function of the cell plus a little irregularity.
inline Field4 patternField(int g, float scale = 1.0f)
{
    Field4 f(g);
    for (int j = 0; j < g; ++j)
        for (int i = 0; i < g; ++i) {
            const float base = scale * (0.3f * i - 0.2f * j + 0.05f * ((i * 7 + j * 3) % 5));
            f.at(i, j, 0) = base;
            f.at(i, j, 1) = 2.0f * base + 1.0f;
            f.at(i, j, 2) = -base;
            f.at(i, j, 3) = 0.25f;
        }
    return f;
}

// Number of channels a model's fields carry.
inline int channelsOf(const FluidModelGLSL& model) { return model.singleChannel() ? 1 : 4; }
inline int channelsOf(const ReferenceGpuSolver&) { return 4; }

// True when the red channels of two fields are equal bit for bit.
inline bool sameRed(const Field4& a, const Field4& b)
{
    if (a.g != b.g)
        return false;
    for (int j = 0; j < a.g; ++j)
        for (int i = 0; i < a.g; ++i) {
            const float x = a.at(i, j, 0), y = b.at(i, j, 0);
            if (std::memcmp(&x, &y, sizeof x) != 0)
                return false;
        }
    return true;
}

inline bool allZero(const Field4& f)
{
    for (float x : f.texels)
        if (x != 0.0f)
            return false;
    return true;
}

} // namespace vornix::test
