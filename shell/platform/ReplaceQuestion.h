// The question asked before saving over an existing file whose name the program chose (the extension rule), not the
// user: the dialog asked about the name the user typed, so this file would otherwise be replaced without a word.
#pragma once

#include <optional>
#include <string>

namespace vornix::platform {

// "<file name> already exists.\nDo you want to replace it?", the words the dialog's own question uses.
std::string replaceQuestion(const std::string& path);

// Asks whether to replace the file at `path`, with "No" as the default answer. Modal; GUI thread only. True for yes,
// false for no, nothing when the question could not be shown (a console line said why).
std::optional<bool> askToReplace(const std::string& path);

} // namespace vornix::platform
