// Recording: the "Record Video" command's state. One video frame is taken per simulation step, from the picture the
// window shows without panels, help picture or this recording's own indicator; the file plays at 30 frames per
// second whatever the live frame rate was.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "shell/Font.h"
#include "shell/gl/Texture.h"
#include "shell/video/VideoRecorder.h"

namespace vornix {

// GIF for a .gif path (any case), MP4 otherwise.
VideoFormat videoFormatOf(const std::string& path);
// A clip's length as m:ss for `frames` at 30 frames per second (whole seconds, rounded down).
std::string clipLength(std::int64_t frames);

class Recording {
public:
    static constexpr int framesPerSecond = 30;

    // Opens `path` for a recording of the drawable size rounded down to even numbers and says so on the console.
    // Returns the message for the user when the file cannot be made (also written to the console).
    std::optional<std::string> start(const std::string& path, int drawableWidth, int drawableHeight);
    bool active() const { return recorder_ != nullptr; }

    // A simulation step was made: the next picture drawn is the next frame.
    void stepped()
    {
        if (recorder_)
            frameDue_ = true;
    }
    bool frameDue() const { return recorder_ && frameDue_; }
    // Takes the picture now in the framebuffer (window size given) as the frame that was due. GL context current.
    void capture(int windowWidth, int windowHeight);

    // When the encoder has failed (disk full, ...): stops and returns the message for the user (also on the console).
    std::optional<std::string> checkFailure();
    // Completes the file and writes the closing console line; returns the message for the user when the file could
    // not be completed. Nothing happens when not recording. GL context current.
    std::optional<std::string> stop();

    // The red dot and the clip's length in the bottom-left corner, and while `paused` that no frames are added;
    // `font` may be null (the dot alone then).
    void drawIndicator(int windowWidth, int windowHeight, const Font* font, bool paused = false) const;

    std::int64_t frames() const { return recorder_ ? recorder_->framesCaptured() : 0; }
    const std::string& path() const { return path_; }

private:
    std::unique_ptr<VideoRecorder> recorder_;
    std::string path_;
    bool frameDue_ = false;
    // The clock's text changes once a second: it is rasterised then, not in every frame.
    mutable std::string clockText_;
    mutable gl::Texture clockTexture_;
    mutable float clockBaselineOffset_ = 0.0f;
};

} // namespace vornix
