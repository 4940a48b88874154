#include "app/Recording.h"

#include <epoxy/gl.h>

#include <cmath>
#include <cstdio>
#include <exception>

#include "shell/Console.h"
#include "shell/ContentScale.h"
#include "shell/Path.h"
#include "shell/TextRenderer.h"

namespace vornix {

VideoFormat videoFormatOf(const std::string& path)
{
    return toLowerAscii(pathExtension(path)) == "gif" ? VideoFormat::Gif : VideoFormat::Mp4;
}

std::string clipLength(std::int64_t frames)
{
    const std::int64_t seconds = frames < 0 ? 0 : frames / Recording::framesPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

std::optional<std::string> Recording::start(const std::string& path, int drawableWidth, int drawableHeight)
{
    if (recorder_)
        return std::nullopt;
    try {
        recorder_ = std::make_unique<VideoRecorder>(path, videoFormatOf(path), drawableWidth, drawableHeight);
    } catch (const std::exception& e) {
        const std::string message = "Could not record video to " + path + ": " + e.what();
        console() << message << std::endl;
        return message;
    }
    path_ = path;
    frameDue_ = false;   // the first frame is the next step's
    console() << "Recording video to " << path << " (" << recorder_->width() << " x " << recorder_->height() << ", "
              << recorder_->codecDescription() << ", " << framesPerSecond << " frames per second)" << std::endl;
    return std::nullopt;
}

void Recording::capture(const VideoRecorder::DrawPicture& draw)
{
    if (!frameDue())
        return;
    frameDue_ = false;
    recorder_->capture(draw);
}

std::optional<std::string> Recording::checkFailure()
{
    if (!recorder_ || !recorder_->failure())
        return std::nullopt;
    return stop();
}

std::optional<std::string> Recording::stop()
{
    if (!recorder_)
        return std::nullopt;
    const FrameQueue::Result result = recorder_->stop();
    recorder_.reset();
    clockTexture_.reset();
    clockText_.clear();
    frameDue_ = false;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", static_cast<double>(result.frames) / framesPerSecond);
    if (result.error) {
        const std::string message = "Recording to " + path_ + " stopped: " + *result.error + " (after " +
                                    std::to_string(result.frames) + " frames; what reached the file stays playable)";
        console() << message << std::endl;
        return message;
    }
    if (result.frames == 0)
        console() << "Recording stopped before its first frame: nothing was written to " << path_ << std::endl;
    else
        console() << "Recording stopped: " << result.frames << " frames, " << seconds << " seconds in " << path_
                  << std::endl;
    return std::nullopt;
}

void Recording::drawIndicator(int windowWidth, int windowHeight, const Font* font, bool paused) const
{
    (void)windowWidth;
    if (!recorder_)
        return;
    const float radius = scaledPixels(7.0f), cx = scaledPixels(18.0f);
    const float cy = static_cast<float>(windowHeight) - scaledPixels(18.0f);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glDisable(GL_TEXTURE_2D);
    glColor4f(0.9f, 0.05f, 0.05f, 1.0f);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(cx, cy);
    for (int k = 0; k <= 24; ++k) {
        const float angle = static_cast<float>(k) * 6.2831853f / 24.0f;
        glVertex2f(cx + radius * std::cos(angle), cy + radius * std::sin(angle));
    }
    glEnd();
    if (font) {
        const std::string text = clipLength(frames()) + (paused ? "   paused: no frames are added" : "");
        if (text != clockText_ || !clockTexture_) {
            const RenderedString rendered = renderString(text, *font, ColorA{1.0f, 1.0f, 1.0f, 1.0f});
            clockTexture_ = rendered.surface.getWidth() > 0 ? gl::Texture(rendered.surface) : gl::Texture();
            clockBaselineOffset_ = rendered.baselineOffset;
            clockText_ = text;
        }
        if (clockTexture_) {
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
            const float x = cx + radius + scaledPixels(8.0f), top = cy - scaledPixels(7.0f) - clockBaselineOffset_;
            gl::draw(clockTexture_, Rectf{x, top, x + static_cast<float>(clockTexture_.getWidth()),
                                          top + static_cast<float>(clockTexture_.getHeight())});
        }
    }
    glColor4fv(colour);
}

} // namespace vornix
