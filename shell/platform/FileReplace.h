// Replacing a file in one step: the bytes go to a new file beside it, renamed over the target name only when
// complete, so a failed write leaves any earlier file intact and no partial file behind.
#pragma once

#include <cstddef>
#include <string>

namespace vornix {

// Writes `size` bytes as the whole contents of the file at `path` (UTF-8). Returns an empty string on success, else
// the reason as one line ("cannot create <path>: ...", "cannot write <path>: ...").
std::string replaceFileContents(const std::string& path, const void* data, std::size_t size);

} // namespace vornix
