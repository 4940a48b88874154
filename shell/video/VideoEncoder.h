// VideoEncoder: writes frames into an MP4 (H.264) or an animated GIF file, with FFmpeg's libraries.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "shell/video/VideoFrame.h"

namespace vornix {

enum class VideoFormat { Mp4, Gif };

class VideoEncoder : public FrameSink {
public:
    // Creates the file at `path` (UTF-8) for frames of width x height pixels (even numbers for MP4) at
    // `framesPerSecond`. Throws VideoException when the file cannot be created or no encoder can be opened.
    VideoEncoder(const std::string& path, VideoFormat format, int width, int height, int framesPerSecond = 30);
    // Closes the file without finishing it when finish() was not called.
    ~VideoEncoder() override;
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // A frame of the file's size; another size is refused (VideoException).
    void write(const VideoFrame& frame) override;
    void finish() override;

    // The codec as the console shows it, e.g. "H.264 (libx264)" or "GIF".
    std::string codecDescription() const;
    std::int64_t framesStored() const override;

    // The H.264 encoder this FFmpeg offers ("libx264", "libopenh264"), or empty when none.
    static std::string h264EncoderName();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vornix
