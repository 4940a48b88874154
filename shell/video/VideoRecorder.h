// VideoRecorder: records pictures of a fixed size into a video file. The video's size is the picture's rounded down to
// even numbers (H.264 with 4:2:0 colour needs them): the picture's right column and bottom row are cut off when odd,
// never resampled. Each frame is drawn into a framebuffer object of the video's size, so the clip does not depend on
// the window (full screen, another size or a minimised window change nothing in it), and read back through
// pixel-buffer objects (the read of one frame is collected during the next, so the GPU is never waited for on the
// spot); an encoder thread behind a bounded FrameQueue writes the file.
#pragma once

#include <cstdint>
#include <functional>
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

    // Draws one picture of width x height pixels (the size given at construction): sets its own matrices, leaves the
    // viewport and the framebuffer binding alone.
    using DrawPicture = std::function<void(int width, int height)>;

    // Creates the file for pictures of pictureWidth x pictureHeight; throws VideoException when it cannot be made. GL
    // context current.
    VideoRecorder(const std::string& path, VideoFormat format, int pictureWidth, int pictureHeight);
    // Completes the file when stop() was not called (needs the GL context current).
    ~VideoRecorder();
    VideoRecorder(const VideoRecorder&) = delete;
    VideoRecorder& operator=(const VideoRecorder&) = delete;

    // Has `draw` draw the next picture, off screen, and takes it as the next frame. GL context current; the
    // framebuffer binding and the viewport are as before afterwards. Waits while the encoder is a full queue behind.
    void capture(const DrawPicture& draw);
    // Why the encoder stopped taking frames (the disk is full, ...), once it has.
    std::optional<std::string> failure() const;
    // Collects the last read, waits for the encoder to write everything and completes the file. GL context current.
    FrameQueue::Result stop();

    std::int64_t framesCaptured() const { return captured_; }
    // The video's size.
    int width() const { return width_; }
    int height() const { return height_; }
    const std::string& codecDescription() const { return codec_; }

private:
    struct PixelBuffers;
    struct Canvas;
    void read();
    void collectPending();

    int pictureWidth_ = 0, pictureHeight_ = 0;
    int width_ = 0, height_ = 0;
    std::string codec_;
    std::unique_ptr<FrameQueue> queue_;
    std::unique_ptr<Canvas> canvas_;
    std::unique_ptr<PixelBuffers> buffers_;
    std::int64_t captured_ = 0;
    bool stopped_ = false;
};

} // namespace vornix
