#include "shell/settings/TomlGuard.h"

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
// U+00A1 to U+0499, U+2C5E to U+3057 (but U+3000) and U+FB26 to U+FEFE lead to the unreachable path.
bool unsafeAt(std::string_view text, std::size_t i)
{
    const char32_t c = characterAt(text, i);
    if (c <= 0xA0 || c >= 0xFEFF || c == 0x3000)
        return false;
    const char32_t block = (c - 0xA0) / 0x3FA;
    return block == 0 || block == 11 || block == 63;
}

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Past a closing delimiter of a multi-line string, which may end in one or two more quotes that belong to the text.
std::size_t pastClosing(std::string_view text, std::size_t i, char quote)
{
    i += 3;
    for (int extra = 0; extra < 2 && i < text.size() && text[i] == quote; ++extra)
        ++i;
    return i;
}

std::optional<std::size_t> firstUnsafeOffset(std::string_view text)
{
    enum { Plain, Comment, Basic, Literal, MultiBasic, MultiLiteral } state = Plain;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        switch (state) {
        case Plain:
            if (unsafeAt(text, i))
                return i;
            if (text.substr(i, 3) == R"(""")" || text.substr(i, 3) == "'''") {
                state = c == '"' ? MultiBasic : MultiLiteral;
                i += 3;
                continue;
            }
            state = c == '#' ? Comment : c == '"' ? Basic : c == '\'' ? Literal : Plain;
            break;
        case Comment:
            state = c == '\n' ? Plain : Comment;
            break;
        case Basic:
            if (c == '\\' && i + 1 < text.size() && text[i + 1] != '\n') {
                i += 2;   // an escaped quote does not end the string
                continue;
            }
            state = c == '"' || c == '\n' ? Plain : Basic;
            break;
        case Literal:
            state = c == '\'' || c == '\n' ? Plain : Literal;
            break;
        case MultiBasic:
            if (c == '\\') {
                // After a line-ending backslash the library skips white space and line breaks; after any backslash
                // it first asks whether the next character is white space.
                const std::size_t next = ++i;
                while (i < text.size() && isAsciiSpace(text[i]))
                    ++i;
                if (unsafeAt(text, i))
                    return i;
                if (i == next && i < text.size() && (text[i] == '"' || text[i] == '\\'))
                    ++i;   // an escaped quote or backslash
                continue;
            }
            if (text.substr(i, 3) == R"(""")") {
                i = pastClosing(text, i, '"');
                state = Plain;
                continue;
            }
            break;
        case MultiLiteral:
            if (text.substr(i, 3) == "'''") {
                i = pastClosing(text, i, '\'');
                state = Plain;
                continue;
            }
            break;
        }
        ++i;
    }
    return std::nullopt;
}

} // namespace

std::optional<TextPlace> unsafeTomlCharacter(std::string_view text)
{
    const auto offset = firstUnsafeOffset(text);
    if (!offset)
        return std::nullopt;
    TextPlace place;
    place.character = characterAt(text, *offset);
    for (std::size_t i = 0; i < *offset; ++i) {
        if (text[i] == '\n') {
            ++place.line;
            place.column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++place.column;
        }
    }
    return place;
}

} // namespace vornix
