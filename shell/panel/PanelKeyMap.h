// How keys and the wheel reach the panel library. A fixed set of special keys (arrows left/right, editing keys,
// function keys, navigation keys) go to it as keys with the shell's own code numbers; every other key goes as the
// character it produces, so the up and down arrows and Insert arrive as character 0 and do nothing. The wheel is
// summed into one process-wide position; the panel sees the whole-notch steps of that position.
#pragma once

#include <optional>

#include "shell/Events.h"

namespace vornix {

// The special key for a shell key code, or nullopt when the key goes as its character.
std::optional<int> panelKeyCode(int shellCode);

// What the panel receives for a key press: the special key code if there is one, else the character as a signed
// 8-bit value.
int panelKeyFor(const KeyEvent& event);

class WheelAccumulator {
public:
    // Adds one wheel increment; returns the whole-notch change of the position since the previous call.
    int add(float increment);
    // The sum of every increment so far, truncated toward zero.
    int position() const { return static_cast<int>(sum_); }

private:
    float sum_ = 0.0f;
    int reported_ = 0;
};

} // namespace vornix
