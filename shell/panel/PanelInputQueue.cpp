#include "shell/panel/PanelInputQueue.h"

#include <algorithm>
#include <bitset>

#include <imgui.h>

#include "shell/Events.h"

namespace vornix {

void PanelInputQueue::push(const Item& item)
{
    items_.push_back(item);
    if (items_.size() > Limit)
        apply(false);
}

void PanelInputQueue::mousePosition(float x, float y, unsigned modifiers)
{
    push({Type::Position, x, y, 0, false, modifiers, true});
}

void PanelInputQueue::mouseButton(int button, bool down, unsigned modifiers)
{
    push({Type::Button, 0, 0, button, down, modifiers, true});
}

void PanelInputQueue::wheel(int notches, unsigned modifiers)
{
    push({Type::Wheel, 0, 0, notches, false, modifiers, true});
}

void PanelInputQueue::key(int index, bool down, unsigned modifiers)
{
    push({Type::Key, 0, 0, index, down, modifiers, true});
}

void PanelInputQueue::character(unsigned c, unsigned modifiers)
{
    push({Type::Character, 0, 0, static_cast<int>(c), false, modifiers, true});
}

void PanelInputQueue::apply(bool trickle)
{
    ImGuiIO& io = ImGui::GetIO();
    unsigned buttonsChanged = 0;
    bool moved = false, wheeled = false, typed = false;
    std::bitset<512> keysChanged;
    const auto now = std::chrono::steady_clock::now();
    doubleClickTime_ = DoubleClickSeconds;
    std::size_t used = 0;
    for (; used < items_.size(); ++used) {
        const Item& item = items_[used];
        if (trickle) {
            const bool stop = [&] {
                switch (item.type) {
                case Type::Position: return buttonsChanged != 0 || wheeled || keysChanged.any() || typed;
                case Type::Button: return (buttonsChanged & (1u << item.index)) != 0 || wheeled;
                case Type::Wheel: return moved || buttonsChanged != 0;
                case Type::Key: return keysChanged.test(item.index) || typed || buttonsChanged != 0;
                case Type::Character: return keysChanged.any() || buttonsChanged != 0 || moved;
                }
                return false;
            }();
            if (stop)
                break;
        }
        if (item.hasModifiers) {
            io.KeyShift = item.modifiers & Modifier::Shift;
            io.KeyCtrl = item.modifiers & Modifier::Ctrl;
            io.KeyAlt = item.modifiers & Modifier::Alt;
            io.KeySuper = item.modifiers & Modifier::Meta;
        }
        switch (item.type) {
        case Type::Position:
            io.MousePos = ImVec2(item.x, item.y);
            moved = true;
            break;
        case Type::Button:
            if (item.index == 0 && item.down) {
                const float delay = std::chrono::duration<float>(now - item.when).count();
                doubleClickTime_ = std::max(DoubleClickSeconds + delay - leftPressDelay_, 0.0f);
                leftPressDelay_ = delay;
            }
            io.MouseDown[item.index] = item.down;
            buttonsChanged |= 1u << item.index;
            break;
        case Type::Wheel:
            io.MouseWheel += static_cast<float>(item.index);
            wheeled = true;
            break;
        case Type::Key:
            io.KeysDown[item.index] = item.down;
            keysChanged.set(item.index);
            break;
        case Type::Character:
            io.AddInputCharacter(static_cast<unsigned>(item.index));
            typed = true;
            break;
        }
    }
    items_.erase(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(used));
}

} // namespace vornix
