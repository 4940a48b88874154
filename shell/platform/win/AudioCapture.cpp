// Audio capture on Windows: a thread of its own polls the open stream every 10 ms (timer driven: event-driven
// loopback needs Windows 10), converts packets to floats and follows the system: a new default output reopens the
// loopback, a device that vanishes is reported and the choice made anew every second until something can be opened.
// Where the loopback of the default output cannot be had (Wine has none), the default input stands in and the state
// says so.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "shell/platform/win/WasapiEndpoints.h"

namespace vornix {

namespace {

class WasapiCapture : public AudioCapture {
public:
    WasapiCapture(AudioCaptureListener& listener,
                  std::function<std::unique_ptr<WasapiEndpoints>(std::string&)> make)
        : listener_(listener), make_(std::move(make))
    {
        thread_ = std::thread([this] { run(); });
    }

    ~WasapiCapture() override
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }

    void select(bool listening, const std::string& choice) override
    {
        {
            std::lock_guard lock(mutex_);
            listening_ = listening;
            choice_ = choice;
            dirty_ = true;
        }
        wake_.notify_all();
    }

private:
    void run();
    void choose();
    void readPackets();
    void say(const std::string& text, bool listening)
    {
        if (text == said_)
            return;
        said_ = text;
        listener_.captureState(text, listening);
    }
    // Sleeps until woken or `ms` are up; answers false when the thread should end.
    bool pause(int ms)
    {
        std::unique_lock lock(mutex_);
        wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return quit_ || dirty_ || changed_; });
        return !quit_;
    }

    AudioCaptureListener& listener_;
    std::function<std::unique_ptr<WasapiEndpoints>(std::string&)> make_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool quit_ = false, listening_ = false, dirty_ = false, changed_ = false;
    std::string choice_;

    // The capture thread's own.
    std::unique_ptr<WasapiEndpoints> endpoints_;
    std::unique_ptr<EndpointStream> stream_;
    std::string streamKey_, streamName_, said_;
    std::vector<AudioDevice> inputs_;
    std::vector<float> samples_;
    std::uint64_t nextPosition_ = EndpointStream::noPosition;   // where the next packet should start
};

void WasapiCapture::run()
{
    bool absentReported = false;
    while (true) {
        {
            std::lock_guard lock(mutex_);
            if (quit_)
                break;
        }
        if (!endpoints_) {
            std::string error;
            endpoints_ = make_(error);
            if (!endpoints_) {
                if (!absentReported)
                    say("no audio system answers (" + error + ")", false);
                absentReported = true;
                if (!pause(1000))
                    break;
                continue;
            }
            endpoints_->watch([this] {
                {
                    std::lock_guard lock(mutex_);
                    changed_ = true;
                }
                wake_.notify_all();
            });
            std::lock_guard lock(mutex_);
            changed_ = dirty_ = true;
        }
        bool changed = false, dirty = false, listening = false;
        {
            std::lock_guard lock(mutex_);
            std::swap(changed, changed_);
            std::swap(dirty, dirty_);
            listening = listening_;
        }
        if (changed) {
            inputs_ = endpoints_->inputs();
            std::vector<AudioDevice> listed = inputs_;
            listener_.captureDevices(std::move(listed));
        }
        if (changed || dirty || (!stream_ && listening))
            choose();
        if (stream_)
            readPackets();
        if (!pause(stream_ ? 10 : 1000))
            break;
    }
    stream_.reset();
    endpoints_.reset();
}

void WasapiCapture::choose()
{
    bool listening;
    std::string choice;
    {
        std::lock_guard lock(mutex_);
        listening = listening_;
        choice = choice_;
    }
    if (!listening) {
        stream_.reset();
        streamKey_.clear();
        say("off", false);
        return;
    }
    std::string id, note;
    if (!choice.empty()) {
        for (const AudioDevice& d : inputs_)
            if (d.id == choice || d.name.find(choice) != std::string::npos) {
                id = d.id;
                break;
            }
        if (id.empty())
            note = "no input named '" + choice + "' is there; ";
    }
    const std::string key = id.empty() ? "loopback:" + endpoints_->defaultOutput() : id;
    if (stream_ && key == streamKey_)
        return;
    stream_.reset();
    streamKey_.clear();
    std::string name, error;
    std::unique_ptr<EndpointStream> stream =
        endpoints_->open(id.empty() ? WasapiEndpoints::Kind::Loopback : WasapiEndpoints::Kind::Input, id, name, error);
    if (!stream && id.empty()) {
        note += "what the computer plays cannot be recorded here (" + error + "); the default input stands in: ";
        stream = endpoints_->open(WasapiEndpoints::Kind::DefaultInput, "", name, error);
    }
    if (!stream) {
        say(note + "cannot record: " + error, false);
        return;
    }
    const PcmFormat f = stream->format();
    if (!readablePcm(f)) {
        say(note + "'" + name + "' has a format vornix cannot read", false);
        return;
    }
    stream_ = std::move(stream);
    nextPosition_ = EndpointStream::noPosition;
    streamKey_ = key;
    streamName_ = name;
    listener_.captureFormat(name, f.sampleRate, f.channels);
    say(note + "listening to '" + name + "' (" + std::to_string(f.sampleRate) + " Hz, " + std::to_string(f.channels) +
            (f.channels == 1 ? " channel)" : " channels)"),
        true);
}

void WasapiCapture::readPackets()
{
    const PcmFormat f = stream_->format();
    for (int packets = 0; packets < 64; ++packets) {
        const void* data = nullptr;
        std::size_t frames = 0;
        bool silent = false;
        std::uint64_t position = EndpointStream::noPosition;
        std::string error;
        if (!stream_->next(data, frames, silent, position, error)) {
            stream_.reset();
            streamKey_.clear();
            say("the input '" + streamName_ + "' stopped (" + error + ")", false);
            return;
        }
        if (frames == 0)
            return;
        // Frames the device produced but nobody read in time (a busy machine) become silence, so the analysis's
        // clock stays the device's: beats keep their spacing across a gap. At most a second is filled.
        if (position != EndpointStream::noPosition && nextPosition_ != EndpointStream::noPosition &&
            position > nextPosition_ && convertPcm(f, nullptr, std::min<std::uint64_t>(position - nextPosition_,
                                                                                      static_cast<std::uint64_t>(f.sampleRate)),
                                                   true, samples_))
            listener_.captureSamples(samples_.data(), samples_.size() / static_cast<std::size_t>(f.channels));
        if (position != EndpointStream::noPosition)
            nextPosition_ = position + frames;
        if (convertPcm(f, data, frames, silent, samples_))
            listener_.captureSamples(samples_.data(), frames);
        stream_->release(frames);
    }
}

} // namespace

std::unique_ptr<AudioCapture> startWasapiCapture(AudioCaptureListener& listener,
                                                std::function<std::unique_ptr<WasapiEndpoints>(std::string&)> make)
{
    return std::make_unique<WasapiCapture>(listener, std::move(make));
}

std::unique_ptr<AudioCapture> startAudioCapture(AudioCaptureListener& listener)
{
    return startWasapiCapture(listener, &makeComEndpoints);
}

} // namespace vornix
