#include "shell/panel/DefinitionString.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <utility>

namespace vornix {

namespace {

std::string lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Named keys, lower case.
std::optional<int> namedKey(const std::string& name)
{
    static const std::pair<const char*, int> names[] = {
        {"space", KeyCode::Space},   {"right", KeyCode::Right},       {"left", KeyCode::Left},
        {"up", KeyCode::Up},         {"down", KeyCode::Down},         {"esc", KeyCode::Escape},
        {"escape", KeyCode::Escape}, {"return", KeyCode::Return},     {"enter", KeyCode::Return},
        {"tab", KeyCode::Tab},       {"backspace", KeyCode::Backspace}, {"delete", KeyCode::Delete},
        {"del", KeyCode::Delete},    {"insert", KeyCode::Insert},     {"ins", KeyCode::Insert},
        {"home", KeyCode::Home},     {"end", KeyCode::End},           {"pgup", KeyCode::PageUp},
        {"pageup", KeyCode::PageUp}, {"pgdown", KeyCode::PageDown},   {"pagedown", KeyCode::PageDown},
    };
    for (const auto& [text, code] : names)
        if (name == text)
            return code;
    if (name.size() >= 2 && name[0] == 'f') {
        int n = 0;
        const auto [end, ec] = std::from_chars(name.data() + 1, name.data() + name.size(), n);
        if (ec == std::errc() && end == name.data() + name.size() && n >= 1 && n <= 15)
            return KeyCode::F1 + n - 1;
    }
    return std::nullopt;
}

std::optional<double> parseNumber(std::string_view text)
{
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseInt(std::string_view text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// Whitespace-separated integers, exactly `count` of them, each within [lo, hi].
template <std::size_t count> std::optional<std::array<int, count>> parseInts(std::string_view text, int lo, int hi)
{
    std::array<int, count> values{};
    std::size_t n = 0, i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        if (i == text.size())
            break;
        std::size_t j = i;
        while (j < text.size() && !isSpace(text[j]))
            ++j;
        const auto v = parseInt(text.substr(i, j - i));
        if (!v || *v < lo || *v > hi || n == count)
            return std::nullopt;
        values[n++] = *v;
        i = j;
    }
    if (n != count)
        return std::nullopt;
    return values;
}

struct Token {
    std::string name, value, source;
};

} // namespace

bool KeyShortcut::matches(const KeyEvent& event) const
{
    const bool eventCtrl = event.modifiers & Modifier::Ctrl;
    const bool eventAlt = event.modifiers & Modifier::Alt;
    if (eventCtrl != ctrl || eventAlt != alt)
        return false;
    if (character != 0)
        return event.character == character;
    const bool eventShift = event.modifiers & Modifier::Shift;
    return event.code == code && eventShift == shift;
}

std::optional<KeyShortcut> parseKeyShortcut(std::string_view text)
{
    KeyShortcut key;
    // Modifier prefixes: "CTRL+", "ALT+", "SHIFT+" in any order and case. A lone "+" is the plus character.
    for (;;) {
        const auto plus = text.find('+');
        if (plus == std::string_view::npos || plus == 0 || plus + 1 == text.size())
            break;
        const std::string prefix = lower(text.substr(0, plus));
        if (prefix == "ctrl")
            key.ctrl = true;
        else if (prefix == "alt")
            key.alt = true;
        else if (prefix == "shift")
            key.shift = true;
        else
            return std::nullopt;
        text.remove_prefix(plus + 1);
    }
    if (text.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (c <= 32 || c >= 127)
            return std::nullopt;
        key.character = static_cast<char>(key.shift ? std::toupper(c) : c);
        key.shift = false;   // Shift is part of the character
        return key;
    }
    const auto code = namedKey(lower(text));
    if (!code)
        return std::nullopt;
    key.code = *code;
    return key;
}

Definition parseDefinition(std::string_view text, DefinitionTarget target)
{
    Definition def;
    std::vector<Token> tokens;
    std::size_t i = 0;
    auto skipSpace = [&] {
        while (i < text.size() && isSpace(text[i]))
            ++i;
    };
    // Reads a value quoted with `quote` (doubling the quote inside stands for one); false when unterminated.
    auto readQuoted = [&](char quote, std::string& out) {
        ++i;
        while (i < text.size()) {
            if (text[i] == quote) {
                if (i + 1 < text.size() && text[i + 1] == quote) {
                    out.push_back(quote);
                    i += 2;
                    continue;
                }
                ++i;
                return true;
            }
            out.push_back(text[i++]);
        }
        return false;
    };

    skipSpace();
    if (i < text.size() && text[i] == '`') {
        const std::size_t start = i;
        if (!readQuoted('`', def.barName)) {
            def.errors.push_back("unterminated name " + std::string(text.substr(start)));
            return def;
        }
        if (target == DefinitionTarget::Entry)
            def.errors.push_back("a name in back-quotes names a panel, not an entry: " + def.barName);
    }
    while (true) {
        skipSpace();
        if (i == text.size())
            break;
        const std::size_t start = i;
        Token token;
        while (i < text.size() && !isSpace(text[i]) && text[i] != '=')
            token.name.push_back(text[i++]);
        if (i == text.size() || text[i] != '=') {
            def.errors.push_back("missing '=' in '" + token.name + "'");
            continue;
        }
        ++i;
        if (i < text.size() && (text[i] == '\'' || text[i] == '"' || text[i] == '`')) {
            if (!readQuoted(text[i], token.value)) {
                def.errors.push_back("unterminated quote in '" + std::string(text.substr(start)) + "'");
                break;
            }
            if (i < text.size() && !isSpace(text[i])) {
                def.errors.push_back("text after the closing quote in '" + std::string(text.substr(start)) + "'");
                while (i < text.size() && !isSpace(text[i]))
                    ++i;
                continue;
            }
        } else {
            while (i < text.size() && !isSpace(text[i]))
                token.value.push_back(text[i++]);
        }
        token.source = std::string(text.substr(start, i - start));
        tokens.push_back(std::move(token));
    }

    for (const Token& token : tokens) {
        const std::string name = lower(token.name);
        auto malformed = [&] { def.errors.push_back("malformed value in '" + token.source + "'"); };
        if (target == DefinitionTarget::Entry) {
            if (name == "key") {
                if (auto key = parseKeyShortcut(token.value)) {
                    def.key = key;
                    def.keyText = token.value;
                } else {
                    def.errors.push_back("unknown key in '" + token.source + "'");
                }
            } else if (name == "help") {
                def.help = token.value;
            } else if (name == "precision") {
                const auto v = parseInt(token.value);
                if (v && *v >= 0 && *v <= 12)
                    def.precision = v;
                else
                    malformed();
            } else if (name == "sameline") {
                if (token.value == "true" || token.value == "false")
                    def.sameLine = token.value == "true";
                else
                    malformed();
            } else if (name == "lines") {
                const auto v = parseInt(token.value);
                if (v && *v >= 1 && *v <= 8)
                    def.lines = v;
                else
                    malformed();
            } else if (name == "min" || name == "max" || name == "step") {
                const auto v = parseNumber(token.value);
                if (!v || (name == "step" && *v <= 0.0))
                    malformed();
                else
                    (name == "min" ? def.min : name == "max" ? def.max : def.step) = v;
            } else {
                def.errors.push_back("unknown definition '" + token.source + "'");
            }
        } else {
            if (name == "size") {
                if (auto v = parseInts<2>(token.value, 1, 1 << 16))
                    def.size = v;
                else
                    malformed();
            } else if (name == "color") {
                if (auto v = parseInts<3>(token.value, 0, 255))
                    def.color = v;
                else
                    malformed();
            } else if (name == "alpha") {
                const auto v = parseInt(token.value);
                if (v && *v >= 0 && *v <= 255)
                    def.alpha = v;
                else
                    malformed();
            } else {
                def.errors.push_back("unknown definition '" + token.source + "'");
            }
        }
    }
    if (def.min && def.max && *def.min > *def.max) {
        def.errors.push_back("min is above max; the range is ignored");
        def.min.reset();
        def.max.reset();
    }
    return def;
}

} // namespace vornix
