// InputTranslator: turns the window system's raw input (GLFW-style key, button, action, modifier and position values)
// into the shell's event records and hands them to an InputTarget. It keeps the one button-held flag that decides
// between drag and move. It has no window of its own, so it can be driven with made-up input.
#pragma once

#include <string>
#include <vector>

#include "shell/Events.h"

namespace vornix::platform {

class InputTarget {
public:
    virtual ~InputTarget() = default;
    virtual void mouseDown(const MouseEvent& event) = 0;
    virtual void mouseUp(const MouseEvent& event) = 0;
    virtual void mouseMove(const MouseEvent& event) = 0;
    virtual void mouseDrag(const MouseEvent& event) = 0;
    virtual void mouseWheel(const MouseEvent& event) = 0;
    virtual void keyDown(const KeyEvent& event) = 0;
    virtual void keyUp(const KeyEvent& event) = 0;
    virtual void fileDrop(const FileDropEvent& event) = 0;
};

class InputTranslator {
public:
    explicit InputTranslator(InputTarget& target) : target_(target) {}

    // GLFW key callback values: press and repeat give keyDown, release keyUp.
    void key(int key, int scancode, int action, int mods);
    // GLFW mouse-button callback values; left, right and middle buttons only.
    void mouseButton(int button, int action, int mods);
    // Cursor position in client pixels (may lie outside the window while a button is held).
    void cursorPos(double x, double y);
    // Wheel motion in notches.
    void scroll(double xOffset, double yOffset);
    // Focus change; losing focus with a button held ends the drag with a mouseUp whose initiator is 0.
    void focus(bool focused);
    // Files dropped at the current cursor position.
    void drop(std::vector<std::string> paths);

    bool buttonHeld() const { return buttonHeld_; }

    // The key code for a GLFW key (0 for keys outside the table). With Num Lock off the keypad's digit and decimal
    // keys are their navigation keys, as the keyboard reports them then.
    static int keyCode(int glfwKey, int mods);
    // The one character the key gives with the US layout: Shift (and Caps Lock for letters) honoured, Control
    // ignored; 0 when the key gives no single character.
    static char keyCharacter(int glfwKey, int mods);
    // Shift, Alt, Control and Meta bits for GLFW modifier flags.
    static unsigned modifierBits(int mods);

private:
    MouseEvent mouseEvent(int initiator) const;
    unsigned buttonBits() const;

    InputTarget& target_;
    bool buttonHeld_ = false;
    bool buttonDown_[3] = {false, false, false};   // left, right, middle, for the button bits of mouse events
    int mods_ = 0;                                  // GLFW modifier flags as of the last key or button event
    int x_ = 0, y_ = 0;
};

} // namespace vornix::platform
