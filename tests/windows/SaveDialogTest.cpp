// Windows: the common save dialog as vornix opens it, answered by a helper thread as a user would (a name typed into
// the dialog, then Save): the chosen path comes back whole, and the process's working folder is the same afterwards
// although the dialog browsed to another folder. Runs under Wine on the display scripts/test-windows provides.
#include <gtest/gtest.h>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <dlgs.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "shell/platform/SaveFileDialog.h"
#include "shell/platform/win/WideText.h"

using namespace vornix;
namespace fs = std::filesystem;

namespace {

// Types `text` into the dialog's file name box and presses Save.
void enter(HWND dialog, const std::wstring& text)
{
    HWND name = GetDlgItem(dialog, cmb13);
    SetWindowTextW(name ? name : GetDlgItem(dialog, edt1), text.c_str());
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

// The folder the dialog shows ("Save in").
std::wstring shownFolder(HWND dialog)
{
    wchar_t text[512] = L"";
    GetWindowTextW(GetDlgItem(dialog, cmb2), text, 512);
    return text;
}

// As a user: waits for the dialog titled `title`, goes into `folder` (its path and Save), and once the dialog shows
// that folder, saves as `file` there.
void answerDialog(const std::wstring& title, const fs::path& folder, const std::wstring& file,
                  const std::atomic<bool>& closed)
{
    HWND dialog = nullptr;
    while (!closed && !(dialog = FindWindowW(L"#32770", title.c_str())))
        Sleep(20);
    if (!dialog)
        return;
    enter(dialog, folder.wstring());
    while (!closed && shownFolder(dialog) != folder.filename().wstring())
        Sleep(20);
    if (!closed)
        enter(dialog, file);
}

} // namespace

TEST(SaveDialog, TheChosenPathComesBackWholeAndTheWorkingFolderStays)
{
    const fs::path folder = fs::temp_directory_path() / ("vornix dialog " + std::to_string(std::random_device()())) /
                            "pictures";
    fs::create_directories(folder);
    const fs::path before = fs::current_path();
    const std::wstring chosen = (folder / "shot.png").wstring();
    std::atomic<bool> closed{false};
    std::thread user(answerDialog, L"Save Picture Test", folder, std::wstring(L"shot.png"), std::cref(closed));
    const auto answer = getSaveFilePath("", {"png", "jpg"}, "Save Picture Test");
    closed = true;
    user.join();
    ASSERT_TRUE(answer) << "the dialog could not be shown";
    EXPECT_EQ(widen(*answer), chosen);
    EXPECT_EQ(fs::current_path(), before) << "the dialog changed the working folder";
    fs::current_path(before);   // a folder in use cannot be removed
    fs::remove_all(folder.parent_path());
}
