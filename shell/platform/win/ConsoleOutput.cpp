#include "shell/platform/ConsoleOutput.h"

#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "shell/platform/win/WideText.h"

namespace vornix {

namespace {

bool hasHandle(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

void writeConsoleLine(const std::string& line)
{
    OutputDebugStringW(widen(line + "\n").c_str());
    if (hasHandle(STD_ERROR_HANDLE)) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    }
}

void writeTerminal(const std::string& text, bool error)
{
    const DWORD which = error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE;
    // Started from a command prompt, a GUI program has no standard handles of its own: write to the prompt's console.
    if (!hasHandle(which) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
    std::FILE* stream = error ? stderr : stdout;
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

} // namespace vornix
