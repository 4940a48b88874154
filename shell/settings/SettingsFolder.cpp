#include "shell/settings/SettingsFolder.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "shell/Path.h"
#include "shell/platform/FileReplace.h"
#include "shell/platform/UserFolders.h"
#include "shell/settings/TomlGuard.h"
#include "shell/settings/WholeFile.h"

namespace vornix {

namespace {

#ifdef _WIN32
constexpr char Separator = '\\';
#else
constexpr char Separator = '/';
#endif

std::string where(std::size_t line, std::size_t column)
{
    return " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
}

} // namespace

TomlDocument parseToml(std::string_view text, const std::string& name)
{
    TomlDocument doc;
    const GuardedToml guarded = guardToml(text);
    if (const auto& place = guarded.refused) {
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(place->character));
        doc.error = name + ": the character " + code + " cannot stand there" + where(place->line, place->column);
        return doc;
    }
    try {
        doc.table = toml::parse(guarded.text, std::string_view(name));
    } catch (const toml::parse_error& e) {
        doc.error = name + ": " + std::string(e.description()) + where(e.source().begin.line, e.source().begin.column);
    }
    return doc;
}

TomlDocument readTomlFile(const std::string& path, const std::string& name)
{
    std::error_code ec;
    if (!std::filesystem::exists(pathFromUtf8(path), ec) && !ec) {
        TomlDocument doc;
        doc.missing = true;
        doc.error = name + ": there is no such file";
        return doc;
    }
    std::string error;
    const auto text = readWholeFile(path, MaxTomlBytes, error);
    if (!text) {
        TomlDocument doc;
        doc.error = error;
        return doc;
    }
    return parseToml(*text, name);
}

SettingsFolder::SettingsFolder(std::optional<std::string> root) : root_(std::move(root)) {}

SettingsFolder SettingsFolder::forUser() { return SettingsFolder(userSettingsFolder()); }

std::string SettingsFolder::pathOf(std::string_view relative) const
{
    if (!root_)
        return {};
    std::string path = *root_;
    path += Separator;
    for (const char c : relative)
        path += c == '/' ? Separator : c;
    return path;
}

TomlDocument SettingsFolder::read(std::string_view relative) const
{
    if (!root_) {
        TomlDocument doc;
        doc.missing = true;
        doc.error = std::string(relative) + ": the system names no settings folder";
        return doc;
    }
    return readTomlFile(pathOf(relative), pathOf(relative));
}

std::string SettingsFolder::write(std::string_view relative, const toml::table& table) const
{
    if (!root_)
        return "cannot save " + std::string(relative) + ": the system names no settings folder";
    const std::string path = pathOf(relative);
    std::error_code ec;
    std::filesystem::create_directories(pathFromUtf8(parentPath(path)), ec);
    if (ec)
        return "cannot make the folder " + parentPath(path) + ": " + ec.message();
    const std::string text = tomlText(table);
    return replaceFileContents(path, text.data(), text.size());
}

std::string SettingsFolder::remove(std::string_view relative) const
{
    if (!root_)
        return "the system names no settings folder";
    std::error_code ec;
    if (!std::filesystem::remove(pathFromUtf8(pathOf(relative)), ec) && ec)
        return "cannot remove " + pathOf(relative) + ": " + ec.message();
    return {};
}

bool SettingsFolder::exists(std::string_view relative) const
{
    std::error_code ec;
    return root_ && std::filesystem::exists(pathFromUtf8(pathOf(relative)), ec);
}

std::vector<std::string> SettingsFolder::list(std::string_view subfolder, std::string& error) const
{
    std::vector<std::string> names;
    if (!root_)
        return names;
    const std::string folder = pathOf(subfolder);
    std::error_code ec;
    if (!std::filesystem::exists(pathFromUtf8(folder), ec))
        return names;
    std::filesystem::directory_iterator it(pathFromUtf8(folder), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::u8string u8 = it->path().filename().u8string();
        const std::string name(u8.begin(), u8.end());
        // Hidden files include the half-written ones a kill may leave beside a file being replaced.
        if (name.empty() || name[0] == '.' || toLowerAscii(pathExtension(name)) != "toml")
            continue;
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(name);
    }
    if (ec)
        error = "cannot read the folder " + folder + ": " + ec.message();
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace vornix
