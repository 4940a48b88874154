#include "shell/panel/PanelKeyMap.h"

namespace vornix {

std::optional<int> panelKeyCode(int shellCode)
{
    switch (shellCode) {
    case KeyCode::Right:
    case KeyCode::Left:
    case KeyCode::Backspace:
    case KeyCode::Delete:
    case KeyCode::Tab:
    case KeyCode::Home:
    case KeyCode::End:
    case KeyCode::PageUp:
    case KeyCode::PageDown:
        return shellCode;
    default:
        if (shellCode >= KeyCode::F1 && shellCode <= KeyCode::F1 + 14)
            return shellCode;
        return std::nullopt;
    }
}

int panelKeyFor(const KeyEvent& event)
{
    if (const auto code = panelKeyCode(event.code))
        return *code;
    return static_cast<signed char>(event.character);
}

int WheelAccumulator::add(float increment)
{
    sum_ += increment;
    const int now = position();
    const int delta = now - reported_;
    reported_ = now;
    return delta;
}

} // namespace vornix
