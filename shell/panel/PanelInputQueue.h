// Input for the panel library, queued as it arrives and handed over frame by frame. The library reads its input
// state once per frame, so a press and a release between two frames would be lost; the queue hands over at most one
// change per button or key per frame and keeps the rest for the following frames, in order.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

namespace vornix {

class PanelInputQueue {
public:
    // Modifier bits are the shell's (Shift, Alt, Ctrl, Meta); they take effect with their event.
    void mousePosition(float x, float y, unsigned modifiers);
    void mouseButton(int button, bool down, unsigned modifiers);   // 0 left, 1 right, 2 middle
    void wheel(int notches, unsigned modifiers);
    void key(int index, bool down, unsigned modifiers);            // index into the library's key array
    void character(unsigned c, unsigned modifiers);

    // Writes queued input into the library's state: everything when `trickle` is false, else up to the first event
    // that would be a second change of the same kind in this frame.
    void apply(bool trickle);

    std::size_t size() const { return items_.size(); }

    // The library judges a double-click by its own clock, on which a press the queue held back for a frame or two
    // comes later than it happened; on a slow machine every double-click would be too slow. This is how long the
    // library should allow between two presses of the left button for the last one handed over, so that what
    // counts is the time between the user's clicks (the default when no press was handed over).
    float doubleClickTime() const { return doubleClickTime_; }
    static constexpr float DoubleClickSeconds = 0.30f;

    // Past this many queued events (no frames drawn, e.g. while every panel is hidden) everything is handed over
    // at once, so the queue stays small.
    static constexpr std::size_t Limit = 512;

private:
    enum class Type { Position, Button, Wheel, Key, Character };
    struct Item {
        Type type;
        float x = 0, y = 0;
        int index = 0;
        bool down = false;
        unsigned modifiers = 0;
        bool hasModifiers = false;
        std::chrono::steady_clock::time_point when = std::chrono::steady_clock::now();
    };
    void push(const Item& item);
    std::vector<Item> items_;
    float leftPressDelay_ = 0.0f;   // how late the library saw the last press of the left button, in seconds
    float doubleClickTime_ = DoubleClickSeconds;
};

} // namespace vornix
