#include "shell/App.h"

#include "shell/BetweenFrames.h"
#include "shell/Console.h"
#include "shell/RendererGl.h"

namespace vornix {

App::App() = default;
App::~App() = default;

std::ostream& App::console() { return vornix::console(); }

void App::privateUpdate()
{
    runQueuedTasks();
    update();
    ++frameCount_;
    sampleFps(getElapsedSeconds());
}

void App::sampleFps(double now)
{
    if (now > fpsLastSampleTime_ + fpsSampleInterval) {
        averageFps = static_cast<float>((frameCount_ - fpsLastSampleFrame_) / (now - fpsLastSampleTime_));
        fpsLastSampleFrame_ = frameCount_;
        fpsLastSampleTime_ = now;
    }
}

void App::privateMouseDown(const MouseEvent& event)
{
    if (!callbacks_.mouseDown.dispatch(event))
        mouseDown(event);
}

void App::privateMouseUp(const MouseEvent& event)
{
    if (!callbacks_.mouseUp.dispatch(event))
        mouseUp(event);
}

void App::privateMouseWheel(const MouseEvent& event)
{
    if (!callbacks_.mouseWheel.dispatch(event))
        mouseWheel(event);
}

void App::privateMouseMove(const MouseEvent& event)
{
    if (!callbacks_.mouseMove.dispatch(event))
        mouseMove(event);
}

void App::privateMouseDrag(const MouseEvent& event)
{
    if (!callbacks_.mouseDrag.dispatch(event))
        mouseDrag(event);
}

void App::privateKeyDown(const KeyEvent& event)
{
    if (!callbacks_.keyDown.dispatch(event))
        keyDown(event);
}

void App::privateKeyUp(const KeyEvent& event)
{
    if (!callbacks_.keyUp.dispatch(event))
        keyUp(event);
}

void App::privateFileDrop(const FileDropEvent& event) { fileDrop(event); }

void App::privateResize(const ResizeEvent& event)
{
    if (renderer_)
        renderer_->defaultResize(event.width, event.height);
    if (!callbacks_.resize.dispatch(event))
        resize(event);
}

} // namespace vornix
