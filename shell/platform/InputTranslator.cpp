#include "shell/platform/InputTranslator.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cmath>
#include <iterator>
#include <limits>

namespace vornix::platform {

namespace {

// Modifier flag a modifier key stands for (0 for other keys).
int modifierOfKey(int key)
{
    switch (key) {
    case GLFW_KEY_LEFT_SHIFT:
    case GLFW_KEY_RIGHT_SHIFT: return GLFW_MOD_SHIFT;
    case GLFW_KEY_LEFT_CONTROL:
    case GLFW_KEY_RIGHT_CONTROL: return GLFW_MOD_CONTROL;
    case GLFW_KEY_LEFT_ALT:
    case GLFW_KEY_RIGHT_ALT: return GLFW_MOD_ALT;
    case GLFW_KEY_LEFT_SUPER:
    case GLFW_KEY_RIGHT_SUPER: return GLFW_MOD_SUPER;
    default: return 0;
    }
}

// Keypad keys as they report with Num Lock off.
int keypadNavigationKey(int key)
{
    switch (key) {
    case GLFW_KEY_KP_0: return GLFW_KEY_INSERT;
    case GLFW_KEY_KP_1: return GLFW_KEY_END;
    case GLFW_KEY_KP_2: return GLFW_KEY_DOWN;
    case GLFW_KEY_KP_3: return GLFW_KEY_PAGE_DOWN;
    case GLFW_KEY_KP_4: return GLFW_KEY_LEFT;
    case GLFW_KEY_KP_5: return -2;   // the Clear key
    case GLFW_KEY_KP_6: return GLFW_KEY_RIGHT;
    case GLFW_KEY_KP_7: return GLFW_KEY_HOME;
    case GLFW_KEY_KP_8: return GLFW_KEY_UP;
    case GLFW_KEY_KP_9: return GLFW_KEY_PAGE_UP;
    case GLFW_KEY_KP_DECIMAL: return GLFW_KEY_DELETE;
    default: return key;
    }
}

// Keys whose character depends on the layout: the letters, the digit row and the punctuation keys.
bool isLayoutKey(int key) { return key >= GLFW_KEY_APOSTROPHE && key <= GLFW_KEY_WORLD_2; }
bool isDigitRow(int key) { return key >= GLFW_KEY_0 && key <= GLFW_KEY_9; }
bool isLetterKey(int key) { return key >= GLFW_KEY_A && key <= GLFW_KEY_Z; }

// The one ASCII character of a label, or 0 when it has none or more than one.
char asciiLabel(const char* label)
{
    if (!label || !label[0] || label[1] || static_cast<unsigned char>(label[0]) >= 128)
        return 0;
    return label[0];
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A letter of a script other than Latin (Greek, Cyrillic, Armenian, Hebrew, Arabic, Georgian, kana, Hangul, ...):
// what a layout of such a script types on the letter keys.
bool isOtherScriptLetter(unsigned codepoint)
{
    return (codepoint >= 0x0370 && codepoint <= 0x1CFF) || (codepoint >= 0x1F00 && codepoint <= 0x1FFF) ||
           (codepoint >= 0x2D00 && codepoint <= 0x2DFF) || (codepoint >= 0x3040 && codepoint <= 0x30FF) ||
           (codepoint >= 0x3130 && codepoint <= 0x318F) || (codepoint >= 0xA640 && codepoint <= 0xA69F);
}

// The first code point of a UTF-8 text (0 when empty or malformed).
unsigned firstCodepoint(const char* text)
{
    const auto* b = reinterpret_cast<const unsigned char*>(text);
    if (!b || !b[0])
        return 0;
    if (b[0] < 0x80)
        return b[0];
    const int extra = b[0] >= 0xF0 ? 3 : b[0] >= 0xE0 ? 2 : b[0] >= 0xC0 ? 1 : -1;
    if (extra < 0)
        return 0;
    unsigned codepoint = b[0] & (0x3Fu >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((b[k] & 0xC0) != 0x80)
            return 0;
        codepoint = (codepoint << 6) | (b[k] & 0x3Fu);
    }
    return codepoint;
}

// The Latin letter of a letter key's place (as on a US keyboard), in the case Shift and Caps Lock give: what a key
// typing a letter of another script stands for in shortcuts, as in most desktop programs.
char placeLetter(int key, int mods)
{
    const bool upper = static_cast<bool>(mods & GLFW_MOD_SHIFT) != static_cast<bool>(mods & GLFW_MOD_CAPS_LOCK);
    return static_cast<char>((upper ? 'A' : 'a') + (key - GLFW_KEY_A));
}

// The code a layout key has by its label: a letter's code for a letter, a punctuation key's code (as on a US
// keyboard) where a letter position carries punctuation; -1 where the position decides (the digit row, the
// punctuation keys whose label is not a letter, and letters of other scripts).
int codeOfLabel(int key, const char* label)
{
    if (!isLayoutKey(key) || isDigitRow(key))
        return -1;
    const char c = lowerAscii(asciiLabel(label));
    if (c == 0)
        return -1;   // no layout information, or a letter of another script: the position's letter
    if (c == '-')
        return KeyCode::Unknown;   // the minus key has no code wherever the layout puts it
    if (c >= 'a' && c <= 'z')
        return KeyCode::A + (c - 'a');
    if (!isLetterKey(key))
        return -1;
    switch (c) {
    case ';': return KeyCode::Semicolon;
    case '=': return KeyCode::Equals;
    case ',': return KeyCode::Comma;
    case '.': return KeyCode::Period;
    case '/': return KeyCode::Slash;
    case '`': return KeyCode::Backquote;
    case '[': return KeyCode::LeftBracket;
    case '\\': return KeyCode::Backslash;
    case ']': return KeyCode::RightBracket;
    case '\'': return KeyCode::Quote;
    case '<': return KeyCode::Less;
    default: return KeyCode::Unknown;
    }
}

bool isKeypadNumber(int key) { return (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9) || key == GLFW_KEY_KP_DECIMAL; }

int toPixel(double v)
{
    const double f = std::floor(v);
    if (f < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    if (f > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(f);
}

} // namespace

unsigned InputTranslator::modifierBits(int mods)
{
    unsigned bits = 0;
    if (mods & GLFW_MOD_SHIFT)
        bits |= Modifier::Shift;
    if (mods & GLFW_MOD_ALT)
        bits |= Modifier::Alt;
    if (mods & GLFW_MOD_CONTROL)
        bits |= Modifier::Ctrl;
    if (mods & GLFW_MOD_SUPER)
        bits |= Modifier::Meta;
    return bits;
}

int InputTranslator::keyCode(int key, int mods, const char* label)
{
    if (const int code = codeOfLabel(key, label); code >= 0)
        return code;
    if (isKeypadNumber(key) && !(mods & GLFW_MOD_NUM_LOCK))
        key = keypadNavigationKey(key);
    if (key == -2)
        return KeyCode::Clear;
    if (key >= GLFW_KEY_A && key <= GLFW_KEY_Z)
        return KeyCode::A + (key - GLFW_KEY_A);
    if (key >= GLFW_KEY_0 && key <= GLFW_KEY_9)
        return KeyCode::Digit0 + (key - GLFW_KEY_0);
    if (key >= GLFW_KEY_KP_0 && key <= GLFW_KEY_KP_9)
        return KeyCode::Keypad0 + (key - GLFW_KEY_KP_0);
    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F15)
        return KeyCode::F1 + (key - GLFW_KEY_F1);
    switch (key) {
    case GLFW_KEY_BACKSPACE: return KeyCode::Backspace;
    case GLFW_KEY_TAB: return KeyCode::Tab;
    case GLFW_KEY_ENTER:
    case GLFW_KEY_KP_ENTER: return KeyCode::Return;
    case GLFW_KEY_PAUSE: return KeyCode::Pause;
    case GLFW_KEY_ESCAPE: return KeyCode::Escape;
    case GLFW_KEY_SPACE: return KeyCode::Space;
    case GLFW_KEY_DELETE: return KeyCode::Delete;
    case GLFW_KEY_KP_DECIMAL: return KeyCode::KeypadDecimal;
    case GLFW_KEY_KP_DIVIDE: return KeyCode::KeypadDivide;
    case GLFW_KEY_KP_MULTIPLY: return KeyCode::KeypadMultiply;
    case GLFW_KEY_KP_SUBTRACT: return KeyCode::KeypadMinus;
    case GLFW_KEY_KP_ADD: return KeyCode::KeypadPlus;
    case GLFW_KEY_UP: return KeyCode::Up;
    case GLFW_KEY_DOWN: return KeyCode::Down;
    case GLFW_KEY_RIGHT: return KeyCode::Right;
    case GLFW_KEY_LEFT: return KeyCode::Left;
    case GLFW_KEY_INSERT: return KeyCode::Insert;
    case GLFW_KEY_HOME: return KeyCode::Home;
    case GLFW_KEY_END: return KeyCode::End;
    case GLFW_KEY_PAGE_UP: return KeyCode::PageUp;
    case GLFW_KEY_PAGE_DOWN: return KeyCode::PageDown;
    case GLFW_KEY_NUM_LOCK: return KeyCode::NumLock;
    case GLFW_KEY_CAPS_LOCK: return KeyCode::CapsLock;
    case GLFW_KEY_SCROLL_LOCK: return KeyCode::ScrollLock;
    case GLFW_KEY_RIGHT_SHIFT: return KeyCode::RightShift;
    case GLFW_KEY_LEFT_SHIFT: return KeyCode::LeftShift;
    case GLFW_KEY_RIGHT_CONTROL: return KeyCode::RightCtrl;
    case GLFW_KEY_LEFT_CONTROL: return KeyCode::LeftCtrl;
    case GLFW_KEY_RIGHT_ALT: return KeyCode::RightAlt;
    case GLFW_KEY_LEFT_ALT: return KeyCode::LeftAlt;
    case GLFW_KEY_LEFT_SUPER: return KeyCode::LeftMeta;
    case GLFW_KEY_RIGHT_SUPER: return KeyCode::RightMeta;
    case GLFW_KEY_PRINT_SCREEN: return KeyCode::Print;
    case GLFW_KEY_MENU: return KeyCode::Menu;
    case GLFW_KEY_SEMICOLON: return KeyCode::Semicolon;
    case GLFW_KEY_EQUAL: return KeyCode::Equals;
    case GLFW_KEY_COMMA: return KeyCode::Comma;
    case GLFW_KEY_PERIOD: return KeyCode::Period;
    case GLFW_KEY_SLASH: return KeyCode::Slash;
    case GLFW_KEY_GRAVE_ACCENT: return KeyCode::Backquote;
    case GLFW_KEY_LEFT_BRACKET: return KeyCode::LeftBracket;
    case GLFW_KEY_BACKSLASH: return KeyCode::Backslash;
    case GLFW_KEY_RIGHT_BRACKET: return KeyCode::RightBracket;
    case GLFW_KEY_APOSTROPHE: return KeyCode::Quote;
    // The "< >" key beside the left Shift: GLFW reports it as WORLD_1 on X11 and as WORLD_2 on Windows.
    case GLFW_KEY_WORLD_1:
    case GLFW_KEY_WORLD_2: return KeyCode::Less;
    default: return KeyCode::Unknown;                   // the minus key among others
    }
}

char InputTranslator::keyCharacter(int key, int mods)
{
    const bool shift = mods & GLFW_MOD_SHIFT;
    if (key >= GLFW_KEY_A && key <= GLFW_KEY_Z) {
        const bool upper = shift != static_cast<bool>(mods & GLFW_MOD_CAPS_LOCK);
        return static_cast<char>((upper ? 'A' : 'a') + (key - GLFW_KEY_A));
    }
    if (key >= GLFW_KEY_0 && key <= GLFW_KEY_9)
        return shift ? ")!@#$%^&*("[key - GLFW_KEY_0] : static_cast<char>('0' + (key - GLFW_KEY_0));
    if (isKeypadNumber(key)) {
        if (!(mods & GLFW_MOD_NUM_LOCK))
            return 0;
        return key == GLFW_KEY_KP_DECIMAL ? '.' : static_cast<char>('0' + (key - GLFW_KEY_KP_0));
    }
    struct Pair {
        int key;
        char plain, shifted;
    };
    static constexpr Pair table[] = {
        {GLFW_KEY_SPACE, ' ', ' '},         {GLFW_KEY_APOSTROPHE, '\'', '"'}, {GLFW_KEY_COMMA, ',', '<'},
        {GLFW_KEY_MINUS, '-', '_'},         {GLFW_KEY_PERIOD, '.', '>'},      {GLFW_KEY_SLASH, '/', '?'},
        {GLFW_KEY_SEMICOLON, ';', ':'},     {GLFW_KEY_EQUAL, '=', '+'},       {GLFW_KEY_LEFT_BRACKET, '[', '{'},
        {GLFW_KEY_BACKSLASH, '\\', '|'},    {GLFW_KEY_RIGHT_BRACKET, ']', '}'}, {GLFW_KEY_GRAVE_ACCENT, '`', '~'},
        {GLFW_KEY_WORLD_1, '<', '>'},       {GLFW_KEY_WORLD_2, '<', '>'},     {GLFW_KEY_ENTER, '\r', '\r'},
        {GLFW_KEY_KP_ENTER, '\r', '\r'},    {GLFW_KEY_TAB, '\t', '\t'},       {GLFW_KEY_BACKSPACE, '\b', '\b'},
        {GLFW_KEY_ESCAPE, 27, 27},          {GLFW_KEY_KP_DIVIDE, '/', '/'},   {GLFW_KEY_KP_MULTIPLY, '*', '*'},
        {GLFW_KEY_KP_SUBTRACT, '-', '-'},   {GLFW_KEY_KP_ADD, '+', '+'},
    };
    for (const Pair& entry : table)
        if (entry.key == key)
            return shift ? entry.shifted : entry.plain;
    return 0;
}

char InputTranslator::characterWithoutText(int key, int mods, const char* label)
{
    if (!label || !isLayoutKey(key))
        return keyCharacter(key, mods);
    if (isLetterKey(key) && isOtherScriptLetter(firstCodepoint(label)))
        return placeLetter(key, mods);
    const char c = asciiLabel(label);
    if (c && c == keyCharacter(key, 0))
        return keyCharacter(key, mods);   // the layout agrees with the US one here
    if (c >= 'a' && c <= 'z') {
        const bool upper = static_cast<bool>(mods & GLFW_MOD_SHIFT) != static_cast<bool>(mods & GLFW_MOD_CAPS_LOCK);
        return upper ? static_cast<char>(c - 'a' + 'A') : c;
    }
    // What Shift makes of another label only the layout knows; without text input it gives no character.
    return mods & GLFW_MOD_SHIFT ? 0 : c;
}

void InputTranslator::deliverPending()
{
    if (!pending_)
        return;
    pending_ = false;
    const int key = pendingEvent_.nativeKeyCode;
    if (key >= 0 && key < static_cast<int>(std::size(pressedCharacter_)))
        pressedCharacter_[key] = pendingEvent_.character;
    else if (key == GLFW_KEY_UNKNOWN)
        unnamedPressed_[pendingScancode_] = pendingEvent_.character;
    target_.keyDown(pendingEvent_);
}

void InputTranslator::flush() { deliverPending(); }

void InputTranslator::character(unsigned codepoint)
{
    if (!pending_)
        return;   // text without a key press of ours (an input method's): the key events already went
    // The event's character is 8 bits wide: Latin-1 reaches it. A letter key typing a letter of another script gives
    // its place's Latin letter, so that shortcuts work with a Cyrillic or Greek layout; other characters give 0.
    const int key = pendingEvent_.nativeKeyCode;
    if (isLetterKey(key) && isOtherScriptLetter(codepoint))
        pendingEvent_.character = placeLetter(key, pendingMods_);
    else
        pendingEvent_.character = codepoint < 256 ? static_cast<char>(codepoint) : 0;
    deliverPending();
}

void InputTranslator::key(int key, int scancode, int action, int mods, const char* label)
{
    deliverPending();
    // The window system reports the modifiers as they were before this key; a modifier key's own press or
    // release is already part of the state the event carries.
    if (const int own = modifierOfKey(key)) {
        if (action == GLFW_RELEASE)
            mods &= ~own;
        else
            mods |= own;
    }
    mods_ = mods;

    KeyEvent event;
    event.code = keyCode(key, mods, label);
    event.character = characterWithoutText(key, mods, label);
    event.modifiers = modifierBits(mods);
    event.nativeKeyCode = key;
    const bool known = key >= 0 && key < static_cast<int>(std::size(pressedCharacter_));
    if (action == GLFW_RELEASE) {
        if (known && label)
            event.character = pressedCharacter_[key];
        if (key == GLFW_KEY_UNKNOWN) {
            if (const auto pressed = unnamedPressed_.find(scancode); pressed != unnamedPressed_.end()) {
                event.character = pressed->second;
                unnamedPressed_.erase(pressed);
            }
        }
        target_.keyUp(event);
    } else if (label && (isLayoutKey(key) || isKeypadNumber(key) || key == GLFW_KEY_SPACE ||
                         (key >= GLFW_KEY_KP_DIVIDE && key <= GLFW_KEY_KP_ADD) || key == GLFW_KEY_UNKNOWN)) {
        // A key without a place on the US keyboard may type too: on-screen keyboards and input tools bind a
        // spare key to the character they send, and some keyboards have extra keys.
        pending_ = true;   // its text input follows
        pendingEvent_ = event;
        pendingScancode_ = scancode;
        pendingMods_ = mods;
    } else {
        if (known)
            pressedCharacter_[key] = event.character;
        target_.keyDown(event);
    }
}

unsigned InputTranslator::buttonBits() const
{
    return (buttonDown_[0] ? Modifier::LeftDown : 0u) | (buttonDown_[1] ? Modifier::RightDown : 0u) |
           (buttonDown_[2] ? Modifier::MiddleDown : 0u);
}

MouseEvent InputTranslator::mouseEvent(int initiator) const
{
    MouseEvent event;
    event.initiator = initiator;
    event.x = x_;
    event.y = y_;
    event.modifiers = buttonBits() | modifierBits(mods_);
    event.nativeModifiers = static_cast<std::uint32_t>(mods_) | (buttonBits() << 8);
    return event;
}

void InputTranslator::mouseButton(int button, int action, int mods)
{
    deliverPending();
    if (button < GLFW_MOUSE_BUTTON_LEFT || button > GLFW_MOUSE_BUTTON_MIDDLE)
        return;
    static constexpr int initiators[] = {MouseEvent::LeftButton, MouseEvent::RightButton, MouseEvent::MiddleButton};
    mods_ = mods;
    if (action == GLFW_PRESS) {
        buttonDown_[button] = true;
        buttonHeld_ = true;
        target_.mouseDown(mouseEvent(initiators[button]));
    } else if (action == GLFW_RELEASE) {
        buttonDown_[button] = false;
        buttonHeld_ = false;   // one flag for all buttons: any release clears it
        target_.mouseUp(mouseEvent(initiators[button]));
    }
}

void InputTranslator::cursorPos(double x, double y)
{
    deliverPending();
    x_ = toPixel(x);
    y_ = toPixel(y);
    if (buttonHeld_)
        target_.mouseDrag(mouseEvent(0));
    else
        target_.mouseMove(mouseEvent(0));
}

void InputTranslator::scroll(double /*xOffset*/, double yOffset)
{
    deliverPending();
    if (yOffset == 0.0)
        return;
    MouseEvent event = mouseEvent(0);
    event.wheelIncrement = static_cast<float>(yOffset);
    target_.mouseWheel(event);
}

void InputTranslator::focus(bool focused)
{
    deliverPending();
    if (focused) {
        return;
    }
    // The window system no longer reports keys or buttons to us, so forget what was held.
    if (buttonHeld_) {
        target_.mouseUp(mouseEvent(0));
        buttonHeld_ = false;
    }
    buttonDown_[0] = buttonDown_[1] = buttonDown_[2] = false;
    mods_ &= GLFW_MOD_CAPS_LOCK | GLFW_MOD_NUM_LOCK;
}

void InputTranslator::drop(std::vector<std::string> paths)
{
    deliverPending();
    FileDropEvent event;
    event.files = std::move(paths);
    event.x = x_;
    event.y = y_;
    target_.fileDrop(event);
}

} // namespace vornix::platform
