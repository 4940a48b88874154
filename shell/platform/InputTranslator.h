// InputTranslator: turns the window system's raw input (GLFW-style key, button, action, modifier and position values)
// into the shell's event records and hands them to an InputTarget. It keeps the one button-held flag that decides
// between drag and move. It has no window of its own, so it can be driven with made-up input.
//
// Keys follow the user's layout. GLFW's key tokens name physical positions on a US keyboard, so the code of a letter
// key comes from the label the layout gives it, and the character from the window system's own text input, which
// arrives just after the key (a key press that may give text waits for it until the next input or `flush`). Where no
// text comes (Control with a letter, a dead key) the character is worked out from the label. A letter key on which
// the layout types a letter of another script (Cyrillic, Greek, ...) gives its place's Latin letter, as in most desktop
// programs, so shortcuts work whatever the layout.
#pragma once

#include <map>
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

    // GLFW key callback values: press and repeat give keyDown, release keyUp. `label` is the character the user's
    // layout prints on the key (UTF-8, as glfwGetKeyName gives it; empty when the layout gives the key none);
    // nullptr: no layout information, the key is taken as on a US keyboard.
    void key(int key, int scancode, int action, int mods, const char* label = nullptr);
    // A character of text input (a Unicode code point) that the window system made of the last key press.
    void character(unsigned codepoint);
    // Delivers a key press still waiting for its text. Call after each round of the window system's events.
    void flush();
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
    // keys are their navigation keys, as the keyboard reports them then. With a `label` (see key), a key labelled
    // with a letter has that letter's code, and a letter position labelled with punctuation that punctuation's code;
    // the digit row keeps its digits.
    static int keyCode(int glfwKey, int mods, const char* label = nullptr);
    // The one character the key gives with the US layout: Shift (and Caps Lock for letters) honoured, Control
    // ignored; 0 when the key gives no single character.
    static char keyCharacter(int glfwKey, int mods);
    // The character for a key press that brought no text input: from the label (a letter in the case Shift and
    // Caps Lock give, other characters only without Shift; a letter of another script on a letter key: the key's
    // Latin letter); as on a US keyboard where the layout agrees with it or gives no label (nullptr).
    static char characterWithoutText(int glfwKey, int mods, const char* label);
    // Shift, Alt, Control and Meta bits for GLFW modifier flags.
    static unsigned modifierBits(int mods);

private:
    MouseEvent mouseEvent(int initiator) const;
    void deliverPending();
    unsigned buttonBits() const;

    InputTarget& target_;
    bool buttonHeld_ = false;
    bool buttonDown_[3] = {false, false, false};   // left, right, middle, for the button bits of mouse events
    int mods_ = 0;                                  // GLFW modifier flags as of the last key or button event
    int x_ = 0, y_ = 0;
    // A key press waiting for its text input, and what its character would be without.
    bool pending_ = false;
    KeyEvent pendingEvent_;
    int pendingScancode_ = 0;
    int pendingMods_ = 0;
    // The character each key's last press gave, for its release (the window system gives releases no text): by GLFW
    // key, and by scancode for the keys GLFW has no name for (their releases bring no text and no key either).
    char pressedCharacter_[512] = {};
    std::map<int, char> unnamedPressed_;
};

} // namespace vornix::platform
