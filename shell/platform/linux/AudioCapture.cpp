// Audio capture on PulseAudio's client library (which also serves PipeWire through its PulseAudio service), on the
// library's threaded main loop. Every callback runs on that loop's thread with its lock held; select() takes the
// lock only to note the wish and schedule the work.
//
// Following the system: the server's and the sources' change events make the device list and the choice be looked
// at again (a new default output, a device unplugged or back); a failed connection or a server that went away is
// tried again every second. Streams are made with DONT_MOVE, so the server never moves ours somewhere the user did
// not choose: a stream whose source is gone fails, and the choice is made anew.
#include "shell/audio/AudioCapture.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstring>

namespace vornix {

namespace {

class PulseCapture : public AudioCapture {
public:
    explicit PulseCapture(AudioCaptureListener& listener) : listener_(listener)
    {
        loop_ = pa_threaded_mainloop_new();
        api_ = pa_threaded_mainloop_get_api(loop_);
        pa_threaded_mainloop_set_name(loop_, "vornix audio");
        pa_threaded_mainloop_lock(loop_);
        connect();
        pa_threaded_mainloop_unlock(loop_);
        if (pa_threaded_mainloop_start(loop_) < 0)
            listener_.captureState("the audio thread could not be started", false);
    }

    ~PulseCapture() override
    {
        pa_threaded_mainloop_lock(loop_);
        closing_ = true;
        dropStream();
        dropContext();
        if (retry_)
            api_->time_free(retry_);
        retry_ = nullptr;
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }

    void select(bool listening, const std::string& choice) override
    {
        pa_threaded_mainloop_lock(loop_);
        listening_ = listening;
        choice_ = choice;
        reportedChoice_.clear();
        if (ready())
            refresh();   // without a server the state keeps saying so; the choice is made once it is there
        pa_threaded_mainloop_unlock(loop_);
    }

private:
    bool ready() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

    // ---- connection --------------------------------------------------------------------------------------------
    void connect()
    {
        context_ = pa_context_new(api_, "vornix");
        if (!context_) {
            retryLater();
            return;
        }
        pa_context_set_state_callback(context_, &PulseCapture::onContextState, this);
        pa_context_set_subscribe_callback(context_, &PulseCapture::onEvent, this);
        if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            lost();
    }

    void dropContext()
    {
        if (!context_)
            return;
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }

    // The connection failed or ended: say so once, and try again in a second.
    void lost()
    {
        const char* why = context_ ? pa_strerror(pa_context_errno(context_)) : "out of memory";
        dropStream();
        dropContext();
        if (!absentReported_) {
            absentReported_ = true;
            reportedChoice_.clear();   // whatever is listened to next is news again
            listener_.captureState(everConnected_ ? std::string("the audio server is gone (") + why +
                                                        "); vornix runs on and reconnects when it is back"
                                                  : std::string("no audio system answers (") + why + ")",
                                   false);
            listener_.captureDevices({});
        }
        retryLater();
    }

    void retryLater()
    {
        if (closing_ || retry_)
            return;
        timeval when{};
        pa_timeval_add(pa_gettimeofday(&when), 1000000);
        retry_ = api_->time_new(api_, &when, &PulseCapture::onRetry, this);
    }

    static void onRetry(pa_mainloop_api* api, pa_time_event* event, const timeval*, void* self)
    {
        auto* me = static_cast<PulseCapture*>(self);
        api->time_free(event);
        me->retry_ = nullptr;
        if (!me->closing_ && !me->context_)
            me->connect();
    }

    static void onContextState(pa_context* context, void* self)
    {
        auto* me = static_cast<PulseCapture*>(self);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            if (me->absentReported_ && me->everConnected_) {
                me->reportedChoice_.clear();
                me->listener_.captureState("the audio server is back", false);
            }
            me->everConnected_ = true;
            me->absentReported_ = false;
            me->streamSource_.clear();
            pa_operation_unref(pa_context_subscribe(
                context, static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SOURCE),
                nullptr, nullptr));
            me->refresh();
            break;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            me->lost();
            break;
        default:
            break;
        }
    }

    static void onEvent(pa_context*, pa_subscription_event_type_t, uint32_t, void* self)
    {
        static_cast<PulseCapture*>(self)->refresh();
    }

    // ---- devices and the choice ------------------------------------------------------------------------------------
    // Asks for the default output and the sources; choose() runs when both answers are in. Overlapping refreshes
    // simply choose twice.
    void refresh()
    {
        if (!ready())
            return;
        pa_operation* op = pa_context_get_server_info(context_, &PulseCapture::onServerInfo, this);
        if (op)
            pa_operation_unref(op);
    }

    static void onServerInfo(pa_context* context, const pa_server_info* info, void* self)
    {
        auto* me = static_cast<PulseCapture*>(self);
        me->defaultSink_ = info && info->default_sink_name ? info->default_sink_name : "";
        me->listing_.clear();
        pa_operation* op = pa_context_get_source_info_list(context, &PulseCapture::onSource, self);
        if (op)
            pa_operation_unref(op);
    }

    struct Source {
        AudioDevice device;
        pa_sample_spec format;
        pa_channel_map map;
    };

    static void onSource(pa_context*, const pa_source_info* info, int eol, void* self)
    {
        auto* me = static_cast<PulseCapture*>(self);
        if (eol < 0)
            return;   // the server went away in the middle; the state callback handles it
        if (!eol) {
            if (info && info->name) {
                Source s;
                s.device.id = info->name;
                s.device.name = info->description ? info->description : info->name;
                s.device.playback = info->monitor_of_sink != PA_INVALID_INDEX;
                s.format = info->sample_spec;
                s.map = info->channel_map;
                me->listing_.push_back(std::move(s));
            }
            return;
        }
        me->sources_ = std::move(me->listing_);
        me->listing_.clear();
        std::vector<AudioDevice> devices;
        for (const Source& s : me->sources_)
            devices.push_back(s.device);
        me->listener_.captureDevices(std::move(devices));
        me->choose();
    }

    const Source* find(const std::string& text, bool byIdOnly) const
    {
        for (const Source& s : sources_)
            if (s.device.id == text || (!byIdOnly && (s.device.name.find(text) != std::string::npos ||
                                                      s.device.id.find(text) != std::string::npos)))
                return &s;
        return nullptr;
    }

    // What the computer plays: the default output's monitor, else any monitor.
    const Source* defaultPlayback() const
    {
        if (const Source* s = find(defaultSink_ + ".monitor", true))
            return s;
        for (const Source& s : sources_)
            if (s.device.playback)
                return &s;
        return nullptr;
    }

    void choose()
    {
        if (!listening_) {
            if (stream_) {
                dropStream();
            }
            if (reportedChoice_ != "off") {
                reportedChoice_ = "off";
                listener_.captureState("off", false);
            }
            return;
        }
        const Source* target = nullptr;
        std::string note;
        if (!choice_.empty()) {
            target = find(choice_, false);
            if (!target)
                note = "no input named '" + choice_ + "' is there; ";
        }
        if (!target)
            target = defaultPlayback();
        if (!target) {
            dropStream();
            say(note + "nothing to listen to: the system lists no output to follow", false);
            return;
        }
        if (stream_ && streamSource_ == target->device.id)
            return;
        dropStream();
        startStream(*target, note.empty() ? note : note + "until it returns, ");
    }

    void say(const std::string& text, bool listening)
    {
        if (text == reportedChoice_)
            return;
        reportedChoice_ = text;
        listener_.captureState(text, listening);
    }

    // ---- the stream ------------------------------------------------------------------------------------------------
    void startStream(const Source& source, const std::string& note)
    {
        pa_sample_spec format = source.format;
        format.format = PA_SAMPLE_FLOAT32NE;
        pa_channel_map map = source.map;
        if (!pa_sample_spec_valid(&format) || !pa_channel_map_compatible(&map, &format)) {
            say("'" + source.device.name + "' has a format vornix cannot read", false);
            return;
        }
        stream_ = pa_stream_new(context_, "vornix sound reaction", &format, &map);
        if (!stream_) {
            say("cannot record from '" + source.device.name + "': " + pa_strerror(pa_context_errno(context_)), false);
            return;
        }
        pa_stream_set_state_callback(stream_, &PulseCapture::onStreamState, this);
        pa_stream_set_read_callback(stream_, &PulseCapture::onRead, this);
        pa_buffer_attr attr;
        std::memset(&attr, 0xff, sizeof attr);
        attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(10000, &format));   // about 10 ms per delivery
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
        if (pa_stream_connect_record(stream_, source.device.id.c_str(), &attr, flags) < 0) {
            say("cannot record from '" + source.device.name + "': " + pa_strerror(pa_context_errno(context_)), false);
            dropStream();
            return;
        }
        streamSource_ = source.device.id;
        channels_ = format.channels;
        listener_.captureFormat(source.device.name, static_cast<int>(format.rate), format.channels);
        say(note + "listening to '" + source.device.name + "' (" + std::to_string(format.rate) + " Hz, " +
                std::to_string(format.channels) + (format.channels == 1 ? " channel)" : " channels)"),
            true);
    }

    void dropStream()
    {
        if (!stream_)
            return;
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
        streamSource_.clear();
    }

    static void onStreamState(pa_stream* stream, void* self)
    {
        auto* me = static_cast<PulseCapture*>(self);
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED)
            return;
        // The source went away (unplugged, unloaded): look again at what there is.
        const std::string gone = me->streamSource_;
        me->dropStream();
        me->say("the input '" + gone + "' stopped", false);
        me->refresh();
    }

    static void onRead(pa_stream* stream, size_t, void* self)
    {
        auto* me = static_cast<PulseCapture*>(self);
        const void* data = nullptr;
        size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0) {
            if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
                return;
            const std::size_t frameBytes = sizeof(float) * me->channels_;
            if (data && frameBytes > 0) {
                me->listener_.captureSamples(static_cast<const float*>(data), bytes / frameBytes);
            } else if (frameBytes > 0) {
                // A hole: data lost on the way (an overrun). Silence of its length keeps the analysis on the
                // stream's clock, so beats keep their spacing.
                me->hole_.assign(std::min<std::size_t>(bytes, 1u << 22) / sizeof(float), 0.0f);
                me->listener_.captureSamples(me->hole_.data(), me->hole_.size() / me->channels_);
            }
            pa_stream_drop(stream);
        }
    }

    AudioCaptureListener& listener_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_mainloop_api* api_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    pa_time_event* retry_ = nullptr;
    bool closing_ = false;
    bool everConnected_ = false;
    bool absentReported_ = false;
    bool listening_ = false;
    std::string choice_;
    std::string reportedChoice_;
    std::string defaultSink_;
    std::string streamSource_;
    unsigned channels_ = 0;
    std::vector<Source> sources_, listing_;
    std::vector<float> hole_;
};

} // namespace

std::unique_ptr<AudioCapture> startAudioCapture(AudioCaptureListener& listener)
{
    return std::make_unique<PulseCapture>(listener);
}

} // namespace vornix
