// The save-file dialog: asks the user for a path to save to. Modal: it returns when the user has chosen or cancelled.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornix {

// Offers one filter, "Supported Types", with a wildcard for each extension (given without the dot), asks before
// overwriting an existing file, and starts in `initialPath` (empty: the dialog's default folder).
// Returns the chosen path, an empty string when the user cancelled, or nothing when the dialog could not be shown
// (a console line then says why).
std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions);

} // namespace vornix
