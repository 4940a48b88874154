// The folders a desktop program keeps the user's own things in. Each answer is an absolute path in UTF-8, or nothing
// when the system names no such folder (no home folder, a failed lookup). Nothing is created here: a program makes
// its settings folder when it first saves something, never at start.
#pragma once

#include <optional>
#include <string>

namespace vornix {

// vornix's own settings: $XDG_CONFIG_HOME/vornix, else ~/.config/vornix (Linux); the roaming application-data
// folder's vornix (Windows, through the known-folder call).
std::optional<std::string> userSettingsFolder();
// Where pictures and videos belong: the XDG user directories (user-dirs.dirs) on Linux, falling back to the home
// folder as xdg-user-dir does; the Pictures and Videos known folders on Windows.
std::optional<std::string> userPicturesFolder();
std::optional<std::string> userVideosFolder();

} // namespace vornix
