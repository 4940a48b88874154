// XDG base and user directories, read from the environment and from user-dirs.dirs as xdg-user-dir reads them.
#include "shell/platform/UserFolders.h"

#include <cstdlib>
#include <fstream>

namespace vornix {

namespace {

// An environment variable that holds an absolute path (the XDG rules ignore relative ones).
std::optional<std::string> absoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return std::nullopt;
    return std::string(value);
}

std::optional<std::string> configHome()
{
    if (auto config = absoluteFromEnvironment("XDG_CONFIG_HOME"))
        return config;
    if (auto home = absoluteFromEnvironment("HOME"))
        return *home + "/.config";
    return std::nullopt;
}

// The value of `key` in user-dirs.dirs: lines KEY="$HOME/Pictures" or KEY="/abs/path"; "$HOME/" alone means the
// user has no such folder (the home folder stands in).
std::optional<std::string> userDirectory(const std::string& key)
{
    const auto home = absoluteFromEnvironment("HOME");
    if (!home)
        return std::nullopt;
    const auto config = configHome();
    if (config) {
        std::ifstream in(*config + "/user-dirs.dirs");
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind(key + "=\"", 0) != 0 || line.size() < key.size() + 3 || line.back() != '"')
                continue;
            std::string value = line.substr(key.size() + 2, line.size() - key.size() - 3);
            if (value.rfind("$HOME", 0) == 0)
                value = *home + value.substr(5);
            else if (value.empty() || value[0] != '/')
                continue;
            while (value.size() > 1 && value.back() == '/')
                value.pop_back();
            return value;
        }
    }
    return home;
}

} // namespace

std::optional<std::string> userSettingsFolder()
{
    if (auto config = configHome())
        return *config + "/vornix";
    return std::nullopt;
}

std::optional<std::string> userPicturesFolder() { return userDirectory("XDG_PICTURES_DIR"); }

std::optional<std::string> userVideosFolder() { return userDirectory("XDG_VIDEOS_DIR"); }

} // namespace vornix
