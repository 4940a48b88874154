// Text the TOML library (toml++ 3.3) cannot be given safely. Where it looks for white space — outside strings and
// comments, and after a line-ending backslash in a multi-line string — it asks whether a character is white space,
// and for U+00A1 to U+0499 (accented Latin, Greek, Cyrillic), U+2C5E to U+3057 (but U+3000) and U+FB26 to U+FEFE
// that question runs into a path the library declares unreachable: undefined behaviour, not an error message. Outside
// strings such a character is never valid TOML; after a line-ending backslash it would be, and is refused as well.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vornix {

struct TextPlace {
    std::size_t line = 1, column = 1;   // 1-based; the column counts characters, not bytes
    char32_t character = 0;
};

// The first character of `text` (UTF-8) the library must not see where it looks for white space, or nothing.
std::optional<TextPlace> unsafeTomlCharacter(std::string_view text);

} // namespace vornix
