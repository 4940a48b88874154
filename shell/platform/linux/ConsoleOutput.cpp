#include "shell/platform/ConsoleOutput.h"

#include <cstdio>

namespace vornix {

void writeConsoleLine(const std::string& line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace vornix
