#include "shell/Path.h"

namespace vornix {

namespace {

#ifdef _WIN32
constexpr std::string_view separators = "/\\";
#else
constexpr std::string_view separators = "/";
#endif

// Index of the first character of the last component.
std::size_t lastComponentStart(std::string_view path)
{
    const std::size_t slash = path.find_last_of(separators);
    return slash == std::string_view::npos ? 0 : slash + 1;
}

// Index of the dot that starts the extension, or npos.
std::size_t extensionDot(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < lastComponentStart(path))
        return std::string_view::npos;
    return dot;
}

} // namespace

std::string pathExtension(std::string_view path)
{
    const std::size_t dot = extensionDot(path);
    return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot + 1));
}

std::string replaceExtension(std::string_view path, std::string_view extension)
{
    const std::size_t dot = extensionDot(path);
    std::string result(dot == std::string_view::npos ? path : path.substr(0, dot));
    if (!extension.empty()) {
        result += '.';
        result += extension;
    }
    return result;
}

std::string parentPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of(separators);
    if (slash == std::string_view::npos)
        return {};
    if (slash == 0)
        return std::string(path.substr(0, 1));
    return std::string(path.substr(0, slash));
}

std::string fileName(std::string_view path) { return std::string(path.substr(lastComponentStart(path))); }

std::filesystem::path pathFromUtf8(std::string_view path)
{
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

std::string utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string toLowerAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

} // namespace vornix
