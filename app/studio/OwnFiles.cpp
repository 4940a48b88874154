#include "app/studio/OwnFiles.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string_view>

namespace vornix {

namespace {

// Reads one field and checks it; every failure throws a message naming the field.
struct FieldError {
    std::string text;
};

const toml::node& field(const toml::table& doc, const char* key)
{
    const toml::node* node = doc.get(key);
    if (!node)
        throw FieldError{std::string("the field '") + key + "' is missing"};
    return *node;
}

std::string at(const toml::node& node)
{
    const auto& b = node.source().begin;
    return b.line ? " (line " + std::to_string(b.line) + ", column " + std::to_string(b.column) + ")" : std::string();
}

long long integer(const toml::table& doc, const char* key, long long lo, long long hi)
{
    const toml::node& node = field(doc, key);
    const auto value = node.as_integer();
    if (!value)
        throw FieldError{std::string("'") + key + "' must be a whole number" + at(node)};
    const long long v = value->get();
    if (v < lo || v > hi)
        throw FieldError{std::string("'") + key + "' is " + std::to_string(v) + ", outside " + std::to_string(lo) +
                         " to " + std::to_string(hi) + at(node)};
    return v;
}

double number(const toml::node& node, const std::string& what)
{
    if (const auto f = node.as_floating_point()) {
        if (!std::isfinite(f->get()))
            throw FieldError{what + " is not a finite number" + at(node)};
        return f->get();
    }
    if (const auto i = node.as_integer())
        return static_cast<double>(i->get());
    throw FieldError{what + " must be a number" + at(node)};
}

float decimal(const toml::table& doc, const char* key, double lo, double hi)
{
    const toml::node& node = field(doc, key);
    const double v = number(node, std::string("'") + key + "'");
    // The value is read as written: a float stored by this program comes back exactly.
    const float f = static_cast<float>(v);
    if (!(f >= static_cast<float>(lo) && f <= static_cast<float>(hi)))
        throw FieldError{std::string("'") + key + "' is " + std::to_string(v) + ", outside " + std::to_string(lo) +
                         " to " + std::to_string(hi) + at(node)};
    return f;
}

bool flag(const toml::table& doc, const char* key)
{
    const toml::node& node = field(doc, key);
    const auto value = node.as_boolean();
    if (!value)
        throw FieldError{std::string("'") + key + "' must be true or false" + at(node)};
    return value->get();
}

std::string text(const toml::table& doc, const char* key)
{
    const toml::node& node = field(doc, key);
    const auto value = node.as_string();
    if (!value)
        throw FieldError{std::string("'") + key + "' must be a text in quotes" + at(node)};
    return value->get();
}

void checkFormat(const toml::table& doc)
{
    const toml::node& node = field(doc, "format");
    const auto value = node.as_integer();
    if (!value || value->get() < 1)
        throw FieldError{"'format' must be a whole number from 1" + at(node)};
    if (value->get() > OwnFormat)
        throw FieldError{"it was written by a newer vornix (format " + std::to_string(value->get()) +
                         "; this one reads format " + std::to_string(OwnFormat) + ")"};
}

OwnScheme readScheme(const toml::table& doc)
{
    OwnScheme scheme;
    scheme.name = text(doc, "name");
    if (const std::string why = checkName(scheme.name); !why.empty())
        throw FieldError{"'name' " + why};
    const toml::node& node = field(doc, "stops");
    const toml::array* stops = node.as_array();
    if (!stops)
        throw FieldError{"'stops' must be a list of stops ([[stops]] sections)" + at(node)};
    if (stops->size() > MaxOwnStops)
        throw FieldError{"there are " + std::to_string(stops->size()) + " stops, more than " +
                         std::to_string(MaxOwnStops)};
    for (std::size_t k = 0; k < stops->size(); ++k) {
        const std::string which = "stop " + std::to_string(k + 1);
        const toml::table* stop = (*stops)[k].as_table();
        if (!stop)
            throw FieldError{which + " must be a section with 'position' and 'color'" + at((*stops)[k])};
        ColorStop s;
        s.position = static_cast<float>(number(field(*stop, "position"), which + "'s position"));
        const toml::node& colorNode = field(*stop, "color");
        const toml::array* rgb = colorNode.as_array();
        if (!rgb || rgb->size() != 3)
            throw FieldError{which + "'s color must be [red, green, blue]" + at(colorNode)};
        float* channels[] = {&s.r, &s.g, &s.b};
        for (std::size_t c = 0; c < 3; ++c)
            *channels[c] = static_cast<float>(number((*rgb)[c], which + "'s color"));
        s.a = 1.0f;
        scheme.stops.push_back(s);
    }
    if (const std::string why = checkStops(scheme.stops); !why.empty())
        throw FieldError{why};
    return scheme;
}

toml::table writeScheme(const OwnScheme& scheme)
{
    toml::table doc;
    doc.insert("format", OwnFormat);
    doc.insert("name", scheme.name);
    toml::array stops;
    for (const ColorStop& s : scheme.stops) {
        // Each float is stored as the double it equals, which the writer prints with every digit it needs.
        toml::table stop;
        stop.insert("position", static_cast<double>(s.position));
        stop.insert("color", toml::array{static_cast<double>(s.r), static_cast<double>(s.g), static_cast<double>(s.b)});
        stops.push_back(std::move(stop));
    }
    doc.insert("stops", std::move(stops));
    return doc;
}

} // namespace

std::string checkStops(const std::vector<ColorStop>& stops)
{
    if (stops.size() < 2)
        return "a colour scheme needs at least two stops";
    if (stops.size() > MaxOwnStops)
        return "a colour scheme has at most " + std::to_string(MaxOwnStops) + " stops";
    for (std::size_t k = 0; k < stops.size(); ++k) {
        const ColorStop& s = stops[k];
        const std::string which = "stop " + std::to_string(k + 1);
        for (const float c : {s.position, s.r, s.g, s.b})
            if (!(c >= 0.0f && c <= 1.0f))
                return which + " has a value outside 0 to 1";
        if (k > 0 && s.position < stops[k - 1].position)
            return which + " lies before the stop ahead of it";
    }
    if (stops.front().position != 0.0f || stops.back().position != 1.0f)
        return "the first stop must be at position 0 and the last at 1";
    return {};
}

void clampToPanelRanges(Preset& p)
{
    p.brushSizeDensity = std::clamp(p.brushSizeDensity, 1.0f, 100.0f);
    p.brushSizeVelocity = std::clamp(p.brushSizeVelocity, 1.0f, 100.0f);
    p.velocityPrecision = std::clamp(p.velocityPrecision, 0, 100);
    p.viscosity = std::clamp(p.viscosity, 0, 10000);
    p.diffusion = std::clamp(p.diffusion, 0, 5000);
    p.deltaTime = std::clamp(p.deltaTime, 0.01f, 1.0f);
    p.quality = std::clamp(p.quality, 10, 1000);
    p.colorScheme = std::clamp(p.colorScheme, 0, 7);
}

toml::table presetDocument(const OwnPreset& preset)
{
    const Preset& p = preset.values;
    toml::table doc;
    doc.insert("format", OwnFormat);
    doc.insert("name", p.name);
    doc.insert("color_scheme", p.colorScheme);
    doc.insert("brush_size_density", static_cast<double>(p.brushSizeDensity));
    doc.insert("brush_size_velocity", static_cast<double>(p.brushSizeVelocity));
    doc.insert("velocity_precision", p.velocityPrecision);
    doc.insert("viscosity", p.viscosity);
    doc.insert("diffusion", p.diffusion);
    doc.insert("delta_time", static_cast<double>(p.deltaTime));
    doc.insert("quality", p.quality);
    doc.insert("show_3d_lighting", p.show3DLighting);
    doc.insert("show_framerate", p.showFramerate);
    doc.insert("show_gradient_bar", p.showGradientBar);
    doc.insert("show_help", p.showHelp);
    doc.insert("paused", p.paused);
    doc.insert("engine", p.engine == EngineCPU ? "CPU" : "GPU");
    if (preset.scheme)
        doc.insert("scheme", writeScheme(*preset.scheme));
    return doc;
}

toml::table schemeDocument(const OwnScheme& scheme) { return writeScheme(scheme); }

bool isSchemeDocument(const toml::table& doc) { return doc.contains("stops"); }

std::optional<OwnPreset> presetFromDocument(const toml::table& doc, std::string& error)
{
    try {
        checkFormat(doc);
        OwnPreset own;
        Preset& p = own.values;
        p.name = text(doc, "name");
        if (const std::string why = checkName(p.name); !why.empty())
            throw FieldError{"'name' " + why};
        p.colorScheme = static_cast<int>(integer(doc, "color_scheme", 0, 7));
        p.brushSizeDensity = decimal(doc, "brush_size_density", 1.0, 100.0);
        p.brushSizeVelocity = decimal(doc, "brush_size_velocity", 1.0, 100.0);
        p.velocityPrecision = static_cast<int>(integer(doc, "velocity_precision", 0, 100));
        p.viscosity = static_cast<int>(integer(doc, "viscosity", 0, 10000));
        p.diffusion = static_cast<int>(integer(doc, "diffusion", 0, 5000));
        p.deltaTime = decimal(doc, "delta_time", 0.01, 1.0);
        p.quality = static_cast<int>(integer(doc, "quality", 10, 1000));
        p.show3DLighting = flag(doc, "show_3d_lighting");
        p.showFramerate = flag(doc, "show_framerate");
        p.showGradientBar = flag(doc, "show_gradient_bar");
        p.showHelp = flag(doc, "show_help");
        p.paused = flag(doc, "paused");
        const std::string engine = text(doc, "engine");
        if (engine != "CPU" && engine != "GPU")
            throw FieldError{"'engine' must be \"CPU\" or \"GPU\"" + at(field(doc, "engine"))};
        p.engine = engine == "CPU" ? EngineCPU : EngineGPU;
        if (const toml::node* schemeNode = doc.get("scheme")) {
            const toml::table* scheme = schemeNode->as_table();
            if (!scheme)
                throw FieldError{"'scheme' must be a [scheme] section" + at(*schemeNode)};
            try {
                own.scheme = readScheme(*scheme);
            } catch (const FieldError& e) {
                throw FieldError{"its colour scheme: " + e.text};
            }
        }
        return own;
    } catch (const FieldError& e) {
        error = e.text;
        return std::nullopt;
    }
}

std::optional<OwnScheme> schemeFromDocument(const toml::table& doc, std::string& error)
{
    try {
        checkFormat(doc);
        return readScheme(doc);
    } catch (const FieldError& e) {
        error = e.text;
        return std::nullopt;
    }
}

std::string checkName(const std::string& name)
{
    if (name.size() > 1000)
        return "is longer than 1000 bytes";
    const bool visible = std::any_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) > ' ' && c != 0x7f;
    });
    if (!visible)
        return "needs at least one visible character";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f)
            return "must not contain control characters";
    return {};
}

std::string safeFileStem(const std::string& name)
{
    std::string stem;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        const bool forbidden = u < ' ' || u == 0x7f || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
        stem += forbidden ? '_' : c;
    }
    // At most 80 bytes, not in the middle of a UTF-8 sequence.
    if (stem.size() > 80) {
        std::size_t cut = 80;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;
        stem.resize(cut);
    }
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '.'))
        stem.pop_back();
    std::size_t lead = 0;
    while (lead < stem.size() && (stem[lead] == ' ' || stem[lead] == '.'))
        ++lead;
    stem.erase(0, lead);
    if (stem.empty())
        return "unnamed";
    // Windows reserves these device names, also with an extension after them ("nul.txt").
    std::string base = stem.substr(0, stem.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    for (char& c : base)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    static const char* const reserved[] = {"CON", "PRN", "AUX", "NUL"};
    bool isReserved = std::find(std::begin(reserved), std::end(reserved), base) != std::end(reserved);
    if (base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '0' && base[3] <= '9')
        isReserved = true;
    return isReserved ? "_" + stem : stem;
}

} // namespace vornix
