#include "shell/settings/TomlGuard.h"

#include <cstdio>

namespace vornix {

namespace {

// The code point of the two- or three-byte UTF-8 sequence at text[i], or 0 when there is none (the characters the
// library mishandles all lie below U+10000).
char32_t characterAt(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    const unsigned lead = byte(i);
    const auto continuation = [&](std::size_t k) { return (byte(k) & 0xC0) == 0x80; };
    if ((lead & 0xE0) == 0xC0 && continuation(i + 1))
        return static_cast<char32_t>(((lead & 0x1F) << 6) | (byte(i + 1) & 0x3F));
    if ((lead & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2))
        return static_cast<char32_t>(((lead & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F));
    return 0;
}

// The library sorts U+00A0 to U+FEFF into blocks of 0x3FA characters and has answers for all but three of them:
// U+00A1 to U+0499, U+2C5E to U+3057 (but U+3000) and U+FB26 to U+FEFE lead to the unreachable path. The number of
// bytes of such a character at text[i], else 0.
std::size_t unsafeWidth(std::string_view text, std::size_t i)
{
    const char32_t c = characterAt(text, i);
    if (c <= 0xA0 || c >= 0xFEFF || c == 0x3000)
        return 0;
    const char32_t block = (c - 0xA0) / 0x3FA;
    if (block != 0 && block != 11 && block != 63)
        return 0;
    return c < 0x800 ? 2 : 3;
}

TextPlace placeOf(std::string_view text, std::size_t offset)
{
    TextPlace place;
    place.character = characterAt(text, offset);
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++place.line;
            place.column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++place.column;
        }
    }
    return place;
}

void appendEscape(std::string& out, char32_t c)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
    out += escape;
}

// Where a literal string that starts at `open` (its delimiter `delimiter`, ' or ''') ends: the offset past its closing
// delimiter, or npos when it is not closed (a single-line one at a line end).
std::size_t literalEnd(std::string_view text, std::size_t open, std::string_view delimiter)
{
    const std::size_t from = open + delimiter.size();
    if (delimiter.size() == 1) {
        const std::size_t end = text.find_first_of("'\n", from);
        return end == std::string_view::npos || text[end] == '\n' ? std::string_view::npos : end + 1;
    }
    std::size_t end = text.find(delimiter, from);
    if (end == std::string_view::npos)
        return end;
    end += 3;
    for (int extra = 0; extra < 2 && end < text.size() && text[end] == '\''; ++extra)
        ++end;   // one or two more quotes belong to the text
    return end;
}

// The same text as a basic string: quotes and backslashes escaped, the characters the library mishandles as \u
// escapes. Within '''...''' line breaks stay (a first one is dropped by both kinds alike).
void appendAsBasic(std::string& out, std::string_view content, bool multiLine)
{
    const char* quotes = multiLine ? R"(""")" : "\"";
    out += quotes;
    for (std::size_t i = 0; i < content.size();) {
        if (const std::size_t width = unsafeWidth(content, i)) {
            appendEscape(out, characterAt(content, i));
            i += width;
            continue;
        }
        if (content[i] == '"' || content[i] == '\\')
            out += '\\';
        out += content[i++];
    }
    out += quotes;
}

} // namespace

GuardedToml guardToml(std::string_view text)
{
    GuardedToml result;
    std::string& out = result.text;
    out.reserve(text.size() + 16);
    enum { Plain, Comment, Basic, MultiBasic } state = Plain;
    std::size_t i = 0;
    const auto refuse = [&](std::size_t at) {
        result.refused = placeOf(text, at);
        return result;
    };
    while (i < text.size()) {
        const char c = text[i];
        const std::size_t width = unsafeWidth(text, i);
        switch (state) {
        case Plain:
            if (width)
                return refuse(i);   // never valid TOML outside strings and comments
            if (c == '\'') {
                const std::string_view delimiter = text.substr(i, 3) == "'''" ? text.substr(i, 3) : text.substr(i, 1);
                const std::size_t end = literalEnd(text, i, delimiter);
                const std::size_t stop = end == std::string_view::npos ? text.size() : end;
                std::size_t unsafe = std::string_view::npos;
                for (std::size_t k = i; k < stop && unsafe == std::string_view::npos; ++k)
                    if (unsafeWidth(text, k))
                        unsafe = k;
                if (unsafe == std::string_view::npos) {
                    out.append(text.substr(i, stop - i));   // as it is
                } else if (end == std::string_view::npos) {
                    return refuse(unsafe);   // an unclosed string: the document is not TOML anyway
                } else {
                    const std::size_t d = delimiter.size();
                    appendAsBasic(out, text.substr(i + d, end - d - (i + d)), d == 3);
                }
                i = stop;
                continue;
            }
            if (text.substr(i, 3) == R"(""")") {
                out.append(R"(""")");
                i += 3;
                state = MultiBasic;
                continue;
            }
            state = c == '#' ? Comment : c == '"' ? Basic : Plain;
            break;
        case Comment:
            if (width) {
                out += '?';   // what a comment says does not matter
                i += width;
                continue;
            }
            state = c == '\n' ? Plain : Comment;
            break;
        case Basic:
        case MultiBasic:
            if (width) {
                appendEscape(out, characterAt(text, i));
                i += width;
                continue;
            }
            if (c == '\\') {
                if (unsafeWidth(text, i + 1))
                    return refuse(i + 1);   // not an escape TOML knows
                // An escaped quote or backslash does not end the string; a line-ending backslash's white space and
                // line breaks are copied as they come.
                const bool pair = i + 1 < text.size() && (text[i + 1] == '"' || text[i + 1] == '\\');
                out.append(text.substr(i, pair ? 2 : 1));
                i += pair ? 2 : 1;
                continue;
            }
            if (state == MultiBasic && text.substr(i, 3) == R"(""")") {
                std::size_t end = i + 3;
                for (int extra = 0; extra < 2 && end < text.size() && text[end] == '"'; ++extra)
                    ++end;
                out.append(text.substr(i, end - i));
                i = end;
                state = Plain;
                continue;
            }
            if (state == Basic && (c == '"' || c == '\n'))
                state = Plain;
            break;
        }
        out += c;
        ++i;
    }
    return result;
}

} // namespace vornix
