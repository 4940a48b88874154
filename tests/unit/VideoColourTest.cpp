// An MP4 shows the window's colours in a player that honours the stream's colour tags (a colour-managed player): pure
// red, green, blue and white come back within 3 of 255 and 0 in each channel.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

extern "C" {
#include <libavutil/frame.h>
}

#include "shell/video/VideoEncoder.h"
#include "tests/support/VideoDecoding.h"

using namespace vornix;
namespace fs = std::filesystem;

TEST(VideoColour, PrimariesAndWhiteKeepTheirColoursInAPlayerThatHonoursTheTags)
{
    if (!test::canDecode())
        GTEST_SKIP() << "this FFmpeg cannot read the file back";
    const fs::path path = fs::temp_directory_path() / ("vornix_colour_" + std::to_string(std::random_device()()) + ".mp4");
    // Four quarters of 32 x 32 pixels: red, green, blue, white (BGRA bytes; rows from the bottom of the picture).
    struct Quarter {
        int x, y;
        std::uint8_t b, g, r;
    };
    const Quarter quarters[] = {{0, 0, 0, 0, 255}, {32, 0, 0, 255, 0}, {0, 32, 255, 0, 0}, {32, 32, 255, 255, 255}};
    VideoFrame frame;
    frame.resize(64, 64);
    for (const Quarter& q : quarters)
        for (int y = q.y; y < q.y + 32; ++y)
            for (int x = q.x; x < q.x + 32; ++x) {
                std::uint8_t* p = &frame.bgra[static_cast<std::size_t>((63 - y) * 64 + x) * 4];
                p[0] = q.b, p[1] = q.g, p[2] = q.r, p[3] = 255;
            }
    {
        VideoEncoder encoder(path.string(), VideoFormat::Mp4, 64, 64);
        for (int k = 0; k < 3; ++k)
            encoder.write(frame);
        encoder.finish();
    }
    int decoded = 0;
    test::decodeVideo(path.string(), [&](const AVFrame& picture) {
        ++decoded;
        for (const Quarter& q : quarters) {
            const std::array<int, 3> shown = test::playerRgb(picture, q.x + 16, q.y + 16);
            const int want[3] = {q.r, q.g, q.b};
            for (int c = 0; c < 3; ++c)
                EXPECT_NEAR(shown[static_cast<std::size_t>(c)], want[c], 3)
                    << "channel " << c << " of (" << int(q.r) << ", " << int(q.g) << ", " << int(q.b) << ") shown as ("
                    << shown[0] << ", " << shown[1] << ", " << shown[2] << ")";
        }
    });
    EXPECT_EQ(decoded, 3);
    fs::remove(path);
}
