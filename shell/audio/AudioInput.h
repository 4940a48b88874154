// AudioInput: the GUI thread's side of audio. It owns the platform's capture and the analysis that runs on the
// capture thread, and hands results over through a briefly locked snapshot, so the GUI thread never waits for the
// audio system: a capture that stalls, a server that is gone or a device that delivers nothing only shows in the
// snapshot's state.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shell/audio/AudioAnalysis.h"
#include "shell/audio/AudioCapture.h"

namespace vornix {

struct AudioSnapshot {
    bool listening = false;            // samples arrive
    std::string state;                 // the last thing the capture said ("" before it said anything)
    std::string device;                // what is being recorded
    int sampleRate = 0, channels = 0;
    std::array<float, audioBandCount> levels{};
    double secondsSinceData = 0.0;     // how long ago the last samples arrived (0 while none were expected)
    std::vector<AudioDevice> devices;
    unsigned devicesVersion = 0;       // grows with every new device list
};

class AudioInput : private AudioCaptureListener {
public:
    // Makes the capture for this input; by default the platform's (startAudioCapture).
    using CaptureFactory = std::function<std::unique_ptr<AudioCapture>(AudioCaptureListener&)>;
    explicit AudioInput(CaptureFactory factory = {});
    ~AudioInput() override;

    // Connects to the audio system (device list, no recording) unless already connected.
    void connect();
    bool connected() const { return capture_ != nullptr; }
    // Records from `choice` (see AudioCapture::select) or stops recording; connects first when needed.
    void listen(bool on, const std::string& choice);

    AudioSnapshot snapshot() const;
    std::vector<AudioOnset> takeOnsets();
    // Lines for the console from the capture thread (the GUI thread writes them).
    std::vector<std::string> takeMessages();
    // Applied from the next block of samples on.
    void setAnalysisSettings(const AudioAnalysisSettings& settings);

private:
    void captureFormat(const std::string& device, int sampleRate, int channels) override;
    void captureSamples(const float* interleaved, std::size_t frames) override;
    void captureState(const std::string& text, bool listening) override;
    void captureDevices(std::vector<AudioDevice> devices) override;

    CaptureFactory factory_;
    bool wantListening_ = false;
    mutable std::mutex mutex_;   // guards everything below; held only to copy a few values
    AudioSnapshot shared_;
    AudioAnalysisSettings settings_;
    std::unique_ptr<AudioAnalysis> analysis_;   // used on the capture thread, replaced under the lock
    std::vector<AudioOnset> onsets_;
    std::vector<std::string> messages_;
    std::chrono::steady_clock::time_point lastData_{};
    std::unique_ptr<AudioCapture> capture_;   // last: it stops before the rest goes
};

} // namespace vornix
