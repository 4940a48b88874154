// Reading a whole file the user named (a preset, a palette, a picture) with a size limit, so a huge or endless file
// is refused with a message instead of filling the memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vornix {

// The bytes of the file at `path` (UTF-8), or nothing with `error` set: "cannot read PATH: reason", or "PATH is too
// large (N bytes; at most LIMIT)".
std::optional<std::string> readWholeFile(const std::string& path, std::size_t limit, std::string& error);

} // namespace vornix
