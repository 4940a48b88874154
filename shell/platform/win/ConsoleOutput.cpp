#include "shell/platform/ConsoleOutput.h"

#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "shell/platform/win/WideText.h"

namespace vornix {

void writeConsoleLine(const std::string& line)
{
    OutputDebugStringW(widen(line + "\n").c_str());
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err != nullptr && err != INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    }
}

} // namespace vornix
