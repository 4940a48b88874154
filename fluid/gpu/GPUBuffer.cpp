#include "fluid/gpu/GPUBuffer.h"

#include <epoxy/gl.h>

namespace vornix {

GPUBuffer makeGPUBuffer(int gridSize, GLint internalFormat)
{
    gl::FboFormat format;
    format.colorInternalFormat = internalFormat;
    format.depthBuffer = false;
    // The remaining defaults are what a field needs: one GL_TEXTURE_2D colour buffer, no samples, no mipmaps,
    // linear filtering and clamp to edge, so that reads between texel centres blend and reads outside 0..1 take the
    // edge texels.
    return GPUBuffer(gridSize, gridSize, format);
}

BufferQuad BufferQuad::covering(const gl::Texture& texture)
{
    const float w = static_cast<float>(texture.getWidth());
    const float h = static_cast<float>(texture.getHeight());
    const Rectf full = texture.texCoordsOf(texture.getBounds());
    BufferQuad quad;
    quad.vertices = {w, 0.0f, 0.0f, 0.0f, w, h, 0.0f, h};
    quad.texCoords = {full.x2, full.y1, full.x1, full.y1, full.x2, full.y2, full.x1, full.y2};
    return quad;
}

void clearGPUBuffer(GPUBuffer& buffer)
{
    buffer.bindFramebuffer();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDepthMask(GL_TRUE);
    // There is no depth attachment; clearing depth as well costs nothing and keeps the call uniform.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    GPUBuffer::unbindFramebuffer();
}

void blitGPUBuffer(const GPUBuffer& source, GPUBuffer& destination)
{
    const Area all{0, 0, source.getWidth(), source.getHeight()};
    source.blitTo(destination, all, all, GL_NEAREST, GL_COLOR_BUFFER_BIT);
}

void drawQuadInto(GPUBuffer& target, const BufferQuad& quad)
{
    const gl::Texture& texture = target.getTexture();
    const int w = texture.getWidth();
    const int h = texture.getHeight();

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, static_cast<double>(w), 0.0, static_cast<double>(h), -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glViewport(0, 0, w, h);

    target.bindFramebuffer();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, quad.vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, quad.texCoords.data());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    GPUBuffer::unbindFramebuffer();
}

} // namespace vornix
