// Audio capture, the platform's half (PulseAudio's client library on Linux, WASAPI on Windows): a thread of its own
// that lists the system's inputs, records from the chosen one and follows the system when devices come and go, the
// default output changes or the audio server restarts. Everything it has to say arrives through the listener, on
// the capture thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace vornix {

struct AudioDevice {
    std::string id;     // the system's own name for it
    std::string name;   // the name the system shows the user
    bool playback = false;   // the sound an output plays (a monitor, a loopback), not a microphone or line input
};

class AudioCaptureListener {
public:
    virtual ~AudioCaptureListener() = default;
    // Samples from now on come from `device` as interleaved 32-bit floats at this rate and channel count.
    virtual void captureFormat(const std::string& device, int sampleRate, int channels) = 0;
    virtual void captureSamples(const float* interleaved, std::size_t frames) = 0;
    // A change the user should know of, in words (for the console and the Studio panel); `listening`: samples flow.
    virtual void captureState(const std::string& text, bool listening) = 0;
    // The inputs the system lists now.
    virtual void captureDevices(std::vector<AudioDevice> devices) = 0;
};

class AudioCapture {
public:
    virtual ~AudioCapture() = default;   // stops the thread: no listener call runs once it has returned
    // Records (or stops recording): `choice` empty is what the computer plays (the default output), otherwise the
    // first input whose name (or id) contains it; while that one is missing, the default output stands in and the
    // listener is told. Returns at once; the capture thread does the work.
    virtual void select(bool listening, const std::string& choice) = 0;
};

// Connects to the system's audio on a new thread (listing devices, not recording yet). Never throws for a missing
// audio system: the listener is told, and the thread keeps trying.
std::unique_ptr<AudioCapture> startAudioCapture(AudioCaptureListener& listener);

} // namespace vornix
