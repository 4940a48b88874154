// Reads video files back with FFmpeg's decoders, as a player does: what a recording holds, frame by frame. Builds of
// FFmpeg without decoders or demuxers (vornix's Windows build) cannot: see canDecode.
#pragma once

#include <functional>
#include <string>

extern "C" {
struct AVFrame;
}

namespace vornix::test {

// Whether this FFmpeg can read MP4 (H.264) and GIF files back.
bool canDecode();

// Decodes the first video stream of the file; `each` sees every frame a player would show, in order, with the
// stream's colour tags. Returns the number of frames, -1 when the file cannot be opened. A file cut off anywhere
// gives the frames before the cut.
int decodeVideo(const std::string& path, const std::function<void(const AVFrame&)>& each = {});

} // namespace vornix::test
