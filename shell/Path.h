// Path helpers for file names chosen by the user. '/' separates folders (on Windows '\\' too); the extension belongs
// to the last component only, so "a.b/c" has none. Paths are UTF-8 text inside the program.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vornix {

// The text after the last '.' of the last path component, without the dot; empty when that component has no '.'.
std::string pathExtension(std::string_view path);

// The path with its extension replaced by `extension` (given without the dot), or with ".extension" appended when
// the last component has none. An empty `extension` removes the extension and its dot.
std::string replaceExtension(std::string_view path, std::string_view extension);

// Everything before the last separator, or empty when there is none ("/" for a file directly in the root).
std::string parentPath(std::string_view path);

// The last path component.
std::string fileName(std::string_view path);

// A UTF-8 path as the system's path type: on Windows its wide-character form, so file calls made with it reach names
// outside the current code page.
std::filesystem::path pathFromUtf8(std::string_view path);
// The other way: a system path as UTF-8 text.
std::string utf8FromPath(const std::filesystem::path& path);

// ASCII lower case (extensions compare in lower case).
std::string toLowerAscii(std::string_view text);

} // namespace vornix
