// Definition strings of the parameter panel: "key=space help='Pause simulation' min=0 max=100 step=1" for an entry,
// "sameline=true" for a button that shares the row of the button before it, "lines=2" for a text that keeps room for
// two lines,
// "`Title` size='280 480' color='76 76 76' alpha=102" for a panel. Parsed here so that the panel can enforce ranges,
// show help and act on shortcuts. Bad parts are collected as messages and skipped; parsing never throws.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Events.h"

namespace vornix {

// A keyboard shortcut: either a character (case-sensitive, Shift already in it) or a named key code, each with the
// Control and Alt state it needs. Named keys also need their Shift state.
struct KeyShortcut {
    char character = 0;     // printable character, or 0 for a named key
    int code = 0;           // KeyCode value of a named key
    bool ctrl = false, alt = false, shift = false;

    bool matches(const KeyEvent& event) const;
    bool operator==(const KeyShortcut&) const = default;
};

// Parses "r", "space", "right", "ESC", "F5", "CTRL+s", "ALT+SHIFT+x"; nullopt when the text names no key.
std::optional<KeyShortcut> parseKeyShortcut(std::string_view text);

// What a definition string says. Absent attributes stay empty.
struct Definition {
    // entry attributes
    std::optional<KeyShortcut> key;
    std::string keyText;                  // the key as written, for tooltips
    std::string help;
    std::optional<int> precision;
    std::optional<double> min, max, step;
    bool sameLine = false;                // a button beside the button before it ("sameline=true")
    std::optional<int> lines;             // a text's height in lines at least ("lines=2"), so rows below stay put
    // panel attributes
    std::string barName;                  // the back-quoted name in front
    std::optional<std::array<int, 2>> size;
    std::optional<std::array<int, 3>> color;
    std::optional<int> alpha;

    std::vector<std::string> errors;      // one message per part that was ignored
};

enum class DefinitionTarget { Entry, Panel };

Definition parseDefinition(std::string_view text, DefinitionTarget target);

} // namespace vornix
