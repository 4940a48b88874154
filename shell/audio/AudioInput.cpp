#include "shell/audio/AudioInput.h"

namespace vornix {

namespace {

constexpr std::size_t maxPending = 256;

} // namespace

AudioInput::AudioInput(CaptureFactory factory) : factory_(std::move(factory))
{
    if (!factory_)
        factory_ = [](AudioCaptureListener& listener) { return startAudioCapture(listener); };
}

AudioInput::~AudioInput() { capture_.reset(); }

void AudioInput::connect()
{
    if (!capture_)
        capture_ = factory_(*this);
}

void AudioInput::listen(bool on, const std::string& choice)
{
    connect();
    {
        std::lock_guard lock(mutex_);
        wantListening_ = on;
        lastData_ = std::chrono::steady_clock::now();
    }
    capture_->select(on, choice);
}

AudioSnapshot AudioInput::snapshot() const
{
    std::lock_guard lock(mutex_);
    AudioSnapshot s = shared_;
    if (wantListening_ && capture_)
        s.secondsSinceData = std::chrono::duration<double>(std::chrono::steady_clock::now() - lastData_).count();
    if (!s.listening)
        s.levels = {};
    return s;
}

std::vector<AudioOnset> AudioInput::takeOnsets()
{
    std::lock_guard lock(mutex_);
    std::vector<AudioOnset> out;
    out.swap(onsets_);
    return out;
}

std::vector<std::string> AudioInput::takeMessages()
{
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    out.swap(messages_);
    return out;
}

void AudioInput::setAnalysisSettings(const AudioAnalysisSettings& settings)
{
    std::lock_guard lock(mutex_);
    settings_ = settings;
}

void AudioInput::captureFormat(const std::string& device, int sampleRate, int channels)
{
    auto analysis = std::make_unique<AudioAnalysis>(sampleRate, channels);
    std::lock_guard lock(mutex_);
    analysis->settings = settings_;
    analysis_ = std::move(analysis);
    shared_.device = device;
    shared_.sampleRate = analysis_->sampleRate();
    shared_.channels = analysis_->channels();
    shared_.levels = {};
    lastData_ = std::chrono::steady_clock::now();
}

void AudioInput::captureSamples(const float* interleaved, std::size_t frames)
{
    // The analysis is the capture thread's; only its results are handed over under the lock.
    AudioAnalysis* analysis = nullptr;
    {
        std::lock_guard lock(mutex_);
        analysis = analysis_.get();
        if (analysis)
            analysis->settings = settings_;
    }
    if (!analysis)
        return;
    analysis->feed(interleaved, frames);
    std::vector<AudioOnset> found = analysis->takeOnsets();
    std::lock_guard lock(mutex_);
    shared_.levels = analysis->levels();
    for (const AudioOnset& o : found)
        if (onsets_.size() < maxPending)
            onsets_.push_back(o);
    lastData_ = std::chrono::steady_clock::now();
}

void AudioInput::captureState(const std::string& text, bool listening)
{
    std::lock_guard lock(mutex_);
    shared_.state = text;
    shared_.listening = listening;
    if (messages_.size() < maxPending)
        messages_.push_back("Audio: " + text);
}

void AudioInput::captureDevices(std::vector<AudioDevice> devices)
{
    std::lock_guard lock(mutex_);
    shared_.devices = std::move(devices);
    ++shared_.devicesVersion;
}

} // namespace vornix
