// Video files take the name the save dialog gave, as UTF-8: a folder and a name outside any single code page are
// written under exactly those names (on Windows FFmpeg must reach them through the wide-character file calls), and
// a file that cannot be created is refused with its name in the message; a recording without a frame leaves no file.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "shell/Path.h"
#include "shell/video/VideoEncoder.h"
#include "shell/video/VideoException.h"

using namespace vornix;
namespace fs = std::filesystem;

TEST(VideoFileNameTest, NamesOutsideAsciiAreKeptExactlyAndUnwritableOnesRefused)
{
    const fs::path dir = fs::temp_directory_path() / ("vornix_video_" + std::to_string(std::random_device()()));
    const fs::path folder = dir / fs::path(u8"Wirbel \u00e4\u00f6");
    fs::create_directories(folder);
    VideoFrame frame;
    frame.resize(16, 16);
    for (VideoFormat format : {VideoFormat::Gif, VideoFormat::Mp4}) {
        const fs::path file = folder / fs::path(format == VideoFormat::Gif ? u8"\u6d41\u4f53 \u03c1\u00e9.gif"
                                                                           : u8"\u6d41\u4f53 \u03c1\u00e9.mp4");
        VideoEncoder encoder(utf8FromPath(file), format, 16, 16);
        encoder.write(frame);
        encoder.write(frame);
        encoder.finish();
        EXPECT_EQ(encoder.framesWritten(), 2);
        EXPECT_TRUE(fs::is_regular_file(file)) << utf8FromPath(file);
        EXPECT_GT(fs::file_size(file), 0u);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);

    // Stopped before its first frame (started and stopped while paused): finished without an error, no file left.
    for (VideoFormat format : {VideoFormat::Gif, VideoFormat::Mp4}) {
        const fs::path file = folder / (format == VideoFormat::Gif ? "empty.gif" : "empty.mp4");
        VideoEncoder encoder(utf8FromPath(file), format, 16, 16);
        EXPECT_NO_THROW(encoder.finish()) << utf8FromPath(file);
        EXPECT_FALSE(fs::exists(file)) << utf8FromPath(file);
    }

    const std::string missing = utf8FromPath(folder / "no such folder" / "clip.gif");
    try {
        VideoEncoder encoder(missing, VideoFormat::Gif, 16, 16);
        ADD_FAILURE() << "a file in a missing folder was opened";
    } catch (const VideoException& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot write " + missing), std::string::npos) << e.what();
    }
    fs::remove_all(dir);
}
