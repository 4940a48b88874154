// A picture on its way into a video file: BGRA bytes as the window was read, rows from the bottom of the window up.
#pragma once

#include <cstdint>
#include <vector>

namespace vornix {

struct VideoFrame {
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgra;   // width * height * 4 bytes (blue, green, red, alpha), bottom row first

    void resize(int w, int h)
    {
        width = w;
        height = h;
        bgra.resize(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    }
};

// Where frames go: a video file, or a stand-in in tests. Used from one thread at a time.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Adds one frame; throws VideoException when it cannot be written.
    virtual void write(const VideoFrame& frame) = 0;
    // Writes what the encoder still holds and completes the file; throws VideoException when that fails.
    virtual void finish() = 0;
    // Frames that reached the file (the encoder and the writer may hold some back until the file is finished).
    virtual std::int64_t framesStored() const = 0;
};

} // namespace vornix
