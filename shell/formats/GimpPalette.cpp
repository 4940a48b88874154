#include "shell/formats/GimpPalette.h"

#include <cctype>

#include "shell/formats/TextLines.h"

namespace vornix {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "#rrggbb" alone or followed by a blank and a name.
std::optional<ColorA> hexColor(std::string_view line)
{
    if (line.size() < 7 || line[0] != '#' || (line.size() > 7 && line[7] != ' ' && line[7] != '\t'))
        return std::nullopt;
    float c[3];
    for (int k = 0; k < 3; ++k) {
        const int hi = hexDigit(line[1 + 2 * k]), lo = hexDigit(line[2 + 2 * k]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        c[k] = static_cast<float>(hi * 16 + lo) / 255.0f;
    }
    return ColorA{c[0], c[1], c[2], 1.0f};
}

} // namespace

std::optional<GimpPalette> parseGimpPalette(std::string_view text, std::string& error)
{
    TextLines lines(text);
    std::string_view line;
    if (!lines.next(line) || trimmed(line) != "GIMP Palette") {
        error = "not a GIMP palette (the first line is not \"GIMP Palette\")";
        return std::nullopt;
    }
    GimpPalette palette;
    while (lines.next(line)) {
        const std::string_view t = trimmed(line);
        const std::string where = "line " + std::to_string(lines.number()) + ": ";
        if (t.empty())
            continue;
        if (t.rfind("Name:", 0) == 0) {
            palette.name = trimmed(t.substr(5));
            continue;
        }
        if (t.rfind("Columns:", 0) == 0)
            continue;
        std::optional<ColorA> color;
        if (t[0] == '#') {
            color = hexColor(t);
            if (!color)
                continue;   // a comment
        } else {
            const std::vector<double> v = parseNumbers(t);
            if (v.size() < 3) {
                error = where + "a colour is three numbers from 0 to 255";
                return std::nullopt;
            }
            for (int k = 0; k < 3; ++k)
                if (!(v[k] >= 0.0 && v[k] <= 255.0)) {
                    error = where + "a colour value lies outside 0 to 255";
                    return std::nullopt;
                }
            color = ColorA{static_cast<float>(v[0] / 255.0), static_cast<float>(v[1] / 255.0),
                           static_cast<float>(v[2] / 255.0), 1.0f};
        }
        if (palette.colors.size() == MaxPaletteColors) {
            error = "the palette has more than " + std::to_string(MaxPaletteColors) + " colours";
            return std::nullopt;
        }
        palette.colors.push_back(*color);
    }
    if (palette.colors.empty()) {
        error = "the palette has no colours";
        return std::nullopt;
    }
    return palette;
}

} // namespace vornix
