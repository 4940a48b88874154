// The few things the Windows capture asks of the audio system, behind an interface: the real one is WASAPI's
// (ComEndpoints, shared mode), and a test can put a stand-in in its place to play devices that Wine lacks (a
// loopback of the default output, devices that vanish).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/audio/AudioCapture.h"
#include "shell/audio/PcmFormat.h"

namespace vornix {

// An open, started stream: packets as the device delivers them.
class EndpointStream {
public:
    virtual ~EndpointStream() = default;
    virtual PcmFormat format() const = 0;
    // The next packet, if one waits: true with frames 0 when none does; false when the device is gone or failed
    // (error says why). `position`: the packet's first frame on the device's clock (frames since the stream
    // started), or noPosition when the device does not say.
    static constexpr std::uint64_t noPosition = ~std::uint64_t(0);
    virtual bool next(const void*& data, std::size_t& frames, bool& silent, std::uint64_t& position,
                      std::string& error) = 0;
    virtual void release(std::size_t frames) = 0;
};

class WasapiEndpoints {
public:
    enum class Kind { Loopback, DefaultInput, Input };
    virtual ~WasapiEndpoints() = default;
    // The recording devices the system lists (microphones, line inputs).
    virtual std::vector<AudioDevice> inputs() = 0;
    // The id of the default output (what a loopback records); empty when there is none.
    virtual std::string defaultOutput() = 0;
    // Opens and starts a loopback of the default output, the default input, or the input with this id; nullptr with
    // the reason in `error` when it cannot be had. `name` is what the system calls the device.
    virtual std::unique_ptr<EndpointStream> open(Kind kind, const std::string& id, std::string& name,
                                                 std::string& error) = 0;
    // From now on `changed` is called (on any thread) when devices come or go or a default changes; until the
    // endpoints are destroyed.
    virtual void watch(std::function<void()> changed) = 0;
};

// The capture thread on these endpoints: `make` runs on that thread (COM is initialised there) and returns nullptr
// with the reason when there is no audio system; it is asked again every second.
std::unique_ptr<AudioCapture> startWasapiCapture(
    AudioCaptureListener& listener, std::function<std::unique_ptr<WasapiEndpoints>(std::string& error)> make);

// WASAPI's own endpoints (on a thread where COM is initialised).
std::unique_ptr<WasapiEndpoints> makeComEndpoints(std::string& error);

} // namespace vornix
