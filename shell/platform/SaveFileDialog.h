// The save-file dialog: asks the user for a path to save to. Modal: it returns when the user has chosen or cancelled.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornix {

// Offers one filter, "Supported Types", with a wildcard for each extension (given without the dot), asks before
// overwriting an existing file, and starts with `initialPath`: the folder to start in and the name to suggest (a
// path ending in a separator names the folder alone; empty: the dialog's own choice of both). On Windows the
// dialog appends the first extension to a name typed without one (and asks about that name).
// Returns the chosen path, an empty string when the user cancelled, or nothing when the dialog could not be shown
// (a console line then says why). This is the dialog for saving a picture: titled "Save Picture" on Linux, with the
// system's own title on Windows.
std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions);
// The same dialog with `title` as its title (empty: the system's own).
std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions,
                                           const std::string& title);

// Asks for a path as getSaveFilePath does, then applies the extension rule: a name whose extension (compared without
// case) is not one of `extensions` takes the first of them instead ("shot" and "shot.bmp" become "shot.png"); when
// that changed the name and a file of the new name exists, asks the user whether to replace it ("no" gives an empty
// string, like a cancel). Nothing: the dialog could not be shown (a console line said why).
std::optional<std::string> chooseSavePath(const std::string& initialPath, const std::vector<std::string>& extensions);
// The same with the dialog titled `title`.
std::optional<std::string> chooseSavePath(const std::string& initialPath, const std::vector<std::string>& extensions,
                                          const std::string& title);

// The extension rule alone: `path` when its extension is one of `extensions` (without case), else the path with the
// first of them in place of its extension (appended when it has none). An empty list leaves the path as it is.
std::string savePathWithExtension(const std::string& path, const std::vector<std::string>& extensions);

} // namespace vornix
