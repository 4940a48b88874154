// The common save-file dialog (the wide-character call, so a name outside the current code page comes back
// exactly as typed), owned by the window whose context is current.
#include "shell/platform/SaveFileDialog.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <commdlg.h>

#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_WIN32
#include <GLFW/glfw3native.h>

#include "shell/Console.h"
#include "shell/Path.h"
#include "shell/platform/ReplaceQuestion.h"
#include "shell/platform/win/WideText.h"

namespace vornix {

std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions)
{
    return getSaveFilePath(initialPath, extensions, std::string());
}

std::optional<std::string> getSaveFilePath(const std::string& initialPath, const std::vector<std::string>& extensions,
                                           const std::string& title)
{
    // One entry: "Supported Types" and its wildcards joined by ';', each string ending in a NUL, the list in two.
    std::wstring filter = L"Supported Types";
    filter.push_back(L'\0');
    for (std::size_t i = 0; i < extensions.size(); ++i)
        filter += (i ? L";*." : L"*.") + widen(extensions[i]);
    filter.push_back(L'\0');

    // The dialog appends the first extension to a name typed without one, and asks before replacing that file.
    const std::wstring defaultExtension = extensions.empty() ? std::wstring() : widen(extensions.front());

    // The dialog starts in the initial path's folder with its name filled in (a full path in the name field is the
    // documented way to choose the folder: the folder alone may be overridden by the one the user chose last).
    wchar_t file[MAX_PATH] = L"";
    const std::wstring suggested = fileName(initialPath).empty() ? std::wstring() : widen(initialPath);
    if (suggested.size() < MAX_PATH)
        suggested.copy(file, MAX_PATH - 1);
    const std::wstring folder = widen(fileName(initialPath).empty() ? initialPath : parentPath(initialPath));
    const std::wstring caption = widen(title);
    GLFWwindow* window = glfwGetCurrentContext();
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window ? glfwGetWin32Window(window) : nullptr;
    dialog.lpstrFilter = filter.c_str();   // the string's own terminator is the list's second NUL
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = caption.empty() ? nullptr : caption.c_str();   // none: the system's "Save As"
    dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_SHOWHELP;
    if (GetSaveFileNameW(&dialog))
        return narrow(file);
    const DWORD error = CommDlgExtendedError();
    if (error == 0)
        return std::string();   // cancelled
    console() << "Save dialog could not be shown: common dialog error " << error << std::endl;
    return std::nullopt;
}

namespace platform {

std::optional<bool> askToReplace(const std::string& path)
{
    GLFWwindow* window = glfwGetCurrentContext();
    const int answer = MessageBoxW(window ? glfwGetWin32Window(window) : nullptr, widen(replaceQuestion(path)).c_str(),
                                   L"Confirm Save As", MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2);
    if (answer == 0) {
        console() << "The question whether to replace " << path << " could not be shown: error " << GetLastError()
                  << std::endl;
        return std::nullopt;
    }
    return answer == IDYES;
}

} // namespace platform

} // namespace vornix
