// Where the save dialogs start and the name they suggest. Pictures ('s') and videos ('v') each start in the folder
// last used for them, remembered between runs in the settings folder (the file folders.conf, made by the first save),
// else in the user's pictures or videos folder. The suggested name is the moment's, "vornix 2026-12-08 15-30-02.png",
// with " (2)", " (3)", ... added when a file of that name is already there.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace vornix {

enum class SaveKind { Picture, Video };

class SaveFolders {
public:
    // The folders named by the system for this user (see UserFolders.h).
    static SaveFolders forUser();
    // `settingsFolder`: where the remembered folders are kept (nothing: they are not kept between runs); the other
    // two: where each kind starts before a folder was remembered (nothing: the dialog's own choice).
    SaveFolders(std::optional<std::string> settingsFolder, std::optional<std::string> picturesFolder,
                std::optional<std::string> videosFolder);
    SaveFolders() = default;

    // The path the dialog starts with: the kind's folder (the remembered one while it exists, else the user's) and
    // the suggested name with `extension` (given without the dot) at local time `now`. Only the name when neither
    // folder exists.
    std::string suggestion(SaveKind kind, const std::string& extension, std::time_t now) const;
    // Remembers the folder of `savedPath` for its kind and writes the settings file (its folder is made if needed).
    // Returns why the file could not be written; empty on success. The folder is remembered for this run either way.
    std::string remember(SaveKind kind, const std::string& savedPath);

    // The save dialog for a kind (pictures: png or jpg; videos: mp4 or gif, titled "Record Video"), starting at its
    // suggestion for now: the chosen path, empty when cancelled, nothing when no dialog could be shown.
    std::optional<std::string> ask(SaveKind kind) const;
    // `remember`, saying on the console when the folder could not be kept for the next run.
    void rememberUsed(SaveKind kind, const std::string& savedPath);
    // The settings file: <settings folder>/folders.conf, lines "pictures=FOLDER" and "videos=FOLDER" (UTF-8).
    std::optional<std::string> settingsFile() const;

private:
    std::optional<std::string> settingsFolder_, picturesFolder_, videosFolder_;
    std::optional<std::string> lastPictures_, lastVideos_;
};

// "vornix 2026-12-08 15-30-02.png" for local time `now`.
std::string suggestedFileName(std::time_t now, const std::string& extension);

} // namespace vornix
