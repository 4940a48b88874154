// Finding a font by family name: fontconfig on Linux, the fonts registered with Windows there.
#pragma once

#include <string>
#include <utility>

namespace vornix {

// The font file (and face index in it) the platform picks for a family, as it would substitute it.
// Throws FontLoadExc when there is no match.
std::pair<std::string, int> matchFontFamily(const std::string& family);

} // namespace vornix
