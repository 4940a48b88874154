// Work that must not run while a frame is drawn. A panel button's action may hide the panel, draw a frame of its own
// (to save the picture) or open a dialog; run from inside the panel's drawing it would do so in the middle of a
// frame. Such work is queued here and runs at the start of the next update step, after the frame that queued it has
// been shown, so that a button clicked on the panel acts exactly like its shortcut key.
#pragma once

#include <functional>

namespace vornix {

void runBetweenFrames(std::function<void()> task);

// Runs the tasks queued so far, in order; tasks they queue wait for the next call. The frame loop calls it before
// every update.
void runQueuedTasks();

} // namespace vornix
