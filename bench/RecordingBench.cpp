// Recording video, side by side in one run (run it under a display, e.g. xvfb-run):
//   - the running program (preset "Fancy" switched to the CPU engine, N = 200, 600 x 600) without and with an MP4
//     recording: frames per second, and the GUI thread's milliseconds per frame in draw (the recording's share is
//     the difference: the read-back, handing the frame to the encoder, waiting for room in its queue, the indicator);
//   - the encoder alone on fluid-like 600 x 600 frames: milliseconds per frame (wall clock, and CPU time of all its
//     threads) and the bitrate, for MP4 and GIF.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/RecordingBench
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include <epoxy/gl.h>

#include "bench/TimedProgram.h"
#include "shell/video/VideoEncoder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// CPU seconds of every thread of the process so far (the encoders run threads of their own). On Windows the C
// library's clock() counts wall time instead.
double processCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

fs::path scratch(const std::string& name) { return fs::temp_directory_path() / ("vornix-bench-" + name); }

class MeasuredApp : public vornix::bench::TimedApp {
public:
    explicit MeasuredApp(bool record) : TimedApp(8.0), record_(record) {}

    void setup() override
    {
        vornixApp::setup();
        engine.value = 0;   // CPU
        applyPanelChanges();
        scene->current.showHelp = false;
        if (record_)
            recording.start(scratch("program.mp4").string(), getWindowWidth(), getWindowHeight());
        startTiming();
    }
    void update() override
    {
        // Keep dye and motion coming, so the encoder sees a changing picture as it would under a painting hand.
        const int n = static_cast<int>(scene->model->N);
        const double t = getElapsedSeconds();
        const int x = n / 2 + static_cast<int>(n / 3 * std::cos(t)), y = n / 2 + static_cast<int>(n / 3 * std::sin(t));
        scene->model->addDensity(x, y, 0.5f, scene->current.brushSizeDensity);
        scene->model->addVelocity(x, y, static_cast<float>(-20 * std::sin(t)), static_cast<float>(20 * std::cos(t)),
                                  scene->current.brushSizeVelocity);
        vornixApp::update();
        if (timeUp()) {
            framesRecorded = recording.frames();
            if (record_)
                recording.stop();
        }
    }
    // draw with the GL work it queued finished (a software rasteriser draws only when the picture is needed, which
    // the read-back would otherwise be charged for): the difference between the two runs is the recording's share.
    void draw() override
    {
        const auto before = Clock::now();
        vornixApp::draw();
        glFinish();
        drawSeconds += std::chrono::duration<double>(Clock::now() - before).count();
        ++draws;
    }

    double drawSeconds = 0.0;
    long draws = 0;
    long long framesRecorded = 0;

private:
    bool record_;
};

void runProgram(benchmark::State& state, bool record)
{
    vornix::bench::runTimed<MeasuredApp>(
        state, [record] { return std::make_unique<MeasuredApp>(record); },
        [&state](const MeasuredApp& app) {
            state.counters["draw_ms"] = app.draws ? 1000.0 * app.drawSeconds / static_cast<double>(app.draws) : 0.0;
            state.counters["frames_recorded"] = static_cast<double>(app.framesRecorded);
        });
    fs::remove(scratch("program.mp4"));
}

// A fluid-like picture: smooth swirls through a blackbody-like gradient, moving a little every frame.
void fluidFrame(vornix::VideoFrame& frame, int t)
{
    frame.resize(600, 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x) {
            const double dx = x - 300.0, dy = y - 300.0;
            const double r = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
            const double d = 0.5 + 0.5 * std::sin(r / 40.0 - t * 0.1 + 3.0 * std::sin(a * 2.0 + t * 0.05));
            std::uint8_t* p = &frame.bgra[(static_cast<std::size_t>(y) * 600 + x) * 4];
            p[2] = static_cast<std::uint8_t>(255 * std::min(1.0, d * 1.6));             // red
            p[1] = static_cast<std::uint8_t>(255 * std::clamp(d * 1.6 - 0.5, 0.0, 1.0));  // green
            p[0] = static_cast<std::uint8_t>(255 * std::clamp(d * 2.0 - 1.4, 0.0, 1.0));  // blue
            p[3] = 255;
        }
}

void runEncoder(benchmark::State& state, vornix::VideoFormat format)
{
    const int frames = 90;
    std::vector<vornix::VideoFrame> pictures(frames);
    for (int k = 0; k < frames; ++k)
        fluidFrame(pictures[static_cast<std::size_t>(k)], k);
    const fs::path path = scratch(format == vornix::VideoFormat::Mp4 ? "encoder.mp4" : "encoder.gif");
    for (auto _ : state) {
        const auto before = Clock::now();
        const double cpuBefore = processCpuSeconds();
        vornix::VideoEncoder encoder(path.string(), format, 600, 600);
        for (const auto& picture : pictures)
            encoder.write(picture);
        encoder.finish();
        const double seconds = std::chrono::duration<double>(Clock::now() - before).count();
        state.counters["ms_per_frame"] = 1000.0 * seconds / frames;
        state.counters["cpu_ms_per_frame"] = 1000.0 * (processCpuSeconds() - cpuBefore) / frames;
        state.counters["Mbit_per_s"] = static_cast<double>(fs::file_size(path)) * 8.0 / (frames / 30.0) / 1e6;
    }
    fs::remove(path);
}

[[maybe_unused]] const bool registered = [] {
    benchmark::RegisterBenchmark("Program/Fancy/CPU/N200/not_recording", runProgram, false)->Iterations(1)->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("Program/Fancy/CPU/N200/recording_mp4", runProgram, true)->Iterations(1)->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("Encoder/mp4_600x600", runEncoder, vornix::VideoFormat::Mp4)->Iterations(1)->Unit(benchmark::kSecond);
    benchmark::RegisterBenchmark("Encoder/gif_600x600", runEncoder, vornix::VideoFormat::Gif)->Iterations(1)->Unit(benchmark::kSecond);
    return true;
}();

} // namespace

BENCHMARK_MAIN();
