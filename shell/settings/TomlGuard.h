// Text the TOML library (toml++ 3.3) cannot be given as it is. Where the library asks whether a character is white
// space - outside strings, after a line-ending backslash, and while it scans a bare value, which on a malformed line
// may run on into what looks like a string - U+00A1 to U+0499 (accented Latin, Greek, Cyrillic), U+2C5E to U+3057
// (but U+3000) and U+FB26 to U+FEFE run into a path it declares unreachable: undefined behaviour, not an error
// message. So the library never sees them: inside strings they become \u escapes (a literal string that holds one
// becomes the same basic string), inside comments '?', and outside both (never valid TOML) the text is refused.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vornix {

struct TextPlace {
    std::size_t line = 1, column = 1;   // 1-based; the column counts characters, not bytes
    char32_t character = 0;
};

struct GuardedToml {
    std::string text;                   // what to give the library (meaningful when nothing is refused)
    std::optional<TextPlace> refused;   // the first character that cannot stand where it is
};

// The text (UTF-8) with the same meaning and none of the characters the library mishandles, or the place of one that
// stands outside strings and comments.
GuardedToml guardToml(std::string_view text);

} // namespace vornix
