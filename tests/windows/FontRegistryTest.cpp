// Windows: font families resolve through the fonts registered for the user (the test registers its own, with files
// of its own, and removes them again). Runs under Wine in the prefix scripts/test-windows makes.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>
#include <vector>

#include "shell/Font.h"
#include "shell/platform/FontMatch.h"
#include "shell/platform/win/WideText.h"

using namespace vornix;

namespace {

const wchar_t* const FontsKey = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

class FontRegistry : public testing::Test {
protected:
    void TearDown() override
    {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, FontsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
            for (const auto& name : values_)
                RegDeleteValueW(key, name.c_str());
            RegCloseKey(key);
        }
        for (const auto& file : files_)
            DeleteFileW(file.c_str());
    }

    // A file standing in for a font (the lookup only names it; nothing reads it).
    std::wstring makeFile(const std::wstring& name)
    {
        wchar_t folder[MAX_PATH];
        const DWORD n = GetTempPathW(MAX_PATH, folder);
        EXPECT_GT(n, 0u);
        const std::wstring path = std::wstring(folder, n) + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        files_.push_back(path);
        return path;
    }

    void registerFont(const std::wstring& valueName, const std::wstring& file)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, FontsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        const auto bytes = static_cast<DWORD>((file.size() + 1) * sizeof(wchar_t));
        EXPECT_EQ(RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(file.c_str()), bytes),
                  ERROR_SUCCESS);
        RegCloseKey(key);
        values_.push_back(valueName);
    }

private:
    std::vector<std::wstring> values_;
    std::vector<std::wstring> files_;
};

TEST_F(FontRegistry, AFamilyResolvesToTheFileRegisteredForItAndAMissingOneIsAFontLoadExc)
{
    const std::wstring file = makeFile(L"vornix-probe-sans.ttf");
    registerFont(L"Vornix Probe Sans (TrueType)", file);
    EXPECT_EQ(matchFontFamily("Vornix Probe Sans"), std::make_pair(narrow(file), 0));
    EXPECT_EQ(matchFontFamily("vornix probe SANS").first, narrow(file));   // family names ignore case
    // A family that only begins like a registered one, or is not registered at all, has no font.
    EXPECT_THROW(matchFontFamily("Vornix Probe"), FontLoadExc);
    EXPECT_THROW(matchFontFamily("Vornix Nowhere"), FontLoadExc);
}

TEST_F(FontRegistry, AValueWhoseFileIsGoneGivesWayToTheFamilysNextValue)
{
    // The stale value comes first both in the order of writing and in name order ('&' before '('), so it is met
    // first whichever order the registry lists values in.
    registerFont(L"Vornix Gap & Vornix Other (TrueType)", L"C:\\vornix-no-such-folder\\gone.ttc");
    const std::wstring file = makeFile(L"vornix-gap.ttf");
    registerFont(L"Vornix Gap (TrueType)", file);
    EXPECT_EQ(matchFontFamily("Vornix Gap").first, narrow(file));
}

} // namespace
