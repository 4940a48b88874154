// Colour files of other programs as own colour schemes: GIMP gradients (.ggr), GIMP palettes (.gpl: N colours give N
// evenly spaced stops, one colour a flat gradient) and image strips (.png, .jpg, .jpeg: the middle row, left to
// right). The scheme is named as the file says ("Name:"), else after the file.
#pragma once

#include <optional>
#include <string>

#include "app/studio/OwnFiles.h"

namespace vornix {

// Files larger than this are refused before they are read.
constexpr std::size_t MaxImportBytes = 64u << 20;

// Whether the file's extension is one of the colour files above (compared without case).
bool isColourFile(const std::string& path);
// Nothing, with `error` naming the file and saying why, when it cannot be read.
std::optional<OwnScheme> importColourFile(const std::string& path, std::string& error);
// The same from the file's bytes; `path` names it in messages, and its extension says which kind of file it is.
std::optional<OwnScheme> importColourBytes(const std::string& bytes, const std::string& path, std::string& error);

} // namespace vornix
