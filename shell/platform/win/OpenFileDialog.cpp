// The common open dialog with wide-character names and a buffer for long paths; OFN_NOCHANGEDIR keeps the working
// folder as it was.
#include "shell/platform/OpenFileDialog.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commdlg.h>

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3native.h>

#include <vector>

#include "shell/Console.h"
#include "shell/platform/win/WideText.h"

namespace vornix {

std::optional<std::string> getOpenFilePath(const std::string& title, const std::string& filterName,
                                           const std::vector<std::string>& extensions)
{
    // "Name\0*.a;*.b\0All files\0*.*\0", the list ending in a second NUL (the string's own terminator).
    std::wstring filter = widen(filterName);
    filter.push_back(L'\0');
    for (std::size_t i = 0; i < extensions.size(); ++i)
        filter += (i ? L";*." : L"*.") + widen(extensions[i]);
    filter.push_back(L'\0');
    filter += L"All files";
    filter.push_back(L'\0');
    filter += L"*.*";
    filter.push_back(L'\0');

    std::vector<wchar_t> file(32768, L'\0');   // the longest path the system allows
    const std::wstring caption = widen(title);
    GLFWwindow* window = glfwGetCurrentContext();
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window ? glfwGetWin32Window(window) : nullptr;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = caption.c_str();
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (GetOpenFileNameW(&dialog))
        return narrow(file.data());
    const DWORD error = CommDlgExtendedError();
    if (error == 0)
        return std::string();   // cancelled
    console() << "Open dialog could not be shown: common dialog error " << error << std::endl;
    return std::nullopt;
}

} // namespace vornix
