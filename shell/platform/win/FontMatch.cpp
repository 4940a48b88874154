// Family names resolve through the fonts Windows has registered (per user and per machine): the registry names each
// installed font "<family> (TrueType)" (or OpenType; collections "<family> & <other> ..."), with its file in the
// Windows fonts folder or as a full path. Liberation Sans, the Linux panel font, falls back to Arial, which it
// matches in metrics.
#include <cwctype>
#include <optional>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "shell/Font.h"
#include "shell/platform/FontMatch.h"
#include "shell/platform/win/WideText.h"

namespace vornix {

namespace {

std::wstring lowerCase(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool namesFamily(const std::wstring& valueName, const std::wstring& family)
{
    const std::wstring name = lowerCase(valueName), wanted = lowerCase(family);
    for (const wchar_t* suffix : {L" (truetype)", L" (opentype)", L" & "})
        if (name.rfind(wanted + suffix, 0) == 0)
            return true;
    return false;
}

std::wstring fontsFolder()
{
    wchar_t windows[MAX_PATH] = L"";
    const UINT n = GetWindowsDirectoryW(windows, MAX_PATH);
    return (n > 0 && n < MAX_PATH ? std::wstring(windows) : std::wstring(L"C:\\Windows")) + L"\\Fonts";
}

std::optional<std::wstring> registeredFile(HKEY root, const std::wstring& family)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::wstring> found;
    for (DWORD i = 0; !found; ++i) {
        wchar_t name[512];
        wchar_t data[MAX_PATH * 2];
        DWORD nameLength = 512, dataBytes = sizeof data - sizeof(wchar_t), type = 0;
        const LONG status = RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data),
                                          &dataBytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !namesFamily(name, family))
            continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        const std::wstring file = data;
        const bool absolute = file.size() > 2 && (file[1] == L':' || file.rfind(L"\\\\", 0) == 0);
        const std::wstring path = absolute ? file : fontsFolder() + L"\\" + file;
        // A value may outlive its file (an uninstalled font): the family's next value may still name one that exists.
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES)
            found = path;
    }
    RegCloseKey(key);
    return found;
}

} // namespace

std::pair<std::string, int> matchFontFamily(const std::string& family)
{
    std::vector<std::wstring> names = {widen(family)};
    if (family == "Liberation Sans")
        names.push_back(L"Arial");
    for (const auto& name : names)
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
            if (const auto file = registeredFile(root, name))
                return {narrow(*file), 0};
    throw FontLoadExc("No font found for family \"" + family + "\"");
}

} // namespace vornix
