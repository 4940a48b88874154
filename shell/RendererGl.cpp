#include "shell/RendererGl.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "shell/platform/GlfwRendererGl.h"

namespace vornix {

RendererGl::RendererGl(int level)
    : antiAliasingLevel(std::clamp(level, 0, maxAntiAliasingLevel)),
      platform_(std::make_unique<platform::GlfwRendererGl>())
{
}

RendererGl::~RendererGl() = default;

int RendererGl::levelForSamples(int samples)
{
    int level = 0;
    for (int k = 0; k <= maxAntiAliasingLevel; ++k)
        if (sampleTable[k] <= samples)
            level = k;
    return level;
}

void RendererGl::startDraw() { platform_->makeCurrent(); }

void RendererGl::finishDraw() { platform_->swapBuffers(); }

void RendererGl::defaultResize(int width, int height)
{
    glViewport(0, 0, width, height);
    // A perspective view with a 60 degree vertical field of view whose plane at the eye distance maps one unit to
    // one pixel, with the origin at the top-left corner and y pointing down.
    const double halfFov = 30.0 * std::numbers::pi / 180.0;
    const double h = std::max(height, 1), w = std::max(width, 1);
    const double eyeDistance = (h / 2.0) / std::tan(halfFov);
    const double nearPlane = eyeDistance / 10.0, farPlane = eyeDistance * 10.0;
    const double top = nearPlane * std::tan(halfFov), right = top * (w / h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-right, right, -top, top, nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScaled(1.0, -1.0, 1.0);
    glTranslated(-w / 2.0, -h / 2.0, -eyeDistance);
}

Surface8u RendererGl::copyWindowSurface()
{
    int width = 0, height = 0;
    platform_->clientSize(width, height);
    return copyWindowSurface(0, 0, width, height);
}

Surface8u RendererGl::copyWindowSurface(int x1, int y1, int x2, int y2)
{
    int windowWidth = 0, windowHeight = 0;
    platform_->clientSize(windowWidth, windowHeight);
    const int width = std::max(x2 - x1, 0), height = std::max(y2 - y1, 0);
    Surface8u surface(width, height, false, SurfaceChannelOrder::RGB);
    if (width == 0 || height == 0)
        return surface;

    glFlush();
    GLint previousAlignment = 4;
    glGetIntegerv(GL_PACK_ALIGNMENT, &previousAlignment);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // GL counts rows from the bottom of the window.
    glReadPixels(x1, windowHeight - y2, width, height, GL_RGB, GL_UNSIGNED_BYTE, surface.getData());
    glPixelStorei(GL_PACK_ALIGNMENT, previousAlignment);

    // Bottom-up to top-down.
    const std::size_t rowBytes = surface.getRowBytes();
    std::vector<std::uint8_t> row(rowBytes);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(row.data(), surface.getRow(top), rowBytes);
        std::memcpy(surface.getRow(top), surface.getRow(bottom), rowBytes);
        std::memcpy(surface.getRow(bottom), row.data(), rowBytes);
    }
    return surface;
}

} // namespace vornix
