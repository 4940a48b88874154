#include "app/studio/ColourImport.h"

#include <algorithm>
#include <cmath>

#include "shell/Path.h"
#include "shell/formats/GimpGradient.h"
#include "shell/formats/GimpPalette.h"
#include "shell/formats/StopFit.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageTargetSurface.h"
#include "shell/settings/WholeFile.h"

namespace vornix {

namespace {

std::string stemOf(const std::string& path)
{
    const std::string name = fileName(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::vector<ColorStop> paletteStops(const std::vector<ColorA>& colors)
{
    std::vector<ColorStop> stops;
    if (colors.size() == 1)
        return {{0.0f, colors[0].r, colors[0].g, colors[0].b, 1.0f}, {1.0f, colors[0].r, colors[0].g, colors[0].b, 1.0f}};
    const float last = static_cast<float>(colors.size() - 1);
    for (std::size_t k = 0; k < colors.size(); ++k)
        stops.push_back({k + 1 == colors.size() ? 1.0f : static_cast<float>(k) / last, colors[k].r, colors[k].g,
                         colors[k].b, 1.0f});
    return stops;
}

// The middle row of the picture (the file's bytes), as colours 0..1, left to right.
std::vector<ColorA> middleRow(const std::string& bytes, const std::string& path)
{
    const Buffer buffer(bytes.data(), bytes.size());
    const Surface8u surface = loadSurface(DataSourceBuffer::create(buffer, path));
    std::vector<ColorA> row;
    if (surface.getHeight() == 0)
        return row;
    const int y = surface.getHeight() / 2;
    for (int x = 0; x < surface.getWidth(); ++x) {
        const std::uint8_t* p = surface.getPixel(x, y);
        row.push_back({p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, 1.0f});
    }
    return row;
}

// The row as a function of position 0..1, linear between pixel centres (the first pixel at 0, the last at 1).
ColorA rowColor(const std::vector<ColorA>& row, float position)
{
    if (row.size() == 1)
        return row[0];
    const float x = std::clamp(position, 0.0f, 1.0f) * static_cast<float>(row.size() - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(x), row.size() - 2);
    const float f = x - static_cast<float>(i);
    const ColorA &a = row[i], &b = row[i + 1];
    return {a.r + f * (b.r - a.r), a.g + f * (b.g - a.g), a.b + f * (b.b - a.b), 1.0f};
}

} // namespace

bool isColourFile(const std::string& path)
{
    const std::string ext = toLowerAscii(pathExtension(path));
    return ext == "ggr" || ext == "gpl" || ext == "png" || ext == "jpg" || ext == "jpeg";
}

std::optional<OwnScheme> importColourFile(const std::string& path, std::string& error)
{
    if (!isColourFile(path)) {
        error = "Cannot import " + path + ": vornix reads colours from .ggr, .gpl, .png and .jpg files";
        return std::nullopt;
    }
    std::string why;
    const auto text = readWholeFile(path, MaxImportBytes, why);
    if (!text) {
        error = "Cannot import: " + why;
        return std::nullopt;
    }
    return importColourBytes(*text, path, error);
}

std::optional<OwnScheme> importColourBytes(const std::string& bytes, const std::string& path, std::string& error)
{
    const std::string ext = toLowerAscii(pathExtension(path));
    OwnScheme scheme{stemOf(path), {}};
    std::string why;
    const bool picture = ext == "png" || ext == "jpg" || ext == "jpeg";
    if (!picture) {
        if (ext == "ggr") {
            if (const auto gradient = parseGimpGradient(bytes, why)) {
                scheme.stops = fitStops([&](float x) { return gimpGradientColor(*gradient, x); });
                if (!gradient->name.empty())
                    scheme.name = gradient->name;
            }
        } else if (const auto palette = parseGimpPalette(bytes, why)) {
            scheme.stops = paletteStops(palette->colors);
            if (!palette->name.empty())
                scheme.name = palette->name;
        }
    } else {
        try {
            const auto row = middleRow(bytes, path);
            if (row.empty())
                throw std::runtime_error("the picture has no pixels");
            scheme.stops = fitStops([&](float x) { return rowColor(row, x); });
        } catch (const std::exception& e) {
            why = e.what();
            if (why.empty())
                why = "the picture cannot be decoded";
        }
    }
    if (why.empty() && !checkName(scheme.name).empty())
        scheme.name = "Imported";
    if (why.empty())
        why = checkStops(scheme.stops);
    if (!why.empty()) {
        error = "Cannot import " + path + ": " + why;
        return std::nullopt;
    }
    return scheme;
}

} // namespace vornix
