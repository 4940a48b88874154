// Writes MP4 (H.264, 4:2:0, fragmented) and animated GIF files with FFmpeg's libraries.
//
// FFmpeg components this file needs (a build configured with only what vornix uses must enable them):
//   libavformat: muxers mp4 and gif, protocol file
//   libavcodec:  encoders libx264 or libopenh264 (H.264, chosen by name at run time) and gif
//   libavfilter: filters buffer, buffersink, split, palettegen, paletteuse (the window's BGRA goes in as it is: no
//                conversion filter is inserted)
//   libswscale, libavutil
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include "shell/video/VideoEncoder.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <thread>

#include "shell/Path.h"
#include "shell/video/VideoException.h"

namespace vornix {

namespace {

std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// The palette is made anew for every frame from that frame's own colours (so a change of colour scheme is followed at
// once); error diffusion keeps the gradients smooth.
constexpr const char* gifFilters =
    "split[a][b];[a]palettegen=stats_mode=single:reserve_transparent=0[p];[b][p]paletteuse=new=1:dither=sierra2_4a";

// FFmpeg's libraries describe their work on standard error; only their errors belong on the console.
void quietLibraryLog()
{
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

} // namespace

struct VideoEncoder::Impl {
    std::string path;
    VideoFormat format = VideoFormat::Mp4;
    int width = 0, height = 0;
    std::string encoderName;

    AVFormatContext* container = nullptr;
    AVCodecContext* codec = nullptr;
    AVStream* stream = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* canvas = nullptr;     // BGRA at the file's size, top row first
    AVFrame* yuv = nullptr;        // MP4: the encoder's input
    AVFrame* filtered = nullptr;   // GIF: the palette filters' output
    SwsContext* toYuv = nullptr;
    AVFilterGraph* graph = nullptr;
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    std::int64_t nextPts = 0;
    std::int64_t written = 0;      // frames taken
    std::int64_t muxed = 0;        // packets handed to the muxer
    std::int64_t stored = 0;       // frames whose bytes reached the file
    bool fileOpen = false;
    bool headerWritten = false;
    bool trailerWritten = false;
    bool finished = false;

    ~Impl()
    {
        if (headerWritten && !trailerWritten)
            discardTrailer();
        if (fileOpen && container)
            avio_closep(&container->pb);
        avfilter_graph_free(&graph);
        sws_freeContext(toYuv);
        av_frame_free(&canvas);
        av_frame_free(&yuv);
        av_frame_free(&filtered);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
        avformat_free_context(container);
    }

    [[noreturn]] void fail(const std::string& what, int code) const
    {
        throw VideoException(what + ": " + errorText(code));
    }
    [[noreturn]] void failWrite(int code) const { fail("Cannot write " + path, code); }

    // A file given up (a failed write, a sink stopped on an error): the muxer still holds what it had not written
    // (the GIF writer the last picture); its trailer goes into memory and is thrown away, which frees that, and the
    // file keeps what reached it.
    void discardTrailer()
    {
        trailerWritten = true;
        if (fileOpen) {
            avio_closep(&container->pb);
            fileOpen = false;
        }
        if (avio_open_dyn_buf(&container->pb) < 0)
            return;
        av_write_trailer(container);
        std::uint8_t* bytes = nullptr;
        avio_close_dyn_buf(container->pb, &bytes);
        av_free(bytes);
        container->pb = nullptr;
    }

    void openCodec(int framesPerSecond);
    void openFile();
    void makeFrames();
    void makeFilters(int framesPerSecond);
    void copyIntoCanvas(const VideoFrame& frame);
    void encode(AVFrame* frame);
    void filterAndEncode(AVFrame* frame);
    void checkFileError(int result) const;
};

std::string VideoEncoder::h264EncoderName()
{
    for (const char* name : {"libx264", "libopenh264"})
        if (avcodec_find_encoder_by_name(name))
            return name;
    return {};
}

VideoEncoder::VideoEncoder(const std::string& path, VideoFormat format, int width, int height, int framesPerSecond)
    : impl_(std::make_unique<Impl>())
{
    quietLibraryLog();
    Impl& m = *impl_;
    m.path = path;
    m.format = format;
    m.width = width;
    m.height = height;
    if (width <= 0 || height <= 0 || (format == VideoFormat::Mp4 && (width % 2 || height % 2)))
        throw VideoException("Cannot record a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                             " pixels");
    const int made = avformat_alloc_output_context2(&m.container, nullptr, format == VideoFormat::Mp4 ? "mp4" : "gif",
                                                    nullptr);
    if (made < 0 || !m.container)
        m.fail("Cannot make this kind of video file", made < 0 ? made : AVERROR_MUXER_NOT_FOUND);
    m.openCodec(framesPerSecond);
    if (format == VideoFormat::Gif)
        m.makeFilters(framesPerSecond);
    m.makeFrames();
    m.openFile();
}

VideoEncoder::~VideoEncoder() = default;

void VideoEncoder::Impl::openCodec(int framesPerSecond)
{
    const AVCodec* found = nullptr;
    if (format == VideoFormat::Mp4) {
        encoderName = h264EncoderName();
        if (encoderName.empty())
            throw VideoException("No H.264 encoder is available in this build of FFmpeg");
        found = avcodec_find_encoder_by_name(encoderName.c_str());
    } else {
        found = avcodec_find_encoder(AV_CODEC_ID_GIF);
        if (!found)
            throw VideoException("No GIF encoder is available in this build of FFmpeg");
        encoderName = found->name;
    }
    codec = avcodec_alloc_context3(found);
    if (!codec)
        throw VideoException("Out of memory for the " + encoderName + " encoder");
    codec->width = width;
    codec->height = height;
    codec->time_base = AVRational{1, framesPerSecond};
    codec->framerate = AVRational{framesPerSecond, 1};
    codec->sample_aspect_ratio = AVRational{1, 1};
    if (format == VideoFormat::Mp4) {
        codec->pix_fmt = AV_PIX_FMT_YUV420P;
        // A key frame a second, for seeking.
        codec->gop_size = framesPerSecond;
        // The tags say what the picture is, so that players that honour them show the window's colours: sRGB (its
        // primaries are BT.709's, its transfer sRGB's), converted with the BT.601 matrix into the limited range (see
        // makeFrames; players that ignore tags assume that matrix at this size).
        codec->color_range = AVCOL_RANGE_MPEG;
        codec->colorspace = AVCOL_SPC_SMPTE170M;
        codec->color_primaries = AVCOL_PRI_BT709;
        codec->color_trc = AVCOL_TRC_IEC61966_2_1;
        if (encoderName == "libx264") {
            // Constant quality 18: smooth gradients without banding or blocks, about 2 Mb/s at 600 x 600.
            av_opt_set(codec->priv_data, "preset", "veryfast", 0);
            av_opt_set(codec->priv_data, "crf", "18", 0);
            // What a crash loses is what the encoder still holds (every packet it hands out reaches the file at
            // once): its B-frames, its rate-control look-ahead and one frame per frame thread. Kept to about a third
            // of a second on any machine: a short look-ahead (5 frames, about 2 % more bits than veryfast's 10), none
            // kept for the threads' sake, and at most four threads (x264 would take one and a half per core).
            av_opt_set(codec->priv_data, "x264-params", "rc-lookahead=5:sync-lookahead=0", 0);
            codec->thread_count = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
        } else {
            // openh264 has no constant-quality mode: a bitrate that keeps the fluid's gradients clean, and CABAC
            // (High profile) rather than its Constrained Baseline default.
            codec->bit_rate = 4'000'000;
            av_opt_set(codec->priv_data, "coder", "cabac", 0);
        }
    } else {
        codec->pix_fmt = AV_PIX_FMT_PAL8;
    }
    if (container->oformat->flags & AVFMT_GLOBALHEADER)
        codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(codec, found, nullptr);
    if (opened < 0)
        fail("The " + encoderName + " encoder could not be opened", opened);

    stream = avformat_new_stream(container, nullptr);
    if (!stream)
        throw VideoException("Out of memory for the video stream");
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;
    const int copied = avcodec_parameters_from_context(stream->codecpar, codec);
    if (copied < 0)
        fail("The video stream could not be described", copied);
}

void VideoEncoder::Impl::openFile()
{
    // FFmpeg's file protocol takes the name as UTF-8 on every system; the prefix keeps a ':' in it from being read as
    // a protocol.
    const std::string url = "file:" + path;
    const int opened = avio_open(&container->pb, url.c_str(), AVIO_FLAG_WRITE);
    if (opened < 0)
        failWrite(opened);
    fileOpen = true;
    AVDictionary* options = nullptr;
    if (format == VideoFormat::Mp4)
        av_dict_set(&options, "movflags", "frag_custom+empty_moov+default_base_moof", 0);   // fragments: see encode
    else
        av_dict_set(&options, "loop", "0", 0);   // repeat for ever
    const int header = avformat_write_header(container, &options);
    av_dict_free(&options);
    if (header < 0)
        failWrite(header);
    headerWritten = true;
    avio_flush(container->pb);
    checkFileError(0);
}

void VideoEncoder::Impl::makeFrames()
{
    packet = av_packet_alloc();
    canvas = av_frame_alloc();
    if (!packet || !canvas)
        throw VideoException("Out of memory for the video frames");
    canvas->format = AV_PIX_FMT_BGRA;
    canvas->width = width;
    canvas->height = height;
    canvas->sample_aspect_ratio = AVRational{1, 1};
    if (av_frame_get_buffer(canvas, 0) < 0)
        throw VideoException("Out of memory for the video frames");
    if (format == VideoFormat::Mp4) {
        yuv = av_frame_alloc();
        if (!yuv)
            throw VideoException("Out of memory for the video frames");
        yuv->format = AV_PIX_FMT_YUV420P;
        yuv->width = width;
        yuv->height = height;
        yuv->color_range = codec->color_range;
        yuv->colorspace = codec->colorspace;
        yuv->color_primaries = codec->color_primaries;
        yuv->color_trc = codec->color_trc;
        if (av_frame_get_buffer(yuv, 0) < 0)
            throw VideoException("Out of memory for the video frames");
        toYuv = sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height, AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr,
                               nullptr, nullptr);
        if (!toYuv)
            throw VideoException("The colour conversion for H.264 could not be set up");
        // Full-range RGB into limited-range YUV by the BT.601 matrix, as the stream's tags say (set here rather than
        // left to the library's defaults).
        const int* bt601 = sws_getCoefficients(SWS_CS_ITU601);
        if (sws_setColorspaceDetails(toYuv, bt601, 1, bt601, 0, 0, 1 << 16, 1 << 16) < 0)
            throw VideoException("The colour conversion for H.264 could not be set up");
    }
}

void VideoEncoder::Impl::makeFilters(int framesPerSecond)
{
    filtered = av_frame_alloc();
    graph = avfilter_graph_alloc();
    if (!filtered || !graph)
        throw VideoException("Out of memory for the GIF palette filters");
    const std::string args = "video_size=" + std::to_string(width) + "x" + std::to_string(height) +
                             ":pix_fmt=" + std::to_string(AV_PIX_FMT_BGRA) + ":time_base=1/" +
                             std::to_string(framesPerSecond) + ":pixel_aspect=1/1";
    int result = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", args.c_str(), nullptr,
                                              graph);
    if (result >= 0)
        result = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr, graph);
    if (result >= 0) {
        const enum AVPixelFormat formats[] = {AV_PIX_FMT_PAL8, AV_PIX_FMT_NONE};
        result = av_opt_set_int_list(sink, "pix_fmts", formats, AV_PIX_FMT_NONE, AV_OPT_SEARCH_CHILDREN);
    }
    if (result >= 0) {
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        if (outputs && inputs) {
            outputs->name = av_strdup("in");
            outputs->filter_ctx = source;
            inputs->name = av_strdup("out");
            inputs->filter_ctx = sink;
            result = avfilter_graph_parse_ptr(graph, gifFilters, &inputs, &outputs, nullptr);
        } else {
            result = AVERROR(ENOMEM);
        }
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
    }
    if (result >= 0)
        result = avfilter_graph_config(graph, nullptr);
    if (result < 0)
        fail("The GIF palette filters could not be set up", result);
}

void VideoEncoder::Impl::checkFileError(int result) const
{
    if (result < 0)
        failWrite(result);
    if (container->pb && container->pb->error < 0)
        failWrite(container->pb->error);
}

void VideoEncoder::Impl::copyIntoCanvas(const VideoFrame& frame)
{
    if (av_frame_make_writable(canvas) < 0)
        throw VideoException("Out of memory for the video frames");
    const int sourceStride = frame.width * 4;
    const std::uint8_t* bottomRow = frame.bgra.data();
    for (int y = 0; y < height; ++y)
        std::memcpy(canvas->data[0] + static_cast<std::ptrdiff_t>(y) * canvas->linesize[0],
                    bottomRow + static_cast<std::ptrdiff_t>(height - 1 - y) * sourceStride,
                    static_cast<std::size_t>(sourceStride));
}

void VideoEncoder::Impl::encode(AVFrame* frame)
{
    int result = avcodec_send_frame(codec, frame);
    if (result < 0)
        fail("The " + encoderName + " encoder failed", result);
    for (;;) {
        result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            break;
        if (result < 0)
            fail("The " + encoderName + " encoder failed", result);
        packet->stream_index = stream->index;
        if (packet->duration == 0)
            packet->duration = 1;
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        checkFileError(av_write_frame(container, packet));
        // MP4: every packet is a fragment of its own, written out at once, so that a file cut off by a crash plays
        // every frame the encoder had handed out (a fragment per key frame would lose up to a second more).
        if (format == VideoFormat::Mp4)
            checkFileError(av_write_frame(container, nullptr));
        avio_flush(container->pb);
        checkFileError(0);
        // The GIF writer keeps the latest picture until the next one gives its delay.
        ++muxed;
        stored = format == VideoFormat::Gif ? muxed - 1 : muxed;
    }
}

void VideoEncoder::Impl::filterAndEncode(AVFrame* frame)
{
    int result = av_buffersrc_add_frame_flags(source, frame, AV_BUFFERSRC_FLAG_KEEP_REF);
    if (result < 0)
        fail("The GIF palette filters failed", result);
    for (;;) {
        result = av_buffersink_get_frame(sink, filtered);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
            break;
        if (result < 0)
            fail("The GIF palette filters failed", result);
        filtered->pict_type = AV_PICTURE_TYPE_NONE;
        try {
            encode(filtered);
        } catch (...) {
            av_frame_unref(filtered);
            throw;
        }
        av_frame_unref(filtered);
    }
}

void VideoEncoder::write(const VideoFrame& frame)
{
    Impl& m = *impl_;
    if (m.finished)
        throw VideoException("The video file " + m.path + " is already complete");
    if (frame.width != m.width || frame.height != m.height)
        throw VideoException("A video frame of " + std::to_string(frame.width) + " x " + std::to_string(frame.height) +
                             " pixels for a video of " + std::to_string(m.width) + " x " + std::to_string(m.height));
    if (frame.bgra.size() < static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height) * 4)
        throw VideoException("A video frame without its pixels");
    m.copyIntoCanvas(frame);
    m.canvas->pts = m.nextPts;
    if (m.format == VideoFormat::Mp4) {
        if (av_frame_make_writable(m.yuv) < 0)
            throw VideoException("Out of memory for the video frames");
        sws_scale(m.toYuv, m.canvas->data, m.canvas->linesize, 0, m.height, m.yuv->data, m.yuv->linesize);
        m.yuv->pts = m.nextPts;
        m.encode(m.yuv);
    } else {
        m.filterAndEncode(m.canvas);
    }
    ++m.nextPts;
    ++m.written;
}

void VideoEncoder::finish()
{
    Impl& m = *impl_;
    if (m.finished)
        return;
    m.finished = true;
    if (m.written == 0) {
        // Stopped before its first frame (started and stopped while paused, say): there is no clip to keep, and a GIF
        // cannot even be completed without a picture (its header is written with the first one). The file goes.
        const int closed = avio_closep(&m.container->pb);
        m.fileOpen = false;
        std::error_code ignored;
        std::filesystem::remove(pathFromUtf8(m.path), ignored);
        if (closed < 0)
            m.failWrite(closed);
        return;
    }
    if (m.format == VideoFormat::Gif)
        m.filterAndEncode(nullptr);   // the end of the input: the filters hand over what they hold
    m.encode(nullptr);
    const int trailer = av_write_trailer(m.container);
    m.trailerWritten = true;
    m.checkFileError(trailer);
    m.stored = m.muxed;
    const int closed = avio_closep(&m.container->pb);
    m.fileOpen = false;
    if (closed < 0)
        m.failWrite(closed);
}

std::string VideoEncoder::codecDescription() const
{
    return impl_->format == VideoFormat::Mp4 ? "H.264 (" + impl_->encoderName + ")" : "GIF";
}

std::int64_t VideoEncoder::framesStored() const { return impl_->stored; }

} // namespace vornix
