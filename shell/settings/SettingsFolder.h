// A folder of TOML files that belong to the user (vornix's settings folder, see UserFolders.h): read, written
// atomically (a kill in the middle leaves the old or the new contents, never a broken file), listed and removed.
// Nothing is created until something is written.
//
//     SettingsFolder folder = SettingsFolder::forUser();
//     TomlDocument doc = folder.read("settings.toml");       // doc.missing: not there yet
//     doc.table.insert_or_assign("last_folder", path);
//     if (std::string why = folder.write("settings.toml", doc.table); !why.empty()) console() << why << std::endl;
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <toml++/toml.h>

#include "shell/settings/TomlWriter.h"

namespace vornix {

// A TOML document read from a file, or why it could not be used.
struct TomlDocument {
    toml::table table;
    std::string error;      // empty when read; else "NAME: reason", with " (line L, column C)" where the parser says
    bool missing = false;   // the file is not there (error says so too)
    explicit operator bool() const { return error.empty(); }
};

// TOML text of at most this many bytes is read; larger files are refused.
constexpr std::size_t MaxTomlBytes = 1u << 20;

// Parses `text`; `name` names the file in messages.
TomlDocument parseToml(std::string_view text, const std::string& name);
// Reads and parses the file at `path` (UTF-8); messages name it by `name`.
TomlDocument readTomlFile(const std::string& path, const std::string& name);

class SettingsFolder {
public:
    // `root` is the folder (UTF-8); nothing: the system names none, and every write fails with a message.
    explicit SettingsFolder(std::optional<std::string> root);
    // vornix's settings folder: $XDG_CONFIG_HOME/vornix or ~/.config/vornix; %APPDATA%\vornix on Windows.
    static SettingsFolder forUser();

    const std::optional<std::string>& root() const { return root_; }
    // The full path of `relative` (parts separated by '/'); empty when there is no folder.
    std::string pathOf(std::string_view relative) const;

    TomlDocument read(std::string_view relative) const;
    // Replaces the file with the table's text, making the folders on the way first. Empty, or the reason.
    std::string write(std::string_view relative, const toml::table& table) const;
    // Removes the file. Empty, or the reason.
    std::string remove(std::string_view relative) const;
    bool exists(std::string_view relative) const;
    // The names of the *.toml files in `subfolder`, sorted; none when it does not exist. `error` says when the folder
    // exists but cannot be read.
    std::vector<std::string> list(std::string_view subfolder, std::string& error) const;

private:
    std::optional<std::string> root_;
};

} // namespace vornix
