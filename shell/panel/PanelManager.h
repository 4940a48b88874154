// PanelManager: the one per process that runs the panel library. Made by the first ParamPanel (or by instance());
// it initialises the library once, feeds it the window's input ahead of the application, draws the panels and
// shuts the library down at program exit.
//
// The application calls install() once with its callback lists and its window size. That registers seven
// handlers, in this order: mouse down, mouse up, mouse wheel, mouse move, mouse drag, key down, resize. A handler
// answers "consumed" for
//   - a mouse event over a visible panel, or any mouse event from a press over a panel until all buttons are up
//     (dragging a value or the window may leave the panel);
//   - the wheel while the pointer (last move, drag or press position) is over a visible panel;
//   - a key while a value is being typed into a visible panel;
//   - a key that matches a shortcut of a bool entry (toggled) or a button (run), whether the panel is shown or not.
// A resize is never consumed: the panel is told the size and the application's handler follows. Key releases are
// not forwarded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/EventCallbacks.h"

namespace vornix {

class PanelBar;

class PanelManager {
public:
    // The process-wide manager, made on first use. Throws Exception when the library cannot be initialised.
    static std::shared_ptr<PanelManager> instance();
    // The manager if one was made, else null.
    static std::shared_ptr<PanelManager> existing();

    ~PanelManager();
    PanelManager(const PanelManager&) = delete;
    PanelManager& operator=(const PanelManager&) = delete;

    void install(EventCallbacks& callbacks, int windowWidth, int windowHeight);

    // Draws every visible panel (see drawPanels).
    void draw();
    // Lets the visible panels take the input queued since the last frame, without drawing; called before a panel
    // is hidden, so that a click that arrived just before is not lost, and before a key is routed.
    void settle();

    // Wheel position the panel has seen: the sum of all wheel increments, truncated toward zero.
    int wheelPosition() const;

    std::shared_ptr<PanelBar> createBar(const std::string& title);

private:
    PanelManager();
    void followScale();
    void runFrame(bool render);
    void renderDrawData();
    bool mouseDown(const MouseEvent& event);
    bool mouseUp(const MouseEvent& event);
    bool mouseWheel(const MouseEvent& event);
    bool mouseMotion(const MouseEvent& event);
    bool keyDown(const KeyEvent& event);
    bool resize(const ResizeEvent& event);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vornix
