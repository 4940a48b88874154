// The user's own presets and colour schemes as TOML documents (one file each, `format = 1`):
//
//     format = 1                      format = 1
//     name = "Slow Ink"               name = "Sunset"
//     color_scheme = 3                [[stops]]
//     brush_size_density = 20.0       position = 0.0
//     ...                             color = [ 0.1, 0.0, 0.3 ]
//     engine = "GPU"                  ...
//     [scheme]            (optional: the preset's own colour scheme, as in a scheme file)
//
// Floats are written with every digit they need, so a saved and re-read value is bit-identical. Reading checks every
// field: its presence, its type, the parameter panel's range, finiteness; a document written by a newer vornix
// (a higher `format`) is refused rather than half understood.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <toml++/toml.h>

#include "app/Preset.h"
#include "shell/Color.h"

namespace vornix {

// The newest document format this program writes and reads.
constexpr int OwnFormat = 1;
// More stops than this are refused (an editor could not show them; the table has 2,048 entries).
constexpr std::size_t MaxOwnStops = 2048;

// A colour scheme of the user's own: its name and at least two stops, the first at 0, the last at 1 (so no density
// falls outside the gradient), colours 0..1, alpha 1.
struct OwnScheme {
    std::string name;
    std::vector<ColorStop> stops;
    bool operator==(const OwnScheme&) const = default;
};

// A preset of the user's own: every field applying a preset sets (the name among them), and optionally the colour
// scheme of its own that it shows instead of values.colorScheme.
struct OwnPreset {
    Preset values;
    std::optional<OwnScheme> scheme;
};

toml::table presetDocument(const OwnPreset& preset);
toml::table schemeDocument(const OwnScheme& scheme);
// Nothing, with `error` saying which field is wrong and how, when the document cannot be used.
std::optional<OwnPreset> presetFromDocument(const toml::table& doc, std::string& error);
std::optional<OwnScheme> schemeFromDocument(const toml::table& doc, std::string& error);
// A scheme document has its stops at the top level; everything else is read as a preset.
bool isSchemeDocument(const toml::table& doc);

// Why these stops cannot be a scheme, or empty.
std::string checkStops(const std::vector<ColorStop>& stops);
// The values a preset may hold: the parameter panel's ranges (brushes 1..100, velocity precision 0..100, viscosity
// 0..10000, diffusion 0..5000, delta time 0.01..1, quality 10..1000). Values the program reached by itself beyond them
// (a brush scaled up with the grid) are brought into range, as the panel does when the user touches them.
void clampToPanelRanges(Preset& preset);

// A name with something visible in it (not only spaces), at most 1000 bytes of UTF-8: empty, else why not.
std::string checkName(const std::string& name);
// A file name (without ".toml") for `name` that every platform accepts: no characters Windows forbids or control
// characters, no leading dot or trailing dot or space, not a reserved device name (CON, NUL, COM1, ...), at most
// 80 bytes, cut at a character boundary. The name itself is kept inside the file.
std::string safeFileStem(const std::string& name);

} // namespace vornix
