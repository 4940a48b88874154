// Renderer: what the frame loop asks of the drawing back end.
#pragma once

#include "shell/Surface.h"

namespace vornix {

class Renderer {
public:
    virtual ~Renderer() = default;
    // Makes the renderer's context current before the application draws.
    virtual void startDraw() = 0;
    // Presents the drawn frame.
    virtual void finishDraw() = 0;
    // Viewport and default projection for a client area of the given size.
    virtual void defaultResize(int width, int height) = 0;
    // The whole client area as 8-bit RGB, row 0 at the top of the window.
    virtual Surface8u copyWindowSurface() = 0;
};

} // namespace vornix
