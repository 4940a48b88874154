// Reads video files back with FFmpeg's decoders, as a player does: what a recording holds, frame by frame. Builds of
// FFmpeg without decoders or demuxers (vornix's Windows build) cannot: see canDecode.
#pragma once

#include <array>
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

// The colour a colour-managed player shows on an sRGB screen for pixel (x, y) of a decoded 4:2:0 frame: the frame's
// range, matrix, transfer and primaries tags are honoured (BT.601, BT.709 and SMPTE-C/EBU primaries; sRGB, BT.709 and
// gamma 2.2 transfers), colours outside sRGB are clipped. R, G, B in 0..255; {-1, -1, -1} for tags it cannot honour.
std::array<int, 3> playerRgb(const AVFrame& frame, int x, int y);

} // namespace vornix::test
