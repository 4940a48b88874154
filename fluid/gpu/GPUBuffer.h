// GPUBuffer: one fluid field in video memory, a framebuffer with a single float colour texture covering the whole
// grid (boundary ring included). Cell (i, j) is texel column i, row j; texture row 0 is cell row 0.
#pragma once

#include <array>

#include <epoxy/gl.h>

#include "shell/gl/Fbo.h"
#include "shell/gl/Texture.h"

namespace vornix {

// Copies share one framebuffer; it is deleted with its last handle.
using GPUBuffer = gl::Fbo;

// A gridSize x gridSize field buffer: RGBA32F (or the given float format, e.g. GL_R32F for a single channel), no
// depth, no multisampling, no mipmaps, linear filtering, clamped to the edge. Throws
// gl::FboExceptionInvalidSpecification when the driver rejects it.
GPUBuffer makeGPUBuffer(int gridSize, GLint internalFormat = GL_RGBA32F);

// The quad that covers a whole buffer: four vertices in triangle-strip order as (x, y) pairs in texels, and the
// matching full-area texture coordinates (0..1, not flipped).
struct BufferQuad {
    std::array<float, 8> vertices{};
    std::array<float, 8> texCoords{};

    static BufferQuad covering(const gl::Texture& texture);
};

// Sets every texel of the buffer to (0, 0, 0, 0); leaves framebuffer 0 bound.
void clearGPUBuffer(GPUBuffer& buffer);

// Copies every texel of `source` into `destination` (same size) with a nearest-filtered colour blit; the framebuffer
// binding found is kept.
void blitGPUBuffer(const GPUBuffer& source, GPUBuffer& destination);

// Draws the quad into `target` with whatever program and textures are current, so that the fragment program runs once
// per texel with texture coordinate ((i + 0.5) / w, (j + 0.5) / h). Leaves a window-aligned orthographic projection,
// identity model-view and the target's viewport set, and framebuffer 0 bound.
void drawQuadInto(GPUBuffer& target, const BufferQuad& quad);

} // namespace vornix
