// The Windows capture's logic on stand-in endpoints (Wine has no loopback of an output): what the computer plays
// is recorded through a loopback of the default output, packets the system marks silent arrive as zeros, frames
// the device produced but nobody read in time arrive as silence (the analysis keeps the device's clock), a new
// default output reopens the loopback, a device that fails is reported and replaced, and where no loopback exists
// the default input stands in and the state says so.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "shell/platform/win/WasapiEndpoints.h"

using namespace vornix;

namespace {

struct World {
    std::mutex mutex;
    std::string defaultOutput = "speakers-1";
    bool loopbackWorks = true;
    bool failStream = false;
    std::vector<std::string> opened;
    std::function<void()> changed;
};

class StandInStream : public EndpointStream {
public:
    explicit StandInStream(World& w) : world_(w) {}
    PcmFormat format() const override { return {48000, 2, 32, true, 8}; }
    bool next(const void*& data, std::size_t& frames, bool& silent, std::uint64_t& position,
              std::string& error) override
    {
        std::lock_guard lock(world_.mutex);
        if (world_.failStream) {
            error = "the device is gone";
            return false;
        }
        if (sent_ >= 20) {
            frames = 0;
            return true;
        }
        packet_.assign(2 * 480, 0.25f);
        data = packet_.data();
        frames = 480;
        silent = sent_ % 2 == 1;   // every other packet marked silent (its bytes are not zeros)
        // The device's clock: after the tenth packet, 4,800 frames were produced that nobody read in time.
        position = static_cast<std::uint64_t>(sent_) * 480 + (sent_ >= 10 ? 4800 : 0);
        ++sent_;
        return true;
    }
    void release(std::size_t) override {}

private:
    World& world_;
    int sent_ = 0;
    std::vector<float> packet_;
};

class StandInEndpoints : public WasapiEndpoints {
public:
    explicit StandInEndpoints(World& w) : world_(w) {}
    ~StandInEndpoints() override
    {
        std::lock_guard lock(world_.mutex);
        world_.changed = nullptr;
    }
    std::vector<AudioDevice> inputs() override { return {{"mic-1", "Microphone", false}}; }
    std::string defaultOutput() override
    {
        std::lock_guard lock(world_.mutex);
        return world_.defaultOutput;
    }
    std::unique_ptr<EndpointStream> open(Kind kind, const std::string& id, std::string& name,
                                         std::string& error) override
    {
        std::lock_guard lock(world_.mutex);
        if (kind == Kind::Loopback && !world_.loopbackWorks) {
            error = "no loopback on this system";
            return nullptr;
        }
        name = kind == Kind::Loopback ? "Speakers " + world_.defaultOutput : kind == Kind::Input ? id : "Microphone";
        world_.opened.push_back(name);
        world_.failStream = false;
        return std::make_unique<StandInStream>(world_);
    }
    void watch(std::function<void()> changed) override
    {
        std::lock_guard lock(world_.mutex);
        world_.changed = std::move(changed);
    }

private:
    World& world_;
};

struct Recorder : AudioCaptureListener {
    std::mutex mutex;
    std::vector<std::string> states, formats;
    std::size_t frames = 0, zeroFrames = 0;
    void captureFormat(const std::string& device, int rate, int channels) override
    {
        std::lock_guard lock(mutex);
        formats.push_back(device + " " + std::to_string(rate) + "/" + std::to_string(channels));
    }
    void captureSamples(const float* s, std::size_t n) override
    {
        std::lock_guard lock(mutex);
        frames += n;
        zeroFrames += s[0] == 0.0f ? n : 0;
    }
    void captureState(const std::string& text, bool) override
    {
        std::lock_guard lock(mutex);
        states.push_back(text);
    }
    void captureDevices(std::vector<AudioDevice>) override {}
    bool said(const std::string& part)
    {
        std::lock_guard lock(mutex);
        for (const std::string& s : states)
            if (s.find(part) != std::string::npos)
                return true;
        return false;
    }
};

template <class F> bool waitFor(F condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace

TEST(WasapiCapture, LoopbackOfTheDefaultOutputFollowsItAndFailedDevicesAreReplaced)
{
    World world;
    Recorder heard;
    auto capture = startWasapiCapture(heard, [&](std::string&) { return std::make_unique<StandInEndpoints>(world); });
    capture->select(true, "");
    ASSERT_TRUE(waitFor([&] { return heard.said("listening to 'Speakers speakers-1' (48000 Hz, 2 channels)"); }));
    ASSERT_TRUE(waitFor([&] { std::lock_guard l(heard.mutex); return heard.frames >= 20 * 480 + 4800; }));
    {
        std::lock_guard l(heard.mutex);
        EXPECT_EQ(heard.frames, 20u * 480 + 4800) << "the gap on the device's clock is filled, once";
        EXPECT_EQ(heard.zeroFrames, 10u * 480 + 4800) << "packets marked silent and the gap arrive as zeros";
    }

    {
        std::lock_guard lock(world.mutex);
        world.defaultOutput = "speakers-2";
        world.changed();
    }
    EXPECT_TRUE(waitFor([&] { return heard.said("listening to 'Speakers speakers-2'"); }));

    {
        std::lock_guard lock(world.mutex);
        world.failStream = true;
    }
    EXPECT_TRUE(waitFor([&] { return heard.said("stopped (the device is gone)"); }));
    EXPECT_TRUE(waitFor([&] { std::lock_guard l(world.mutex); return world.opened.size() >= 3; }))
        << "the capture did not open the output again";
    capture.reset();
}

TEST(WasapiCapture, WithoutALoopbackTheDefaultInputStandsIn)
{
    World world;
    world.loopbackWorks = false;
    Recorder heard;
    auto capture = startWasapiCapture(heard, [&](std::string&) { return std::make_unique<StandInEndpoints>(world); });
    capture->select(true, "");
    EXPECT_TRUE(waitFor([&] {
        return heard.said("what the computer plays cannot be recorded here (no loopback on this system); the default "
                          "input stands in: listening to 'Microphone'");
    }));
    capture->select(true, "Micro");
    capture->select(false, "");
    EXPECT_TRUE(waitFor([&] { return heard.said("off"); }));
}
