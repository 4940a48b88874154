// Input event records, modifier bits and key codes, as the shell hands them to the application's hooks and to the
// registered event callbacks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornix {

// Modifier bits. Button bits appear only in mouse events.
namespace Modifier {
constexpr unsigned LeftDown = 0x01;
constexpr unsigned RightDown = 0x02;
constexpr unsigned MiddleDown = 0x04;
constexpr unsigned Shift = 0x08;
constexpr unsigned Alt = 0x10;
constexpr unsigned Ctrl = 0x20;
constexpr unsigned Meta = 0x40;
} // namespace Modifier

struct Event {};

struct MouseEvent : Event {
    static constexpr int LeftButton = 1, RightButton = 2, MiddleButton = 4;

    int initiator = 0;            // 1 left, 2 right, 4 middle; 0 for move, drag, wheel and focus loss
    int x = 0, y = 0;             // client pixels, origin top-left, y down; negative outside while captured
    unsigned modifiers = 0;       // Modifier bits
    float wheelIncrement = 0.0f;  // wheel notches
    std::uint32_t nativeModifiers = 0;

    bool isLeftDown() const { return modifiers & Modifier::LeftDown; }
    bool isRightDown() const { return modifiers & Modifier::RightDown; }
    bool isMiddleDown() const { return modifiers & Modifier::MiddleDown; }
};

struct KeyEvent : Event {
    int code = 0;                 // KeyCode value; 0 for keys outside the table
    char character = 0;           // the one character the key produces (Shift honoured, Control ignored), else 0
    unsigned modifiers = 0;       // Shift, Alt, Ctrl, Meta bits only
    int nativeKeyCode = 0;        // the platform's key code
};

struct ResizeEvent : Event {
    int width = 0, height = 0;
};

struct FileDropEvent : Event {
    std::vector<std::string> files;
    int x = 0, y = 0;
};

// The key codes the shell reports (letters as lower-case codes).
namespace KeyCode {
constexpr int Unknown = 0;
constexpr int Backspace = 8, Tab = 9, Clear = 12, Return = 13, Pause = 19, Escape = 27, Space = 32, Delete = 127;
constexpr int Quote = 39, Comma = 44, Period = 46, Slash = 47;
constexpr int Digit0 = 48;   // .. 57
constexpr int Semicolon = 59, Less = 60, Equals = 61;
constexpr int LeftBracket = 91, Backslash = 92, RightBracket = 93, Backquote = 96;
constexpr int A = 97;        // .. 122
constexpr int Keypad0 = 256; // .. 265
constexpr int KeypadDecimal = 266, KeypadDivide = 267, KeypadMultiply = 268, KeypadMinus = 269, KeypadPlus = 270;
constexpr int Up = 273, Down = 274, Right = 275, Left = 276, Insert = 277, Home = 278, End = 279;
constexpr int PageUp = 280, PageDown = 281;
constexpr int F1 = 282;      // .. F15 = 296
constexpr int NumLock = 300, CapsLock = 301, ScrollLock = 302;
constexpr int RightShift = 303, LeftShift = 304, RightCtrl = 305, LeftCtrl = 306, RightAlt = 307, LeftAlt = 308;
constexpr int LeftMeta = 311, RightMeta = 312;
constexpr int Help = 315, Print = 316, Cancel = 318, Menu = 319;
} // namespace KeyCode

} // namespace vornix
