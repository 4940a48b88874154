#include "tests/support/VideoDecoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>


namespace vornix::test {

namespace {

struct Input {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    ~Input()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

// Hands every frame the decoder has ready to `each`; returns how many.
int receiveAll(Input& in, const std::function<void(const AVFrame&)>& each)
{
    int count = 0;
    while (avcodec_receive_frame(in.codec, in.frame) >= 0) {
        if (each)
            each(*in.frame);
        av_frame_unref(in.frame);
        ++count;
    }
    return count;
}

} // namespace

bool canDecode()
{
    return av_find_input_format("mp4") && av_find_input_format("gif") && avcodec_find_decoder(AV_CODEC_ID_H264) &&
           avcodec_find_decoder(AV_CODEC_ID_GIF);
}

int decodeVideo(const std::string& path, const std::function<void(const AVFrame&)>& each)
{
    Input in;
    if (!in.packet || !in.frame || avformat_open_input(&in.format, path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(in.format, nullptr) < 0)
        return -1;
    const AVCodec* decoder = nullptr;
    const int stream = av_find_best_stream(in.format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder || !(in.codec = avcodec_alloc_context3(decoder)) ||
        avcodec_parameters_to_context(in.codec, in.format->streams[stream]->codecpar) < 0 ||
        avcodec_open2(in.codec, decoder, nullptr) < 0)
        return -1;
    int count = 0;
    while (av_read_frame(in.format, in.packet) >= 0) {
        if (in.packet->stream_index == stream && avcodec_send_packet(in.codec, in.packet) >= 0)
            count += receiveAll(in, each);
        av_packet_unref(in.packet);
    }
    avcodec_send_packet(in.codec, nullptr);
    return count + receiveAll(in, each);
}

namespace {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<Vec3, 3>;

Vec3 times(const Mat3& m, const Vec3& v)
{
    return {m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2], m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
            m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
}

Mat3 inverse(const Mat3& m)
{
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    Mat3 r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            const int a = (j + 1) % 3, b = (j + 2) % 3, c = (i + 1) % 3, d = (i + 2) % 3;
            r[i][j] = (m[a][c] * m[b][d] - m[a][d] * m[b][c]) / det;
        }
    return r;
}

// RGB to XYZ for primaries given as chromaticities (red, green, blue) with the D65 white point.
Mat3 rgbToXyz(const std::array<std::array<double, 2>, 3>& xy)
{
    Mat3 p;
    for (int c = 0; c < 3; ++c) {
        p[0][c] = xy[c][0] / xy[c][1];
        p[1][c] = 1.0;
        p[2][c] = (1.0 - xy[c][0] - xy[c][1]) / xy[c][1];
    }
    const Vec3 white{0.3127 / 0.3290, 1.0, (1.0 - 0.3127 - 0.3290) / 0.3290};
    const Vec3 scale = times(inverse(p), white);
    for (auto& row : p)
        for (int c = 0; c < 3; ++c)
            row[c] *= scale[c];
    return p;
}

bool primariesOf(int tag, std::array<std::array<double, 2>, 3>& xy)
{
    switch (tag) {
    case AVCOL_PRI_BT709: xy = {{{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}}}; return true;
    case AVCOL_PRI_SMPTE170M:
    case AVCOL_PRI_SMPTE240M: xy = {{{0.630, 0.340}, {0.310, 0.595}, {0.155, 0.070}}}; return true;
    case AVCOL_PRI_BT470BG: xy = {{{0.64, 0.33}, {0.29, 0.60}, {0.15, 0.06}}}; return true;
    default: return false;
    }
}

// Encoded value to light, by transfer tag; negative for a transfer this does not know.
double toLight(int tag, double v)
{
    v = std::clamp(v, 0.0, 1.0);
    switch (tag) {
    case AVCOL_TRC_IEC61966_2_1: return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    case AVCOL_TRC_BT709:
    case AVCOL_TRC_SMPTE170M: return std::pow(v, 2.4);   // as shown on a BT.1886 display
    case AVCOL_TRC_GAMMA22: return std::pow(v, 2.2);
    default: return -1.0;
    }
}

double toSrgb(double light)
{
    light = std::clamp(light, 0.0, 1.0);
    return light <= 0.0031308 ? light * 12.92 : 1.055 * std::pow(light, 1.0 / 2.4) - 0.055;
}

} // namespace

std::array<int, 3> playerRgb(const AVFrame& frame, int x, int y)
{
    const std::array<int, 3> cannot{-1, -1, -1};
    double kr = 0.0, kb = 0.0;
    switch (frame.colorspace) {
    case AVCOL_SPC_BT709: kr = 0.2126, kb = 0.0722; break;
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_BT470BG: kr = 0.299, kb = 0.114; break;
    default: return cannot;
    }
    std::array<std::array<double, 2>, 3> xy;
    if (frame.format != AV_PIX_FMT_YUV420P || !primariesOf(frame.color_primaries, xy))
        return cannot;
    const bool full = frame.color_range == AVCOL_RANGE_JPEG;
    const double luma = frame.data[0][y * frame.linesize[0] + x];
    const double cb = frame.data[1][(y / 2) * frame.linesize[1] + x / 2];
    const double cr = frame.data[2][(y / 2) * frame.linesize[2] + x / 2];
    const double yy = full ? luma / 255.0 : (luma - 16.0) / 219.0;
    const double pb = (cb - 128.0) / (full ? 255.0 : 224.0), pr = (cr - 128.0) / (full ? 255.0 : 224.0);
    const double r = yy + 2.0 * (1.0 - kr) * pr, b = yy + 2.0 * (1.0 - kb) * pb;
    const double g = (yy - kr * r - kb * b) / (1.0 - kr - kb);
    Vec3 light{toLight(frame.color_trc, r), toLight(frame.color_trc, g), toLight(frame.color_trc, b)};
    if (light[0] < 0.0 || light[1] < 0.0 || light[2] < 0.0)
        return cannot;
    static const Mat3 toSrgbPrimaries = inverse(rgbToXyz({{{0.64, 0.33}, {0.30, 0.60}, {0.15, 0.06}}}));
    light = times(toSrgbPrimaries, times(rgbToXyz(xy), light));
    std::array<int, 3> rgb;
    for (int c = 0; c < 3; ++c)
        rgb[static_cast<std::size_t>(c)] = static_cast<int>(std::lround(255.0 * toSrgb(light[static_cast<std::size_t>(c)])));
    return rgb;
}

} // namespace vornix::test
