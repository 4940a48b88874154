// Messages the user sees, for failures that would otherwise only reach the console (which on a desktop nobody reads).
#pragma once

#include <optional>
#include <string>

namespace vornix {

// Shows a short error message the user sees: a message box owned by the program's window on Windows, a zenity error
// dialog on Linux. Modal: call it on the GUI thread only, at most once per user action; the console line stays the
// caller's to write. Returns false when no message could be shown (zenity missing, say; a console line says why), so
// that the caller can show it another way.
bool showErrorMessage(const std::string& text);

// Asks a yes/no question titled "vornix", with "No" as the default answer. Modal; GUI thread only. True for yes,
// false for no, nothing when the question could not be shown (a console line said why).
std::optional<bool> askYesNo(const std::string& question);

} // namespace vornix
