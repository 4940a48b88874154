// The open-file dialog: asks the user for an existing file. Modal: it returns when the user has chosen or cancelled.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornix {

// Titled `title`, offering first the files with one of `extensions` (without the dot, any case) under `filterName`,
// then all files. Returns the chosen path, an empty string when the user cancelled, or nothing when the dialog could
// not be shown (a console line then says why). The working folder stays as it was.
std::optional<std::string> getOpenFilePath(const std::string& title, const std::string& filterName,
                                           const std::vector<std::string>& extensions);

} // namespace vornix
