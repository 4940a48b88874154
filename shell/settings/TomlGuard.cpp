#include "shell/settings/TomlGuard.h"

namespace vornix {

namespace {

// The code point of the two-byte UTF-8 sequence at text[i], or 0 when there is none.
char32_t twoByteCharacter(std::string_view text, std::size_t i)
{
    if (i + 1 >= text.size())
        return 0;
    const auto lead = static_cast<unsigned char>(text[i]), next = static_cast<unsigned char>(text[i + 1]);
    if ((lead & 0xE0) != 0xC0 || (next & 0xC0) != 0x80)
        return 0;
    return static_cast<char32_t>(((lead & 0x1F) << 6) | (next & 0x3F));
}

bool unsafeAt(std::string_view text, std::size_t i)
{
    const char32_t c = twoByteCharacter(text, i);
    return c >= 0xA1 && c <= 0x499;
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
    place.character = twoByteCharacter(text, *offset);
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
