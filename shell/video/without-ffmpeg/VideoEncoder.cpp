// The video encoder of a build made without FFmpeg: every recording is refused with a message that says why.
#include "shell/video/VideoEncoder.h"

#include "shell/video/VideoException.h"

namespace vornix {

struct VideoEncoder::Impl {};

VideoEncoder::VideoEncoder(const std::string&, VideoFormat, int, int, int)
{
    throw VideoException("This build of vornix cannot record video (it was made without FFmpeg)");
}

VideoEncoder::~VideoEncoder() = default;
void VideoEncoder::write(const VideoFrame&) {}
void VideoEncoder::finish() {}
std::string VideoEncoder::codecDescription() const { return {}; }
std::int64_t VideoEncoder::framesWritten() const { return 0; }
std::string VideoEncoder::h264EncoderName() { return {}; }

} // namespace vornix
