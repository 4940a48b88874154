#include "tests/support/VideoDecoding.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}


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

} // namespace vornix::test
