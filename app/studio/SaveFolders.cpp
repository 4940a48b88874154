#include "app/studio/SaveFolders.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "shell/Console.h"
#include "shell/Path.h"
#include "shell/platform/FileReplace.h"
#include "shell/platform/SaveFileDialog.h"
#include "shell/platform/UserFolders.h"

namespace vornix {

namespace {

constexpr char separator = static_cast<char>(std::filesystem::path::preferred_separator);

bool isFolder(const std::optional<std::string>& folder)
{
    std::error_code error;
    return folder && !folder->empty() && std::filesystem::is_directory(pathFromUtf8(*folder), error);
}

std::string inFolder(const std::string& folder, const std::string& name)
{
    const char last = folder.back();
    return last == '/' || last == separator ? folder + name : folder + separator + name;
}

bool exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(pathFromUtf8(path), error);
}

const char* keyOf(SaveKind kind) { return kind == SaveKind::Picture ? "pictures" : "videos"; }

} // namespace

std::string suggestedFileName(std::time_t now, const std::string& extension)
{
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char name[64];
    std::strftime(name, sizeof name, "vornix %Y-%m-%d %H-%M-%S", &local);
    return std::string(name) + "." + extension;
}

SaveFolders SaveFolders::forUser()
{
    return SaveFolders(userSettingsFolder(), userPicturesFolder(), userVideosFolder());
}

SaveFolders::SaveFolders(std::optional<std::string> settingsFolder, std::optional<std::string> picturesFolder,
                         std::optional<std::string> videosFolder)
    : settingsFolder_(std::move(settingsFolder)), picturesFolder_(std::move(picturesFolder)),
      videosFolder_(std::move(videosFolder))
{
    const auto file = settingsFile();
    if (!file)
        return;
    std::ifstream in(pathFromUtf8(*file));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos || equals + 1 == line.size())
            continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == keyOf(SaveKind::Picture))
            lastPictures_ = value;
        else if (key == keyOf(SaveKind::Video))
            lastVideos_ = value;
    }
}

std::optional<std::string> SaveFolders::settingsFile() const
{
    if (!settingsFolder_ || settingsFolder_->empty())
        return std::nullopt;
    return inFolder(*settingsFolder_, "folders.conf");
}

std::string SaveFolders::suggestion(SaveKind kind, const std::string& extension, std::time_t now) const
{
    const auto& last = kind == SaveKind::Picture ? lastPictures_ : lastVideos_;
    const auto& user = kind == SaveKind::Picture ? picturesFolder_ : videosFolder_;
    const std::optional<std::string> folder = isFolder(last) ? last : isFolder(user) ? user : std::nullopt;
    const std::string name = suggestedFileName(now, extension);
    if (!folder)
        return name;
    std::string path = inFolder(*folder, name);
    for (int k = 2; exists(path) && k < 1000; ++k)
        path = inFolder(*folder, replaceExtension(name, "") + " (" + std::to_string(k) + ")." + extension);
    return path;
}

std::string SaveFolders::remember(SaveKind kind, const std::string& savedPath)
{
    const std::string folder = parentPath(savedPath);
    if (folder.empty())
        return {};
    (kind == SaveKind::Picture ? lastPictures_ : lastVideos_) = folder;
    const auto file = settingsFile();
    if (!file || folder.find_first_of("\r\n") != std::string::npos)   // a line of its own in the file
        return {};
    std::string text = "# The folders vornix's save dialogs start in (written by vornix).\n";
    if (lastPictures_)
        text += std::string(keyOf(SaveKind::Picture)) + "=" + *lastPictures_ + "\n";
    if (lastVideos_)
        text += std::string(keyOf(SaveKind::Video)) + "=" + *lastVideos_ + "\n";
    std::error_code error;
    std::filesystem::create_directories(pathFromUtf8(*settingsFolder_), error);
    if (error)
        return "cannot make " + *settingsFolder_ + ": " + error.message();
    return replaceFileContents(*file, text.data(), text.size());
}

std::optional<std::string> SaveFolders::ask(SaveKind kind) const
{
    const std::time_t now = std::time(nullptr);
    if (kind == SaveKind::Picture)
        return chooseSavePath(suggestion(kind, "png", now), {"png", "jpg"});
    return chooseSavePath(suggestion(kind, "mp4", now), {"mp4", "gif"}, "Record Video");
}

void SaveFolders::rememberUsed(SaveKind kind, const std::string& savedPath)
{
    if (const std::string error = remember(kind, savedPath); !error.empty())
        console() << "The save dialog's folder is not remembered for the next run: " << error << std::endl;
}

} // namespace vornix
