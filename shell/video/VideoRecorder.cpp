#include "shell/video/VideoRecorder.h"

#include <epoxy/gl.h>

#include <array>
#include <cstring>

namespace vornix {

// Two pixel-pack buffers used in turn: the read into one is issued in this frame and collected in the next. Where
// the GL has no pixel-buffer objects (before 2.1) the read is made straight into the frame instead.
struct VideoRecorder::PixelBuffers {
    bool available = false;
    std::array<GLuint, 2> names{0, 0};
    std::array<std::size_t, 2> capacity{0, 0};
    int next = 0;
    bool pending = false;          // a read waits in names[1 - next]
    int pendingWidth = 0, pendingHeight = 0;

    PixelBuffers()
    {
        available = epoxy_gl_version() >= 21 || epoxy_has_gl_extension("GL_ARB_pixel_buffer_object");
        if (available)
            glGenBuffers(2, names.data());
    }
    ~PixelBuffers()
    {
        if (available)
            glDeleteBuffers(2, names.data());
    }
};

namespace {

// Saves the pack state a read-back changes and puts it back afterwards.
class PackState {
public:
    PackState()
    {
        glGetIntegerv(GL_PACK_ALIGNMENT, &alignment_);
        glGetIntegerv(GL_PIXEL_PACK_BUFFER_BINDING, &buffer_);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
    }
    ~PackState()
    {
        glPixelStorei(GL_PACK_ALIGNMENT, alignment_);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, static_cast<GLuint>(buffer_));
    }
    PackState(const PackState&) = delete;
    PackState& operator=(const PackState&) = delete;

private:
    GLint alignment_ = 4, buffer_ = 0;
};

} // namespace

VideoRecorder::VideoRecorder(const std::string& path, VideoFormat format, int width, int height)
    : width_(width), height_(height)
{
    auto encoder = std::make_unique<VideoEncoder>(path, format, width, height);
    codec_ = encoder->codecDescription();
    queue_ = std::make_unique<FrameQueue>(std::move(encoder), queueCapacity);
    buffers_ = std::make_unique<PixelBuffers>();
}

VideoRecorder::~VideoRecorder() { stop(); }

void VideoRecorder::capture(int windowWidth, int windowHeight)
{
    if (stopped_ || windowWidth <= 0 || windowHeight <= 0 || queue_->failure())
        return;
    PixelBuffers& b = *buffers_;
    PackState state;
    if (!b.available) {
        VideoFrame frame = queue_->blank();
        frame.resize(windowWidth, windowHeight);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_BGRA, GL_UNSIGNED_BYTE, frame.bgra.data());
        queue_->submit(std::move(frame));
        ++captured_;
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(windowWidth) * static_cast<std::size_t>(windowHeight) * 4;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, b.names[b.next]);
    if (b.capacity[b.next] != bytes) {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        b.capacity[b.next] = bytes;
    }
    // BGRA is the window's own byte order on common drivers: the read is a copy, no conversion.
    glReadPixels(0, 0, windowWidth, windowHeight, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    // The read just issued is collected next time; the one from the frame before is collected now.
    collectPending();
    b.pending = true;
    b.pendingWidth = windowWidth;
    b.pendingHeight = windowHeight;
    b.next = 1 - b.next;
    ++captured_;
}

void VideoRecorder::collectPending()
{
    PixelBuffers& b = *buffers_;
    if (!b.pending)
        return;
    b.pending = false;
    const GLuint name = b.names[1 - b.next];
    glBindBuffer(GL_PIXEL_PACK_BUFFER, name);
    const void* pixels = glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (pixels) {
        VideoFrame frame = queue_->blank();
        frame.resize(b.pendingWidth, b.pendingHeight);
        std::memcpy(frame.bgra.data(), pixels, frame.bgra.size());
        glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
        queue_->submit(std::move(frame));
    } else {
        --captured_;   // the driver lost the read: the frame is not in the file, so it is not counted
    }
}

std::optional<std::string> VideoRecorder::failure() const { return queue_->failure(); }

FrameQueue::Result VideoRecorder::stop()
{
    if (!stopped_) {
        stopped_ = true;
        if (buffers_->pending) {
            PackState state;
            collectPending();
        }
    }
    return queue_->stop();
}

} // namespace vornix
