// The user's own presets and colour schemes on disk: exact round trips, documents that cannot be used, names that
// are not file names, the library's folder handling, and a kill in the middle of a save.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

#include "app/studio/OwnLibrary.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace vornix;

namespace {

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

void expectIdentical(const Preset& a, const Preset& b)
{
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.colorScheme, b.colorScheme);
    EXPECT_EQ(bits(a.brushSizeDensity), bits(b.brushSizeDensity)) << a.name;
    EXPECT_EQ(bits(a.brushSizeVelocity), bits(b.brushSizeVelocity)) << a.name;
    EXPECT_EQ(a.velocityPrecision, b.velocityPrecision);
    EXPECT_EQ(a.viscosity, b.viscosity);
    EXPECT_EQ(a.diffusion, b.diffusion);
    EXPECT_EQ(bits(a.deltaTime), bits(b.deltaTime)) << a.name;
    EXPECT_EQ(a.quality, b.quality);
    EXPECT_EQ(std::make_tuple(a.show3DLighting, a.showFramerate, a.showGradientBar, a.showHelp, a.paused, a.engine),
              std::make_tuple(b.show3DLighting, b.showFramerate, b.showGradientBar, b.showHelp, b.paused, b.engine));
}

// Through the text a file holds.
std::optional<OwnPreset> throughText(const OwnPreset& p, std::string& error)
{
    const TomlDocument doc = parseToml(tomlText(presetDocument(p)), "x.toml");
    EXPECT_TRUE(doc) << doc.error;
    return presetFromDocument(doc.table, error);
}

std::string validPreset()
{
    return "format = 1\nname = 'P'\ncolor_scheme = 3\nbrush_size_density = 20.0\nbrush_size_velocity = 10\n"
           "velocity_precision = 4\nviscosity = 100\ndiffusion = 200\ndelta_time = 0.1\nquality = 200\n"
           "show_3d_lighting = true\nshow_framerate = false\nshow_gradient_bar = false\nshow_help = false\n"
           "paused = false\nengine = 'GPU'\n";
}

struct TempFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("vornix-own-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                  "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    TempFolder() { std::filesystem::remove_all(path); }
    ~TempFolder() { std::filesystem::remove_all(path); }
    std::string str() const { return path.string(); }
};

} // namespace

TEST(OwnFiles, EveryBuiltInPresetAndAnOwnSchemeComeBackBitIdentical)
{
    bool flip = false;
    for (Preset p : builtInPresets()) {
        // Every flag in both states across the table, and the CPU engine once.
        flip = !flip;
        p.showFramerate = p.showHelp = flip;
        p.showGradientBar = p.paused = !flip;
        p.engine = flip ? EngineCPU : EngineGPU;
        OwnPreset own{p, std::nullopt};
        std::string error;
        const auto back = throughText(own, error);
        ASSERT_TRUE(back) << error;
        expectIdentical(p, back->values);
        EXPECT_FALSE(back->scheme);
    }
    // Thirds and byte fractions need every digit of a float; the name is any Unicode with quotes.
    OwnScheme scheme{"Ünïcode \"quoted\" 'name' ✓", {{0.0f, 1.0f / 3.0f, 76.0f / 255.0f, 0.1f, 1.0f},
                                                     {1.0f / 7.0f, 0.7f, 0.3f, 0.2f, 1.0f},
                                                     {0.5f, 0.05f, 1e-30f, std::bit_cast<float>(1u), 1.0f},
                                                     {1.0f, std::bit_cast<float>(0x3F7FFFFFu), 0.0f, 1.0f, 1.0f}}};
    OwnPreset own{builtInPresets()[5], scheme};
    std::string error;
    const auto back = throughText(own, error);
    ASSERT_TRUE(back && back->scheme) << error;
    ASSERT_EQ(back->scheme->stops.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const ColorStop &a = scheme.stops[k], &b = back->scheme->stops[k];
        EXPECT_EQ(std::make_tuple(bits(a.position), bits(a.r), bits(a.g), bits(a.b)),
                  std::make_tuple(bits(b.position), bits(b.r), bits(b.g), bits(b.b)));
    }
    EXPECT_EQ(back->scheme->name, scheme.name);
}

// The settings file is read, changed and written back whole, so whatever a user put in it must survive the writer.
TEST(OwnFiles, AnyDocumentIsWrittenSoThatItReadsBackTheSame)
{
    const TomlDocument doc = parseToml(R"(
        format = 1
        "key with spaces" = 'x'
        "new\nline" = "tab\there"
        tiny = [ 0.0, 0.01, 1e-300, -2.5e-8, 5e-324 ]
        huge = [ 1e300, -inf, 12345678901234567.0 ]
        nested = [ [ 1, 2 ], [], [ { a = 1, b = [ 0.001 ] } ], [ 'mixed', 3, 0.05 ] ]
        point = { x = 0.02, y = { z = -0.003 }, empty = {} }
        when = 2026-12-09T10:30:00Z
        multi = """two
        lines"""
        [outer.inner]
        v = 0.07
        [[outer.list]]
        c = [ 0.04, 0.5 ]
        [[outer.list]]
        [[outer.list.deeper]]
        d = 1
        [empty]
    )", "rich.toml");
    ASSERT_TRUE(doc) << doc.error;
    const std::string text = tomlText(doc.table);
    const TomlDocument back = parseToml(text, "again.toml");
    ASSERT_TRUE(back) << back.error << "\n" << text;
    EXPECT_EQ(back.table, doc.table) << text;
    EXPECT_EQ(tomlText(back.table), text);
}

TEST(OwnFiles, DocumentsThatCannotBeUsedAreRefusedWithTheReason)
{
    const std::string preset = validPreset();
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = preset;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    struct Case {
        std::string text, expected;
    };
    const std::vector<Case> cases = {
        {"\x89PNG\r\n\x1a\n\0\0\xff binary", "line 1"},
        {preset + "quality = 300\n", "line 17"},                          // a duplicate key, with its place
        {preset + "Grün = 1\n", "U+00FC cannot stand there (line 17, column 3)"},   // beyond the library's reach
        {preset + "note = \"\\ж\"\n", "U+0436 cannot stand there (line 17, column 10)"},   // no escape
        {preset + "fort = 2\x01`0\"S\\nseTx\u031A 5\n", "line 17"},   // a bare value scanned into a string
        {preset + "name =\uFEF6 \"x\"\n", "U+FEF6 cannot stand there (line 17, column 7)"},   // and further up
        {std::string(300, '[') , "line 1"},                                // deep nesting
        {replaced("quality = 200", "quality = '200'"), "'quality' must be a whole number"},
        {replaced("quality = 200", "quality = 5"), "'quality' is 5, outside 10 to 1000"},
        {replaced("viscosity = 100\n", ""), "'viscosity' is missing"},
        {replaced("delta_time = 0.1", "delta_time = nan"), "'delta_time' is not a finite number"},
        {replaced("brush_size_density = 20.0", "brush_size_density = inf"), "not a finite number"},
        {replaced("brush_size_density = 20.0", "brush_size_density = 100.5"), "outside 1"},
        {replaced("format = 1", "format = 2"), "newer vornix (format 2"},
        {replaced("engine = 'GPU'", "engine = 'TPU'"), "'engine' must be"},
        {replaced("name = 'P'", "name = '   '"), "visible character"},
        {preset + "[scheme]\nname = 'S'\n[[scheme.stops]]\nposition = 0.0\ncolor = [0, 0, 0]\n"
                  "[[scheme.stops]]\nposition = 0.9\ncolor = [1, 1, 1]\n",
         "its colour scheme: the first stop must be at position 0 and the last at 1"},
        {preset + "[scheme]\nname = 'S'\nstops = [{position = 0.0, color = [0, 0, 0]}, "
                  "{position = nan, color = [1, 1, 1]}]\n",
         "not a finite number"},
    };
    for (const Case& c : cases) {
        const TomlDocument doc = parseToml(c.text, "bad.toml");
        std::string error = doc.error;
        if (doc) {
            EXPECT_FALSE(presetFromDocument(doc.table, error)) << c.text;
        }
        EXPECT_NE(error.find(c.expected), std::string::npos) << "got: " << error << "\nfor: " << c.text.substr(0, 80);
    }
    std::string error;
    // Any character in comments and strings.
    const TomlDocument commented = parseToml("# Grüße, Ελλάδα\n" + preset + "note = '''ж\\\n'''\n", "ok.toml");
    ASSERT_TRUE(commented) << commented.error;
    EXPECT_TRUE(presetFromDocument(commented.table, error)) << error;
    // Strings of every kind keep such characters, with their quotes and backslashes, as written.
    const TomlDocument strings = parseToml("a = 'жук \\ \"'\nb = '''\nϕ ''x'''''\nc = \"ж\\\"\"\n"
                                           "d = \"\"\"x \\\n  ж\"\"\"\n", "ok.toml");
    ASSERT_TRUE(strings) << strings.error;
    EXPECT_EQ(strings.table["a"].value_or(std::string()), "жук \\ \"");
    EXPECT_EQ(strings.table["b"].value_or(std::string()), "ϕ ''x''");
    EXPECT_EQ(strings.table["c"].value_or(std::string()), "ж\"");
    EXPECT_EQ(strings.table["d"].value_or(std::string()), "x ж");
}

TEST(OwnFiles, AnyNameGetsAFileNameEveryPlatformAccepts)
{
    const std::vector<std::pair<std::string, std::string>> names = {
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"}, {"..", "unnamed"}, {"../../etc/passwd", "_.._etc_passwd"},
        {"CON", "_CON"}, {"nul.txt", "_nul.txt"}, {"com7", "_com7"}, {"Console", "Console"}, {" x. ", "x"},
        {".hidden", "hidden"}, {"tab\tname", "tab_name"}, {"Fön ✓", "Fön ✓"}};
    for (const auto& [name, stem] : names)
        EXPECT_EQ(safeFileStem(name), stem) << name;
    // 300 characters of two bytes each: cut at a character boundary, at most 80 bytes.
    std::string longName;
    for (int k = 0; k < 300; ++k)
        longName += "é";
    const std::string stem = safeFileStem(longName);
    EXPECT_EQ(stem.size(), 80u);
    EXPECT_EQ(stem, longName.substr(0, 80));
    EXPECT_NE(checkName("   "), "");
    EXPECT_NE(checkName(""), "");
    EXPECT_EQ(checkName(longName), "");
}

TEST(OwnLibrary, FolderIsMadeOnFirstSaveBadFilesAreSkippedAndLeftAlone)
{
    TempFolder temp;
    OwnLibrary library{SettingsFolder(temp.str())};
    EXPECT_TRUE(library.reload().empty());
    EXPECT_FALSE(std::filesystem::exists(temp.path));   // loading makes nothing

    OwnPreset a{builtInPresets()[0], std::nullopt};
    a.values.name = "CON";
    OwnPreset b = a;
    b.values.name = "con";   // the same file name on Windows
    ASSERT_EQ(library.savePreset(a), "");
    ASSERT_EQ(library.savePreset(b), "");
    EXPECT_TRUE(std::filesystem::exists(temp.path / "presets/_CON.toml"));
    EXPECT_TRUE(std::filesystem::exists(temp.path / "presets/_con 2.toml"));
    ASSERT_EQ(library.saveScheme({"S", {{0, 0, 0, 0, 1}, {1, 1, 1, 1, 1}}}), "");
    EXPECT_NE(library.saveScheme({"T", {{0, 0, 0, 0, 1}}}), "");   // one stop: refused, nothing written

    // Files that cannot be used: each skipped with one message naming it; the good ones still load.
    std::ofstream(temp.path / "presets/empty.toml");
    std::ofstream(temp.path / "presets/noise.toml", std::ios::binary) << std::string("\x01\xff\xfe\x00garbage", 12);
    std::ofstream(temp.path / "presets/newer.toml") << validPreset().replace(0, 10, "format = 7");
    std::ofstream(temp.path / "presets/.half.toml.tmp123") << "format = ";   // a kill's leftover: not a preset
    const auto messages = library.reload();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("empty.toml"), std::string::npos);
    EXPECT_NE(messages[1].find("newer.toml"), std::string::npos);
    EXPECT_NE(messages[2].find("noise.toml: "), std::string::npos);
    EXPECT_NE(messages[2].find("line 1"), std::string::npos);
    ASSERT_EQ(library.presets().size(), 2u);
    EXPECT_EQ(library.schemes().size(), 1u);
    EXPECT_EQ(std::filesystem::file_size(temp.path / "presets/noise.toml"), 12u);   // left untouched

    // Rename follows with the file and the start choice; deleting the start preset clears the choice.
    ASSERT_EQ(library.setStartPresetFile(library.findPreset("con")->file), "");
    ASSERT_EQ(library.renamePreset("con", "Ink / Night"), "");
    EXPECT_EQ(library.startPresetFile(), "presets/Ink _ Night.toml");
    EXPECT_FALSE(std::filesystem::exists(temp.path / "presets/_con 2.toml"));
    EXPECT_NE(library.renamePreset("Ink / Night", "CON"), "");   // taken
    ASSERT_EQ(library.deletePreset("Ink / Night"), "");
    EXPECT_EQ(library.startPresetFile(), std::nullopt);
    library.reload();
    EXPECT_EQ(library.presets().size(), 1u);
}

#ifndef _WIN32
// A save ended at any point of its writing leaves the old contents or the new, never a file that cannot be read.
// First the saving process is ended inside its write, at several depths: it may write only so many bytes
// (RLIMIT_FSIZE), and the write beyond them ends it with SIGXFSZ, as a kill would. Then SIGKILL from outside at
// arbitrary moments of saves in a loop.
TEST(OwnLibrary, AKillDuringASaveLeavesTheOldOrTheNewFile)
{
    TempFolder temp;
    const SettingsFolder folder(temp.str());
    auto scheme = [](float shade) {
        OwnScheme s{"big", {}};
        for (std::size_t k = 0; k < MaxOwnStops; ++k)
            s.stops.push_back({static_cast<float>(k) / (MaxOwnStops - 1), shade, shade, shade, 1});
        return schemeDocument(s);
    };
    const toml::table oldDoc = scheme(0.25f), newDoc = scheme(0.75f);
    const std::string old = tomlText(oldDoc), next = tomlText(newDoc);
    auto contents = [&] {
        std::ifstream in(temp.path / "schemes/big.toml", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };

    for (const double depth : {0.0, 0.3, 0.5, 0.99}) {
        ASSERT_EQ(folder.write("schemes/big.toml", oldDoc), "");
        const pid_t child = fork();
        if (child == 0) {
            const rlim_t bytes = static_cast<rlim_t>(depth * static_cast<double>(next.size()));
            const rlimit limit{bytes, bytes};
            setrlimit(RLIMIT_FSIZE, &limit);
            folder.write("schemes/big.toml", newDoc);
            _exit(0);   // not reached: the write went beyond the limit
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the save was not cut off at " << depth;
        ASSERT_TRUE(contents() == old) << "cut off at " << depth << ": " << contents().size() << " bytes";
    }
    std::string error;
    EXPECT_EQ(folder.list("schemes", error), std::vector<std::string>{"big.toml"});   // the cut-off parts are not listed

    for (int round = 0; round < 12; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            close(ready[0]);
            for (int k = 0;; ++k) {
                folder.write("schemes/big.toml", k % 2 ? oldDoc : newDoc);
                if (k == round)
                    (void)!write(ready[1], "x", 1);   // from here on, saves are under way when the kill comes
            }
        }
        close(ready[1]);
        char c;
        ASSERT_EQ(read(ready[0], &c, 1), 1);
        close(ready[0]);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string text = contents();
        ASSERT_TRUE(text == old || text == next) << "round " << round << ": " << text.size() << " bytes";
    }
}
#endif
