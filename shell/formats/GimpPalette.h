// GIMP palettes (.gpl): a "GIMP Palette" line, optional "Name:" and "Columns:" lines, '#' comments, then one colour
// per line as "R G B [name]" (0..255 each). Lines of the form "#rrggbb [name]", as palettes copied from the web
// often have, are read as colours too.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Color.h"

namespace vornix {

constexpr std::size_t MaxPaletteColors = 2048;

struct GimpPalette {
    std::string name;             // empty when the file names none
    std::vector<ColorA> colors;   // in file order, alpha 1
};

// Nothing, with `error` saying what is wrong and on which line, when the text is not a usable palette (no colours,
// a value outside 0..255, more than MaxPaletteColors colours).
std::optional<GimpPalette> parseGimpPalette(std::string_view text, std::string& error);

} // namespace vornix
