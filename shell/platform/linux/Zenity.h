// zenity, the Linux desktop's dialog program: started as a child process without a shell (nothing in a text or a path
// is ever interpreted), waited for, its standard output read.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornix::platform {

struct ZenityResult {
    int status = -1;       // exit status; -1 when zenity did not end normally
    std::string output;    // what it printed, without the final line end
};

// Runs `zenity` (found on PATH) with `args` and waits until it ends. Nothing when it could not be started;
// `error` then says why.
std::optional<ZenityResult> runZenity(const std::vector<std::string>& args, std::string& error);

// A file selection (`args` start with --file-selection): the chosen path, an empty string when cancelled, nothing
// when the dialog could not be shown (a console line beginning with `what`, "Open dialog", says why).
std::optional<std::string> runFileSelection(const std::vector<std::string>& args, const std::string& what);

} // namespace vornix::platform
