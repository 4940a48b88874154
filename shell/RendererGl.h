// RendererGl: the OpenGL renderer. It makes the window's double-buffered compatibility context (asking for
// multisampling and settling for less), makes it current, swaps buffers and reads the window back.
#pragma once

#include <memory>

#include "shell/Renderer.h"

namespace vornix {

namespace platform {
class GlfwRendererGl;
}

class RendererGl : public Renderer {
public:
    // Samples for each anti-aliasing level: 0 none, then 2, 4, 6, 8, 16 and 32.
    static constexpr int sampleTable[] = {0, 2, 4, 6, 8, 16, 32};
    static constexpr int maxAntiAliasingLevel = 6;

    // The level to ask for (clamped to 0..6). After the context is made it holds the level actually achieved.
    explicit RendererGl(int antiAliasingLevel = 0);
    ~RendererGl() override;
    RendererGl(const RendererGl&) = delete;
    RendererGl& operator=(const RendererGl&) = delete;

    int antiAliasingLevel;

    void startDraw() override;
    void finishDraw() override;
    void defaultResize(int width, int height) override;
    Surface8u copyWindowSurface() override;
    // The area (x1, y1)-(x2, y2) of the client area, y measured from the top; rows top to bottom.
    Surface8u copyWindowSurface(int x1, int y1, int x2, int y2);

    // The level whose sample count is the largest not above `samples` (what a context with that many got).
    static int levelForSamples(int samples);

    // The window-system side, made by the window that hosts the context.
    platform::GlfwRendererGl* getPlatform() { return platform_.get(); }

private:
    std::unique_ptr<platform::GlfwRendererGl> platform_;
};

} // namespace vornix
