#include "shell/platform/ConsoleOutput.h"

#include <cstdio>

namespace vornix {

void writeConsoleLine(const std::string& line)
{
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void writeTerminal(const std::string& text, bool error)
{
    std::FILE* stream = error ? stderr : stdout;
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

} // namespace vornix
