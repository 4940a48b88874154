// Fuzz target: a preset or colour-scheme file as the user's settings folder or a drop may hold it. Reading must never
// crash; what it accepts must be usable (the panel's ranges, finite, a scheme that covers 0 to 1) and must come back
// the same through writing and reading again.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/studio/OwnFiles.h"
#include "shell/settings/SettingsFolder.h"

using namespace vornix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TomlDocument doc = parseToml(text, "fuzz.toml");
    if (!doc)
        return 0;
    std::string error;
    if (const auto preset = presetFromDocument(doc.table, error)) {
        const Preset& p = preset->values;
        if (!(p.deltaTime >= 0.01f && p.deltaTime <= 1.0f) || !std::isfinite(p.brushSizeDensity) || p.quality < 10 ||
            p.quality > 1000 || (preset->scheme && !checkStops(preset->scheme->stops).empty()))
            std::abort();
        const auto again = presetFromDocument(parseToml(tomlText(presetDocument(*preset)), "again").table, error);
        if (!again || again->values.deltaTime != p.deltaTime || again->values.name != p.name)
            std::abort();
    }
    if (const auto scheme = schemeFromDocument(doc.table, error)) {
        if (!checkStops(scheme->stops).empty())
            std::abort();
        const auto again = schemeFromDocument(parseToml(tomlText(schemeDocument(*scheme)), "again").table, error);
        if (!again || again->stops != scheme->stops)
            std::abort();
    }
    return 0;
}
