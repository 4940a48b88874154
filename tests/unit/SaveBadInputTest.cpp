// Saving with awkward input: the dialog program missing or failing, names full of shell syntax handed through
// untouched, and paths the file system refuses. Each case ends in a picture under the right name or in a clear error,
// never in a crash, a partial file or a file under another name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "shell/Console.h"
#include "shell/platform/SaveFileDialog.h"
#include "shell/platform/UserMessage.h"
#include "shell/image/DataSourcePath.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageTargetSurface.h"

using namespace vornix;
namespace fs = std::filesystem;

namespace {

// A scratch folder with a stand-in "zenity" first on PATH; PATH is restored afterwards.
class SaveBadInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("vornix-save-bad-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "bin");
        const char* path = std::getenv("PATH");
        oldPath = path ? path : "";
    }
    void TearDown() override
    {
        ::setenv("PATH", oldPath.c_str(), 1);
        fs::remove_all(dir);
    }
    // The stand-in prints its arguments one per line to args.txt and `answer` on standard output, then exits with
    // `status`. A question or an error message is recorded in asked.txt (its arguments, one per line) and answered
    // with `questionStatus`.
    void fakeZenity(const std::string& answer, int status, int questionStatus = 1)
    {
        const fs::path script = dir / "bin" / "zenity";
        std::ofstream(script) << "#!/bin/sh\ncase \"$1\" in --question|--error) printf '%s\\n' \"$@\" >> '"
                              << (dir / "asked.txt").string() << "'; exit " << questionStatus << ";; esac\n"
                              << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << (dir / "args.txt").string()
                              << "'\nprintf '%s\\n' '" << answer << "'\nexit " << status << "\n";
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("PATH", (dir / "bin").c_str(), 1);
    }
    static Surface8u picture()
    {
        Surface8u s(4, 3, false, SurfaceChannelOrder::RGB);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                s.getPixel(x, y)[0] = static_cast<std::uint8_t>(60 * x);
        return s;
    }
    std::size_t fileCount(const fs::path& folder) const
    {
        std::size_t n = 0;
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            n += entry.is_regular_file() ? 1 : 0;
        return n;
    }

    std::string asked() const
    {
        std::ifstream in(dir / "asked.txt");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir;
    std::string oldPath;
};

} // namespace

TEST_F(SaveBadInput, MissingOrFailingDialogGivesOneConsoleLineAndNoPath)
{
    ::setenv("PATH", (dir / "bin").c_str(), 1);   // no zenity there
    {
        ConsoleCapture capture;
        EXPECT_FALSE(getSaveFilePath("", {"png", "jpg"}).has_value());
        ASSERT_EQ(capture.lines.size(), 1u);
        EXPECT_NE(capture.lines[0].find("zenity"), std::string::npos) << capture.lines[0];
    }
    fakeZenity("", 5);
    {
        ConsoleCapture capture;
        EXPECT_FALSE(getSaveFilePath("", {"png", "jpg"}).has_value());
        ASSERT_EQ(capture.lines.size(), 1u);
        EXPECT_NE(capture.lines[0].find("status 5"), std::string::npos) << capture.lines[0];
    }
    fakeZenity("ignored", 1);   // cancel: an empty answer, no console line
    ConsoleCapture capture;
    EXPECT_EQ(getSaveFilePath("", {"png"}), std::string());
    EXPECT_TRUE(capture.lines.empty());
}

TEST_F(SaveBadInput, NamesWithShellSyntaxPassThroughUntouchedAndSaveUnderThatName)
{
    // Spaces, double quotes, shell expansions, non-ASCII letters and a leading '-': the dialog's answer is the path,
    // byte for byte, and writing it makes exactly that file (nothing is run, nothing else appears).
    const std::string names[] = {"with space.png", "dq\"uote.jpg", "$(touch boom).png", "`id` ;|&.png",
                                 "grüße — ünïcode.JPG", "-rf.png", "--help.jpg", "*.png"};
    fs::create_directories(dir / "out");
    for (const std::string& name : names) {
        const std::string path = (dir / "out" / name).string();
        fakeZenity(path, 0);
        const auto chosen = getSaveFilePath(path, {"png", "jpg"});
        ASSERT_TRUE(chosen.has_value());
        EXPECT_EQ(*chosen, path);
        std::ifstream args(dir / "args.txt");
        std::string line, last;
        while (std::getline(args, line))
            last = line;
        EXPECT_EQ(last, "--filename=" + path);   // the initial path reaches the dialog as one argument
        writeImage(*chosen, picture());
        EXPECT_EQ(loadSurface(DataSourcePath::create(*chosen)).getWidth(), 4) << name;
    }
    EXPECT_EQ(fileCount(dir / "out"), std::size(names));
    EXPECT_FALSE(fs::exists("boom"));
    EXPECT_FALSE(fs::exists(dir / "out" / "boom"));
}

TEST_F(SaveBadInput, PathsTheSystemRefusesRaiseAndLeaveNoFile)
{
    const Surface8u p = picture();
    // A name longer than a file system allows, and a path longer than the system allows.
    const std::string longName = (dir / (std::string(300, 'n') + ".png")).string();
    std::string longPath = dir.string();
    while (longPath.size() < 5000)
        longPath += "/" + std::string(200, 'd');
    longPath += "/x.png";
    // A folder that cannot be written even by root: a file standing where the folder should be, and /proc.
    std::ofstream(dir / "file") << "x";
    for (const std::string& bad : {longName, longPath, (dir / "file" / "x.png").string(),
                                   std::string("/proc/vornix-cannot-write.jpg")}) {
        EXPECT_ANY_THROW(writeImage(bad, p)) << bad.substr(0, 80);
    }
    EXPECT_EQ(fileCount(dir), 1u);   // only "file": no partial picture, no temporary left behind
    EXPECT_FALSE(fs::exists("/proc/vornix-cannot-write.jpg"));
}

TEST_F(SaveBadInput, ChoosingAPathAsksBeforeTheExtensionRuleReplacesAFile)
{
    fs::create_directories(dir / "out");
    std::ofstream(dir / "out" / "shot.png") << "earlier picture";
    const std::vector<std::string> picture = {"png", "jpg"};
    const std::string shot = (dir / "out" / "shot").string(), shotPng = shot + ".png";

    // "shot" and "shot.bmp" become shot.png, which exists: the question names it; "no" is a cancel, "yes" the path.
    fakeZenity(shot, 0, 1);
    EXPECT_EQ(chooseSavePath("", picture), std::string());
    EXPECT_NE(asked().find("--question"), std::string::npos);
    EXPECT_NE(asked().find("shot.png already exists."), std::string::npos) << asked();
    fakeZenity(shot + ".bmp", 0, 0);
    EXPECT_EQ(chooseSavePath("", picture), shotPng);
    // The dialog itself asked about a name the rule keeps, so no second question; nor for a name that is free.
    fs::remove(dir / "asked.txt");
    fakeZenity(shotPng, 0, 1);
    EXPECT_EQ(chooseSavePath("", picture), shotPng);
    fakeZenity((dir / "out" / "fresh").string(), 0, 1);
    EXPECT_EQ(chooseSavePath("", picture), (dir / "out" / "fresh.png").string());
    EXPECT_EQ(asked(), "");
    // A question that cannot be shown saves nothing, with a console line.
    fakeZenity(shot, 0, 7);
    ConsoleCapture capture;
    EXPECT_FALSE(chooseSavePath("", picture).has_value());
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_NE(capture.lines[0].find(shotPng), std::string::npos) << capture.lines[0];
    std::ifstream earlier(dir / "out" / "shot.png");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "earlier picture");
}

TEST_F(SaveBadInput, ErrorMessageReachesTheDialogAsPlainTextOrTheConsoleSaysWhy)
{
    fakeZenity("", 0, 0);
    {
        ConsoleCapture capture;
        EXPECT_TRUE(showErrorMessage("Could not save <b>$(x)</b> & more"));
        EXPECT_TRUE(capture.lines.empty());
    }
    EXPECT_NE(asked().find("--error"), std::string::npos);
    EXPECT_NE(asked().find("--no-markup"), std::string::npos);
    EXPECT_NE(asked().find("--text=Could not save <b>$(x)</b> & more\n"), std::string::npos) << asked();
    ::setenv("PATH", (dir / "none").c_str(), 1);   // no zenity at all
    ConsoleCapture capture;
    EXPECT_FALSE(showErrorMessage("lost"));   // the caller shows it in the window instead
    ASSERT_EQ(capture.lines.size(), 1u);
    EXPECT_NE(capture.lines[0].find("zenity"), std::string::npos) << capture.lines[0];
}
