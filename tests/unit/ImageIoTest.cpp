// Image files: JPEG and PNG round trips through real files, extension rules, folder creation, atomic writes and
// the rejection of damaged data.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "shell/Resources.h"
#include "shell/image/DataSourcePath.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageSourceSurface.h"
#include "shell/image/ImageTargetSurface.h"

namespace fs = std::filesystem;
using namespace vornix;

namespace {

class ImageIoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        dir = fs::temp_directory_path() / ("vornix_image_" + std::to_string(std::random_device()()));
        ASSERT_TRUE(fs::create_directory(dir));
#else
        char pattern[] = "/tmp/vornix_image_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
#endif
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::vector<std::string> filesIn(const fs::path& folder) const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        return names;
    }
    fs::path dir;
};

// A smooth picture with some detail, so that JPEG's loss stays small but is not zero.
Surface8u gradientSurface(int w, int h)
{
    Surface8u s(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = s.getPixel(x, y);
            p[0] = static_cast<std::uint8_t>(255 * x / (w - 1));
            p[1] = static_cast<std::uint8_t>(255 * y / (h - 1));
            p[2] = static_cast<std::uint8_t>((x + y) % 64 < 32 ? 200 : 60);
        }
    return s;
}

Surface8u solidSurface(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    Surface8u s(w, h, false);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = s.getPixel(x, y);
            p[0] = r, p[1] = g, p[2] = b;
        }
    return s;
}

double meanAbsDifference(const Surface8u& a, const Surface8u& b)
{
    double sum = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(a.getPixel(x, y)[c]) - int(b.getPixel(x, y)[c]));
    return sum / (3.0 * a.getWidth() * a.getHeight());
}

std::vector<std::uint8_t> readBytes(const std::string& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool startsWith(const std::vector<std::uint8_t>& bytes, std::initializer_list<int> magic)
{
    std::size_t i = 0;
    for (int m : magic)
        if (i >= bytes.size() || bytes[i++] != m)
            return false;
    return true;
}

} // namespace

TEST_F(ImageIoTest, JpegRoundTripKeepsThePictureWithinTheLossOfTheQuality)
{
    const Surface8u original = gradientSurface(97, 61);   // sizes not a multiple of the 8 x 8 blocks
    writeImage(path("high.jpg"), original, ImageTarget::Options().quality(0.9f));
    writeImage(path("low.jpg"), original, ImageTarget::Options().quality(0.1f));

    ImageSourceRef decoded = loadImage(DataSourcePath::create(path("high.jpg")));
    EXPECT_EQ(decoded->getWidth(), 97);
    EXPECT_EQ(decoded->getHeight(), 61);
    EXPECT_EQ(decoded->getColorModel(), ImageIo::CM_RGB);
    EXPECT_EQ(decoded->getDataType(), ImageIo::UINT8);
    EXPECT_EQ(decoded->getChannelOrder(), ImageIo::RGB);
    EXPECT_FALSE(decoded->isPremultiplied());
    EXPECT_EQ(decoded->getPixelAspectRatio(), 1.0f);

    const Surface8u high = surfaceFromImage(*decoded);
    const Surface8u low = loadSurface(DataSourcePath::create(path("low.jpg")));
    EXPECT_LT(meanAbsDifference(original, high), 3.0);
    // The quality reaches the encoder: lower quality, smaller file and a larger error.
    EXPECT_LT(fs::file_size(path("low.jpg")), fs::file_size(path("high.jpg")));
    EXPECT_GT(meanAbsDifference(original, low), meanAbsDifference(original, high));
}

TEST_F(ImageIoTest, RedStaysRedThroughPngInEveryChannelOrder)
{
    // The surface's channel order must be honoured: BGR bytes (0, 0, 255) are red too.
    Surface8u rgb = solidSurface(5, 3, 255, 0, 0);
    Surface8u bgr(5, 3, false, SurfaceChannelOrder::BGR);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            bgr.getPixel(x, y)[2] = 255;
    writeImage(path("rgb.png"), rgb);
    writeImage(path("bgr.png"), bgr);

    for (const char* name : {"rgb.png", "bgr.png"}) {
        ImageSourceRef decoded = loadImage(DataSourcePath::create(path(name)));
        EXPECT_EQ(decoded->getChannelOrder(), ImageIo::RGB) << name;   // three channels, no alpha
        const Surface8u back = surfaceFromImage(*decoded);
        const std::uint8_t* p = back.getPixel(4, 2);
        EXPECT_EQ(p[0], 255) << name;
        EXPECT_EQ(p[1], 0) << name;
        EXPECT_EQ(p[2], 0) << name;
    }
    // libpng's own view of the file: 8-bit RGB, colour type 2.
    const auto bytes = readBytes(path("rgb.png"));
    ASSERT_GT(bytes.size(), 26u);
    EXPECT_EQ(bytes[24], 8);   // IHDR bit depth
    EXPECT_EQ(bytes[25], 2);   // IHDR colour type: truecolour without alpha
}

TEST_F(ImageIoTest, PngKeepsAlphaAndConvertsToOtherSurfaceOrders)
{
    Surface8u rgba(2, 1, true);
    const std::uint8_t px[8] = {10, 20, 30, 40, 200, 150, 100, 255};
    std::copy(px, px + 8, rgba.getData());
    writeImage(path("alpha.png"), rgba);
    ImageSourceRef decoded = loadImage(DataSourcePath::create(path("alpha.png")));
    EXPECT_EQ(decoded->getChannelOrder(), ImageIo::RGBA);
    const Surface8u bgra = surfaceFromImage(*decoded, SurfaceChannelOrder::BGRA);
    const std::uint8_t expected[8] = {30, 20, 10, 40, 100, 150, 200, 255};
    EXPECT_TRUE(std::equal(expected, expected + 8, bgra.getData()));
}

// Paths are UTF-8 inside the program: a folder and a name outside any single code page are written and read back
// under exactly those names (on Windows through the wide-character file calls).
TEST_F(ImageIoTest, NamesOutsideAsciiAreKeptExactly)
{
    const fs::path folder = dir / fs::path(u8"Bilder \u00e4\u00f6");
    const std::u8string name = u8"\u6d41\u4f53 \u03c1\u00e9.png";
    const std::u8string utf8 = (folder / fs::path(name)).u8string();
    const std::string file(utf8.begin(), utf8.end());
    const Surface8u s = solidSurface(8, 8, 10, 200, 30);
    writeImage(file, s);
    ASSERT_TRUE(fs::is_regular_file(folder / fs::path(name)));
    const Surface8u back = loadSurface(DataSourcePath::create(file));
    EXPECT_EQ(meanAbsDifference(s, back), 0.0);
}

TEST_F(ImageIoTest, ExtensionsChooseTheEncoderInAnyLetterCase)
{
    const Surface8u s = solidSurface(8, 8, 0, 128, 255);
    writeImage(path("upper.PNG"), s);
    writeImage(path("pic.jpe"), s);
    writeImage(path("pic.JPEG"), s);
    writeImage(path("named"), s, {}, "jpg");   // an explicit extension overrides the path's
    EXPECT_TRUE(startsWith(readBytes(path("upper.PNG")), {0x89, 'P', 'N', 'G'}));
    EXPECT_TRUE(startsWith(readBytes(path("pic.jpe")), {0xFF, 0xD8, 0xFF}));
    EXPECT_TRUE(startsWith(readBytes(path("pic.JPEG")), {0xFF, 0xD8, 0xFF}));
    EXPECT_TRUE(startsWith(readBytes(path("named")), {0xFF, 0xD8, 0xFF}));
}

TEST_F(ImageIoTest, UnknownOrMissingExtensionWritesNothing)
{
    const Surface8u s = solidSurface(4, 4, 1, 2, 3);
    EXPECT_THROW(writeImage(path("pic.gif"), s), ImageIoExceptionUnknownExtension);
    EXPECT_THROW(writeImage(path("pic"), s), ImageIoExceptionUnknownExtension);
    // A dot in a folder name is no extension, and nothing is created for a refused name, folders included.
    EXPECT_THROW(writeImage(path("my.pictures/fluid"), s), ImageIoExceptionUnknownExtension);
    EXPECT_THROW(writeImage(path("new.folder/sub/pic.gif"), s), ImageIoExceptionUnknownExtension);
    EXPECT_TRUE(filesIn(dir).empty());
    // The family shares one base class that callers can catch.
    EXPECT_THROW(writeImage(path("pic.bmpx"), s), ImageIoException);
}

TEST_F(ImageIoTest, MissingFoldersAreCreated)
{
    const std::string target = path("a.b/c/d/pic.png");
    writeImage(target, solidSurface(3, 3, 9, 9, 9));
    EXPECT_TRUE(fs::is_regular_file(target));
    EXPECT_EQ(filesIn(dir / "a.b/c/d"), std::vector<std::string>{"pic.png"});   // no temporary left over
}

TEST_F(ImageIoTest, UnwritableTargetRaisesFailedLoadAndLeavesNoFile)
{
    const Surface8u s = solidSurface(3, 3, 9, 9, 9);
    // A folder that cannot exist: its parent is a plain file.
    std::ofstream(path("plain")) << "x";
    EXPECT_THROW(writeImage(path("plain/pic.png"), s), ImageIoExceptionFailedLoad);
    // The target name is taken by a folder: the finished file cannot be moved into place.
    fs::create_directory(path("taken.png"));
    EXPECT_THROW(writeImage(path("taken.png"), s), ImageIoExceptionFailedLoad);
    EXPECT_TRUE(fs::is_directory(path("taken.png")));
    auto names = filesIn(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"plain", "taken.png"}));

#ifndef _WIN32
    if (::geteuid() != 0) {   // permissions do not bind root
        fs::create_directory(path("locked"));
        fs::permissions(path("locked"), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_THROW(writeImage(path("locked/pic.jpg"), s), ImageIoExceptionFailedLoad);
        fs::permissions(path("locked"), fs::perms::owner_all);
        EXPECT_TRUE(filesIn(dir / "locked").empty());
    }
#endif
}

TEST_F(ImageIoTest, FailedWriteKeepsTheOldFile)
{
    const std::string target = path("keep.png");
    writeImage(target, solidSurface(3, 3, 255, 0, 0));
    const auto before = readBytes(target);
    // An image that the encoder refuses (no pixels) must not clobber the file that is there.
    EXPECT_THROW(writeImage(target, Surface8u(0, 0, false)), ImageIoExceptionFailedLoad);
    EXPECT_EQ(readBytes(target), before);
}

TEST_F(ImageIoTest, DamagedDataRaisesFailedLoad)
{
    writeImage(path("good.jpg"), gradientSurface(64, 64));
    const auto good = readBytes(path("good.jpg"));
    auto source = [](std::vector<std::uint8_t> bytes) { return DataSourceBuffer::create(Buffer(std::move(bytes))); };

    EXPECT_NO_THROW(loadImage(source(good)));
    // Truncated at several points: in the header, in the tables, in the scan.
    for (std::size_t keep : {std::size_t(2), std::size_t(20), std::size_t(200), good.size() / 2, good.size() - 2}) {
        std::vector<std::uint8_t> cut(good.begin(), good.begin() + static_cast<long>(keep));
        EXPECT_THROW(loadImage(source(cut)), ImageIoExceptionFailedLoad) << "kept " << keep << " bytes";
    }
    // Scan data overwritten with markers and noise.
    std::vector<std::uint8_t> corrupt = good;
    for (std::size_t i = good.size() / 2; i < good.size() / 2 + 64; ++i)
        corrupt[i] = static_cast<std::uint8_t>(i * 37);
    corrupt[good.size() / 2] = 0xFF;
    corrupt[good.size() / 2 + 1] = 0xD9;
    EXPECT_THROW(loadImage(source(corrupt)), ImageIoExceptionFailedLoad);
    // Header claiming an impossible frame.
    std::vector<std::uint8_t> garbage = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x03, 0x00, 0x00};
    EXPECT_THROW(loadImage(source(garbage)), ImageIoExceptionFailedLoad);
    EXPECT_THROW(loadImage(source({})), ImageIoExceptionFailedLoad);
    EXPECT_THROW(loadImage(source({'G', 'I', 'F', '8', '9', 'a'})), ImageIoExceptionFailedLoad);

    writeImage(path("good.png"), gradientSurface(16, 16));
    auto png = readBytes(path("good.png"));
    png.resize(png.size() - 30);
    EXPECT_THROW(loadImage(source(png)), ImageIoExceptionFailedLoad);
    EXPECT_THROW(DataSourcePath::create(path("missing.jpg")), ImageIoExceptionFailedLoad);
}

TEST_F(ImageIoTest, GreyTargetsAndSourcesConvert)
{
    writeImage(path("grey.png"), solidSurface(4, 2, 255, 255, 255), ImageTarget::Options().colorModel(ImageIo::CM_GRAY));
    ImageSourceRef decoded = loadImage(DataSourcePath::create(path("grey.png")));
    EXPECT_EQ(decoded->getColorModel(), ImageIo::CM_GRAY);
    EXPECT_EQ(decoded->getChannelOrder(), ImageIo::Y);
    const Surface8u back = surfaceFromImage(*decoded);   // grey becomes equal R, G, B
    EXPECT_EQ(back.getChannelOrder(), SurfaceChannelOrder::RGB);
    EXPECT_EQ(back.getPixel(3, 1)[0], 255);
    EXPECT_EQ(back.getPixel(3, 1)[2], 255);
}

TEST(HelpPicture, DecodesTo1196By1200ColourPixels)
{
    ImageSourceRef help = loadImage(loadResource(138, "IMG"));
    EXPECT_EQ(help->getWidth(), 1196);
    EXPECT_EQ(help->getHeight(), 1200);
    EXPECT_EQ(help->getColorModel(), ImageIo::CM_RGB);
    EXPECT_EQ(help->getDataType(), ImageIo::UINT8);
    EXPECT_EQ(help->getChannelOrder(), ImageIo::RGB);
    // Three colour components in the frame header, baseline (SOF0): walk the marker segments up to the scan.
    const DataSourceRef resource = loadResource(138, "IMG");
    const Buffer& bytes = resource->getBuffer();
    const std::uint8_t* d = bytes.getData();
    bool sawBaselineFrame = false;
    for (std::size_t i = 2; i + 9 < bytes.getDataSize() && d[i] == 0xFF && d[i + 1] != 0xDA;
         i += 2 + (std::size_t(d[i + 2]) << 8 | d[i + 3])) {
        EXPECT_NE(d[i + 1], 0xC2) << "progressive";
        if (d[i + 1] == 0xC0) {
            EXPECT_EQ(d[i + 9], 3);
            sawBaselineFrame = true;
        }
    }
    EXPECT_TRUE(sawBaselineFrame);
}
