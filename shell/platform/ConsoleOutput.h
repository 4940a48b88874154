// Where a finished console line goes: standard error on Linux; on Windows the debugger output, and standard error
// too when the program was started with one (a GUI program started from Explorer has none).
#pragma once

#include <string>

namespace vornix {

void writeConsoleLine(const std::string& line);

} // namespace vornix
