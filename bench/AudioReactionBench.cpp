// The running program with sound, end to end (run under a display and with a PulseAudio server whose default output
// plays something, see the README):
//   - frames per second of the program (CPU engine, help picture dismissed) with the reaction to sound off and on,
//     side by side in one run;
//   - the latency from a kick written to the default output to its dye burst in the window's picture: the program
//     listens to what the computer plays, a second thread plays one kick through libpulse-simple into the default
//     output, and every frame the picture at the bass emitter is read back after drawing. Latency = the frame whose
//     picture first shows dye there, minus the moment the kick reaches the output (write time + the playback
//     stream's latency).
#include <benchmark/benchmark.h>

#include <epoxy/gl.h>
#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "TimedProgram.h"
#include "app/studio/MusicBrush.h"

namespace {

using Clock = std::chrono::steady_clock;

class SoundApp : public vornix::bench::TimedApp {
public:
    SoundApp(double seconds, bool audio, bool measureLatency)
        : TimedApp(seconds), audio_(audio), latency_(measureLatency)
    {
        if (audio)
            args_.push_back("--audio");
    }
    ~SoundApp() override
    {
        if (player_.joinable())
            player_.join();
    }
    void setup() override
    {
        setArgs(args_);   // the launcher hands over none
        vornixApp::setup();
        scene->current.showHelp = false;
        engine.value = 0;   // CPU: the frame rate is the program's, not llvmpipe's
        applyPanelChanges();
        startTiming();
        start_ = getElapsedSeconds();
        startFrame_ = getElapsedFrames();
    }
    void update() override
    {
        const double now = getElapsedSeconds();
        if (timeUp()) {
            meanFps = (getElapsedFrames() - startFrame_) / (now - start_);
            return;
        }
        vornixApp::update();
        if (latency_ && !playing_ && live.audioState().rfind("listening", 0) == 0 && getElapsedSeconds() > 2.0) {
            playing_ = true;
            player_ = std::thread([this] { playKick(); });
        }
    }
    void draw() override
    {
        vornixApp::draw();
        if (!latency_ || !soundAt_.load() || seenAt_ != Clock::time_point{})
            return;
        const vornix::EmitterPlace bass = vornix::fixedMusicEmitters()[0];
        const int x = static_cast<int>(bass.x * getWindowWidth()), y = static_cast<int>(bass.y * getWindowHeight());
        std::vector<unsigned char> rgb(40 * 40 * 3);
        glReadPixels(x - 20, getWindowHeight() - y - 20, 40, 40, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        for (unsigned char c : rgb)
            if (c > 40) {
                seenAt_ = Clock::now();
                break;
            }
    }
    double meanFps = 0.0;   // frames over the whole timed run
    double latencyMs() const
    {
        if (seenAt_ == Clock::time_point{} || !soundAt_.load())
            return -1;
        return std::chrono::duration<double, std::milli>(seenAt_ - soundTime_).count();
    }

private:
    void playKick()
    {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, 48000, 1};
        int error = 0;
        pa_simple* out = pa_simple_new(nullptr, "vornix bench", PA_STREAM_PLAYBACK, nullptr, "kick", &format, nullptr,
                                       nullptr, &error);
        if (!out)
            return;
        std::vector<float> silence(4800, 0.0f), kick(3840);
        for (std::size_t k = 0; k < kick.size(); ++k)
            kick[k] = static_cast<float>(0.9 * std::sin(2 * std::numbers::pi * 60 * k / 48000.0));
        for (int k = 0; k < 5; ++k)
            pa_simple_write(out, silence.data(), silence.size() * sizeof(float), &error);
        const pa_usec_t queued = pa_simple_get_latency(out, &error);
        soundTime_ = Clock::now() + std::chrono::microseconds(queued);
        soundAt_ = true;
        pa_simple_write(out, kick.data(), kick.size() * sizeof(float), &error);
        pa_simple_drain(out, &error);
        pa_simple_free(out);
    }

    std::vector<std::string> args_{"vornix"};
    double start_ = 0.0;
    std::uint32_t startFrame_ = 0;
    bool audio_, latency_;
    bool playing_ = false;
    std::thread player_;
    std::atomic<bool> soundAt_{false};
    Clock::time_point soundTime_{}, seenAt_{};
};

void frameRate(benchmark::State& state)
{
    const bool audio = state.range(0) != 0;
    vornix::bench::runTimed<SoundApp>(
        state, [&] { return std::make_unique<SoundApp>(8.0, audio, false); },
        [&](const SoundApp& app) { state.counters["mean_fps"] = app.meanFps; });
    state.SetLabel(audio ? "reacting to sound" : "sound off");
}

void soundToScreen(benchmark::State& state)
{
    vornix::bench::runTimed<SoundApp>(
        state, [] { return std::make_unique<SoundApp>(6.0, true, true); },
        [&](const SoundApp& app) {
            state.counters["latency_ms"] = app.latencyMs();
            if (app.latencyMs() < 0)
                state.SkipWithError("no burst seen (is a PulseAudio server running?)");
        });
}

} // namespace

BENCHMARK(frameRate)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(soundToScreen)->Iterations(3)->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
