// VideoRecorder: records the window into a video file. The GUI thread reads each frame back through pixel-buffer
// objects (the read of one frame is collected during the next, so the GPU is never waited for on the spot), and an
// encoder thread behind a bounded FrameQueue writes the file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "shell/video/FrameQueue.h"
#include "shell/video/VideoEncoder.h"

namespace vornix {

class VideoRecorder {
public:
    // Frames queued between the GUI thread and the encoder. With 600 x 600 frames that is about 8.6 MB.
    static constexpr std::size_t queueCapacity = 6;

    // Creates the file for frames of width x height; throws VideoException when it cannot be made.
    VideoRecorder(const std::string& path, VideoFormat format, int width, int height);
    // Completes the file when stop() was not called (needs the GL context current).
    ~VideoRecorder();
    VideoRecorder(const VideoRecorder&) = delete;
    VideoRecorder& operator=(const VideoRecorder&) = delete;

    // Reads the current framebuffer's area (0, 0)-(windowWidth, windowHeight) as the next frame. GL context current.
    // Waits while the encoder is a full queue behind.
    void capture(int windowWidth, int windowHeight);
    // Why the encoder stopped taking frames (the disk is full, ...), once it has.
    std::optional<std::string> failure() const;
    // Collects the last read, waits for the encoder to write everything and completes the file. GL context current.
    FrameQueue::Result stop();

    std::int64_t framesCaptured() const { return captured_; }
    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& codecDescription() const { return codec_; }

private:
    struct PixelBuffers;
    void collectPending();

    int width_ = 0, height_ = 0;
    std::string codec_;
    std::unique_ptr<FrameQueue> queue_;
    std::unique_ptr<PixelBuffers> buffers_;
    std::int64_t captured_ = 0;
    bool stopped_ = false;
};

} // namespace vornix
