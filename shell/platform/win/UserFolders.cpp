// Known folders, through the shell's known-folder call (never environment variables, which a user may not have).
#include "shell/platform/UserFolders.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include "shell/platform/win/WideText.h"

namespace vornix {

namespace {

std::optional<std::string> knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path);
    std::optional<std::string> folder;
    if (SUCCEEDED(result) && path != nullptr && path[0] != L'\0')
        folder = narrow(path);
    CoTaskMemFree(path);
    return folder;
}

} // namespace

std::optional<std::string> userSettingsFolder()
{
    if (auto roaming = knownFolder(FOLDERID_RoamingAppData))
        return *roaming + "\\vornix";
    return std::nullopt;
}

std::optional<std::string> userPicturesFolder() { return knownFolder(FOLDERID_Pictures); }

std::optional<std::string> userVideosFolder() { return knownFolder(FOLDERID_Videos); }

} // namespace vornix
