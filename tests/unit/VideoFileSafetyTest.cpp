// What a video file keeps when things go wrong, read back as a player reads it: a program that ends abruptly (killed,
// crashed) leaves a file that plays every frame but the few the encoder still held, and a disk that fills up stops the
// recording with the number of frames that really are in the file. The writer runs in a child process, which dies
// as a killed program does or meets a file-size limit as a full disk; its leaks (a sanitizer build) fail the test too.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "shell/video/FrameQueue.h"
#include "shell/video/VideoEncoder.h"
#include "tests/support/VideoDecoding.h"

using namespace vornix;
namespace fs = std::filesystem;

namespace {

class VideoFileSafety : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!test::canDecode())
            GTEST_SKIP() << "this FFmpeg cannot read the files back";
        dir_ = fs::temp_directory_path() / ("vornix_video_safety_" + std::to_string(std::random_device()()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }

    // Runs `body` in a child process; its exit status, or -1 when it did not exit.
    static int inChild(const std::function<int()>& body)
    {
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            int status = 99;
            try {
                status = body();
            } catch (...) {
            }
            std::exit(status);   // exit, not _exit: a sanitizer's leak check runs and reports through the status
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // A moving, fluid-like picture: smooth waves in every channel, different in every frame.
    static void paint(VideoFrame& frame, int width, int height, int k)
    {
        frame.resize(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = &frame.bgra[(static_cast<std::size_t>(y) * width + x) * 4];
                p[0] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.03 + k * 0.2));
                p[1] = static_cast<std::uint8_t>(128 + 100 * std::cos(y * 0.02 - k * 0.1));
                p[2] = static_cast<std::uint8_t>((x + y + k * 5) & 255);
                p[3] = 255;
            }
    }

    fs::path dir_;
};

} // namespace

TEST_F(VideoFileSafety, AnMp4CutOffAbruptlyPlaysAllButWhatTheEncoderHeld)
{
    const std::string path = file("killed.mp4");
    const int status = inChild([&] {
        VideoEncoder encoder(path, VideoFormat::Mp4, 600, 600);
        VideoFrame frame;
        for (int k = 0; k < 75; ++k) {
            paint(frame, 600, 600, k);
            encoder.write(frame);
        }
        _exit(0);   // as a killed program: nothing is finished, closed or freed
        return 1;
    });
    ASSERT_EQ(status, 0);
    // The encoder holds at most B-frames, a short look-ahead and a frame per thread (13 frames with four threads);
    // a file written a fragment per second would lose a second more.
    EXPECT_GE(test::decodeVideo(path), 62) << "of 75 frames handed to the encoder";
}

TEST_F(VideoFileSafety, AFullDiskStopsTheRecordingWithTheFramesThatReachedTheFile)
{
    struct Case {
        VideoFormat format;
        int width, height;
        const char* name;
    };
    for (const Case c : {Case{VideoFormat::Mp4, 600, 600, "full.mp4"}, Case{VideoFormat::Gif, 200, 200, "full.gif"}}) {
        const std::string path = file(c.name), count = file(std::string(c.name) + ".frames");
        const int status = inChild([&] {
            // The file may not grow beyond 150 KB: writes past that fail as on a full disk.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{150'000, 150'000};
            setrlimit(RLIMIT_FSIZE, &limit);
            FrameQueue queue(std::make_unique<VideoEncoder>(path, c.format, c.width, c.height), 6);
            for (int k = 0; k < 1000 && !queue.failure(); ++k) {
                VideoFrame frame = queue.blank();
                paint(frame, c.width, c.height, k);
                queue.submit(std::move(frame));
            }
            const FrameQueue::Result result = queue.stop();
            std::ofstream(count) << (result.error ? result.frames : -1);
            return 0;
        });
        ASSERT_EQ(status, 0) << c.name << ": the writer did not end cleanly (a sanitizer's report?)";
        std::int64_t reported = -2;
        std::ifstream(count) >> reported;
        ASSERT_GE(reported, 1) << c.name << ": no failure, or nothing written before it";
        EXPECT_EQ(test::decodeVideo(path), reported) << c.name << ": the frames the message counts are in the file";
    }
}

#endif
