#include "shell/video/VideoRecorder.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "shell/Console.h"
#include "shell/gl/Fbo.h"

namespace vornix {

// Where frames are drawn: a framebuffer object of the video's size. A driver that cannot make one gets the window's
// back buffer instead (the window's own picture is drawn over it afterwards); frames are then whole only while the
// window is at least the video's size.
struct VideoRecorder::Canvas {
    gl::Fbo fbo;

    Canvas(int width, int height)
    {
        try {
            fbo = gl::Fbo(width, height, gl::FboFormat().enableDepthBuffer(false));
        } catch (const std::exception& e) {
            console() << "Video frames are drawn in the window (no framebuffer object of " << width << " x " << height
                      << ": " << e.what() << ")" << std::endl;
        }
    }
};

// Two pixel-pack buffers used in turn: the read into one is issued in this frame and collected in the next. Where
// the GL has no pixel-buffer objects (before 2.1) the read is made straight into the frame instead.
struct VideoRecorder::PixelBuffers {
    bool available = false;
    std::array<GLuint, 2> names{0, 0};
    std::array<std::size_t, 2> capacity{0, 0};
    int next = 0;
    bool pending = false;          // a read waits in names[1 - next]

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

VideoRecorder::VideoRecorder(const std::string& path, VideoFormat format, int pictureWidth, int pictureHeight)
    : pictureWidth_(std::max(pictureWidth, 1)), pictureHeight_(std::max(pictureHeight, 1)),
      // A picture made a pixel small is recorded at 2 x 2 rather than refused.
      width_(std::max(pictureWidth & ~1, 2)), height_(std::max(pictureHeight & ~1, 2))
{
    auto encoder = std::make_unique<VideoEncoder>(path, format, width_, height_);
    codec_ = encoder->codecDescription();
    queue_ = std::make_unique<FrameQueue>(std::move(encoder), queueCapacity);
    canvas_ = std::make_unique<Canvas>(width_, height_);
    buffers_ = std::make_unique<PixelBuffers>();
}

VideoRecorder::~VideoRecorder() { stop(); }

void VideoRecorder::capture(const DrawPicture& draw)
{
    if (stopped_ || queue_->failure())
        return;
    gl::FramebufferBindingGuard binding;
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (canvas_->fbo) {
        canvas_->fbo.bindFramebuffer();
        // Black where a picture smaller than 2 x 2 leaves the frame empty.
        GLfloat clearColour[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    }
    // The picture's top-left corner at the frame's: an odd bottom row and right column fall outside.
    glViewport(0, height_ - pictureHeight_, pictureWidth_, pictureHeight_);
    draw(pictureWidth_, pictureHeight_);
    read();
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void VideoRecorder::read()
{
    PixelBuffers& b = *buffers_;
    PackState state;
    if (!b.available) {
        VideoFrame frame = queue_->blank();
        frame.resize(width_, height_);
        glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, frame.bgra.data());
        queue_->submit(std::move(frame));
        ++captured_;
        return;
    }
    const std::size_t bytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, b.names[b.next]);
    if (b.capacity[b.next] != bytes) {
        glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        b.capacity[b.next] = bytes;
    }
    // BGRA is the framebuffer's own byte order on common drivers: the read is a copy, no conversion.
    glReadPixels(0, 0, width_, height_, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    // The read just issued is collected next time; the one from the frame before is collected now.
    collectPending();
    b.pending = true;
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
        frame.resize(width_, height_);
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
