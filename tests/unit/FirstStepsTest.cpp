// What a new user meets first: the advice on software OpenGL, notices that wrap long paths, where the save dialogs
// start.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>

#include "app/studio/Notice.h"
#include "app/studio/SaveFolders.h"
#include "app/studio/SoftwareOpenGl.h"
#include "render/FramerateLine.h"
#include "shell/Path.h"
#include "tests/support/FontAvailability.h"

using namespace vornix;
namespace fs = std::filesystem;

TEST(SoftwareOpenGl, RenderersThatDrawOnTheProcessorAreToldApartFromGpus)
{
    for (const char* software : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe", "Mesa X11 (swrast)",
                                 "Software Rasterizer", "GDI Generic", "Microsoft Basic Render Driver"})
        EXPECT_TRUE(isSoftwareRenderer(software)) << software;
    for (const char* gpu : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "NVIDIA GeForce GTX 1060/PCIe/SSE2",
                            "AMD Radeon RX 580 Series (polaris10, LLVM 15.0.6, DRM 3.49, 6.1.0-13-amd64)",
                            "virgl (Mesa)", ""})
        EXPECT_FALSE(isSoftwareRenderer(gpu)) << gpu;
    // Only while the GPU engine runs: on the CPU engine there is nothing to advise.
    EXPECT_TRUE(softwareOpenGlAdvice("llvmpipe", EngineGPU));
    EXPECT_FALSE(softwareOpenGlAdvice("llvmpipe", EngineCPU));
}

TEST(SaveFolders, DialogsStartInTheUsersFolderThenInTheLastOneUsedRememberedBetweenRuns)
{
    const fs::path root = fs::temp_directory_path() / "vornix-save-folders-test";
    fs::remove_all(root);
    const std::string pictures = utf8FromPath(root / "Bilder"), videos = utf8FromPath(root / "Videos"),
                      other = utf8FromPath(root / "anderswo \xc3\xbc"),
                      settings = utf8FromPath(root / "config" / "vornix");
    for (const std::string& folder : {pictures, videos, other})
        fs::create_directories(pathFromUtf8(folder));
    const auto in = [](const std::string& folder, const std::string& name) {
        return utf8FromPath(pathFromUtf8(folder) / name);
    };
    std::tm moment{};
    moment.tm_year = 2026 - 1900, moment.tm_mon = 11, moment.tm_mday = 8;
    moment.tm_hour = 15, moment.tm_min = 30, moment.tm_sec = 2, moment.tm_isdst = -1;
    const std::time_t now = std::mktime(&moment);
    const std::string name = "vornix 2026-12-08 15-30-02";

    SaveFolders folders(settings, pictures, videos);
    EXPECT_EQ(folders.suggestion(SaveKind::Picture, "png", now), in(pictures, name + ".png"));
    EXPECT_EQ(folders.suggestion(SaveKind::Video, "mp4", now), in(videos, name + ".mp4"));
    // A name that is taken is not suggested.
    std::ofstream(pathFromUtf8(in(pictures, name + ".png"))) << "taken";
    EXPECT_EQ(folders.suggestion(SaveKind::Picture, "png", now), in(pictures, name + " (2).png"));

    // Nothing is written before the first save; from then on the folder used is remembered, for the next run too,
    // for its kind of file only.
    EXPECT_FALSE(fs::exists(pathFromUtf8(settings)));
    EXPECT_EQ(folders.remember(SaveKind::Picture, in(other, "shot.png")), "");
    const SaveFolders nextRun(settings, pictures, videos);
    EXPECT_EQ(nextRun.suggestion(SaveKind::Picture, "jpg", now), in(other, name + ".jpg"));
    EXPECT_EQ(nextRun.suggestion(SaveKind::Video, "gif", now), in(videos, name + ".gif"));

    // A remembered folder that is gone: the user's folder again; no folder at all: the name alone.
    fs::remove_all(pathFromUtf8(other));
    EXPECT_EQ(SaveFolders(settings, pictures, videos).suggestion(SaveKind::Picture, "png", now),
              in(pictures, name + " (2).png"));
    EXPECT_EQ(SaveFolders().suggestion(SaveKind::Video, "mp4", now), name + ".mp4");
    fs::remove_all(root);
}

TEST(Notice, LongTextWrapsWithinTheWindowAndLosesNothing)
{
    SKIP_WITHOUT_ARIAL();
    const Font font = FramerateLine::defaultFont();
    const auto withoutSpaces = [](std::string text) {
        std::erase(text, ' ');
        return text;
    };
    // Words and a path longer than a line, and a word with no place to break at all.
    const std::vector<std::string> texts = {
        "Saved the picture to /home/someone/Bilder/Wirbel \xc3\xa4\xc3\xb6/vornix 2026-12-08 15-30-02.png",
        std::string(60, 'x')};
    for (const std::string& text : texts) {
        const auto lines = wrapText(text, font, 150.0f);
        ASSERT_GE(lines.size(), 2u) << text;
        std::string joined;
        for (const std::string& line : lines) {
            EXPECT_LE(font.measureWidth(line), 150.0f) << line;
            joined += line;
        }
        EXPECT_EQ(withoutSpaces(joined), withoutSpaces(text));
    }
    // A path breaks after its folder separators.
    const auto lines = wrapText("/home/someone/Bilder/Wirbel/vornix.png", font, 100.0f);
    ASSERT_GE(lines.size(), 2u);
    for (std::size_t k = 0; k + 1 < lines.size(); ++k)
        EXPECT_EQ(lines[k].back(), '/') << lines[k];
}
