// Fonts that cannot be had: a family fontconfig finds no face for, and files FreeType cannot open. Each is one
// FontLoadExc naming what failed, never a crash or an empty font that looks valid.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "shell/Font.h"

using namespace vornix;

namespace {

std::filesystem::path scratch(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / "vornix-font-test";
    std::filesystem::create_directories(dir);
    return dir / name;
}

std::string loadError(const std::string& path)
{
    try {
        const Font font = Font::fromFile(path, 16.0f);
        return font ? "" : "empty font";
    } catch (const FontLoadExc& e) {
        return e.what();
    }
}

TEST(FontLoad, FilesFreeTypeCannotOpenAreReportedWithTheirPath)
{
    const auto missing = scratch("missing.ttf");
    std::filesystem::remove(missing);
    const auto garbage = scratch("garbage.ttf"), empty = scratch("empty.ttf"), cut = scratch("cut.ttf");
    std::ofstream(garbage) << "this is not a font, just some text in a file named like one";
    std::ofstream(empty).flush();
    // The first kilobyte of a real face: the tables it names lie beyond the end of the file.
    {
        std::ifstream real(Font("Arial", 16.0f).getFilePath(), std::ios::binary);
        std::vector<char> head(1024);
        real.read(head.data(), static_cast<std::streamsize>(head.size()));
        std::ofstream(cut, std::ios::binary).write(head.data(), real.gcount());
    }
    for (const auto& path : {missing, garbage, empty, cut, scratch("")}) {
        const std::string error = loadError(path.string());
        EXPECT_NE(error.find("Cannot open font file " + path.string()), std::string::npos) << error;
    }
    std::filesystem::remove_all(scratch("").parent_path());
}

TEST(FontLoad, AFontFileOpensLikeTheFamilyItWasFoundFor)
{
    const Font byName("Arial", 16.0f);
    const Font byFile = Font::fromFile(byName.getFilePath(), 16.0f);
    EXPECT_EQ(byFile.getName(), byName.getFilePath());
    EXPECT_EQ(byFile.getEmHeight(), 12);
    EXPECT_EQ(byFile.getAscent(), byName.getAscent());
    EXPECT_EQ(byFile.getDescent(), byName.getDescent());
    EXPECT_EQ(byFile.getLeading(), byName.getLeading());
    EXPECT_EQ(byFile.measureWidth("Framerate: 30.0"), byName.measureWidth("Framerate: 30.0"));
    EXPECT_THROW(Font::fromFile(byName.getFilePath(), 1.0f), FontLoadExc);   // below a one-pixel em
}

TEST(FontLoad, NoFaceForTheFamilyIsReportedByName)
{
    // fontconfig reads its configuration once per process, so a fresh process gets one that knows no fonts at all.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto conf = scratch("empty.conf");
    std::ofstream(conf) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    EXPECT_EXIT(
        {
            setenv("FONTCONFIG_FILE", conf.c_str(), 1);
            try {
                const Font font("Arial", 16.0f);
                std::fputs("loaded", stderr);
                std::fflush(stderr);
                std::_Exit(0);
            } catch (const FontLoadExc& e) {
                std::fputs(e.what(), stderr);
                std::fflush(stderr);
                std::_Exit(3);
            }
        },
        ::testing::ExitedWithCode(3), "No font found for family \"Arial\"");
    std::filesystem::remove(conf);
}

} // namespace
