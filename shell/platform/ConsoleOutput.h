// Where a finished console line goes: standard error on Linux; on Windows the debugger output, and standard error
// too when the program was started with one (a GUI program started from Explorer has none).
#pragma once

#include <string>

namespace vornix {

void writeConsoleLine(const std::string& line);

// Text for the terminal the program was started from (the answer to --help or --version, a command-line error):
// standard output, or standard error when `error`. On Windows a GUI program first attaches to its parent's console
// when it was started without standard handles.
void writeTerminal(const std::string& text, bool error);

} // namespace vornix
