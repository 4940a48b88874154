// The Windows file calls with UTF-16 names; the final step is MoveFileExW, which (unlike rename) replaces an
// existing file.
#include "shell/platform/FileReplace.h"

#include <random>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "shell/Path.h"
#include "shell/platform/win/WideText.h"

namespace vornix {

namespace {

std::string reason(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n > 0 && text ? std::wstring(text, n) : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.'))
        message.pop_back();
    return narrow(message);
}

HANDLE createTemporaryBeside(const std::string& path, std::wstring& tempPath)
{
    const std::string folder = parentPath(path);
    const std::string prefix = (folder.empty() ? std::string() : folder + "\\") + "." + fileName(path) + ".tmp";
    std::random_device entropy;
    std::mt19937 rng(entropy() ^ static_cast<unsigned>(GetCurrentProcessId()));
    for (int attempt = 0; attempt < 16; ++attempt) {
        tempPath = widen(prefix + std::to_string(rng() % 1000000u));
        const HANDLE file = CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

bool writeAll(HANDLE file, const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0)
            return false;
        p += written;
        size -= written;
    }
    return true;
}

} // namespace

std::string replaceFileContents(const std::string& path, const void* data, std::size_t size)
{
    std::wstring tempPath;
    const HANDLE file = createTemporaryBeside(path, tempPath);
    if (file == INVALID_HANDLE_VALUE)
        return "cannot create " + path + ": " + reason(GetLastError());
    bool ok = writeAll(file, data, size);
    DWORD error = ok ? 0 : GetLastError();
    if (!CloseHandle(file) && ok) {
        ok = false;
        error = GetLastError();
    }
    if (ok && !MoveFileExW(tempPath.c_str(), widen(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        ok = false;
        error = GetLastError();
    }
    if (!ok) {
        DeleteFileW(tempPath.c_str());
        return "cannot write " + path + ": " + reason(error);
    }
    return {};
}

} // namespace vornix
