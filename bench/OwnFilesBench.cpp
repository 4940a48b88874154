// The costs of the user's own presets and colours: saving and loading 100 presets (each with an own colour scheme of
// eight stops; every save is a TOML text written by atomic replacement), and what the gradient editor does in a frame
// in which a dragged stop moved: the stops sorted, both 2,048-entry tables rebuilt and the gradient texture replaced,
// side by side with choosing a fixed scheme (keys 1 to 8), the same work from a scheme index. Each GL case ends with
// glFinish, so the upload is counted. Run it under a display (xvfb-run) for the GL context.
#include <benchmark/benchmark.h>

#include <epoxy/gl.h>

#include <filesystem>
#include <string>

#include "app/studio/OwnLibrary.h"
#include "render/GradientTable.h"
#include "shell/platform/HiddenGlContext.h"

namespace {

using namespace vornix;

constexpr int PresetCount = 100;

std::filesystem::path benchFolder(const char* name)
{
    const auto path = std::filesystem::temp_directory_path() / ("vornix-bench-" + std::string(name));
    std::filesystem::remove_all(path);
    return path;
}

OwnPreset preset(int k)
{
    OwnPreset p{builtInPresets()[static_cast<std::size_t>(k) % builtInPresets().size()], std::nullopt};
    p.values.name = "Preset " + std::to_string(k);
    p.values.deltaTime = 0.01f + static_cast<float>(k) / 997.0f;   // a float that needs all its digits
    OwnScheme scheme{"Colours " + std::to_string(k), {}};
    for (int s = 0; s < 8; ++s)
        scheme.stops.push_back({static_cast<float>(s) / 7.0f, s / 7.0f, 1.0f / (s + 3.0f), 0.3f, 1.0f});
    p.scheme = scheme;
    return p;
}

void BM_Save100Presets(benchmark::State& state)
{
    const auto folder = benchFolder("save");
    OwnLibrary library{SettingsFolder(folder.string())};
    for (auto _ : state)
        for (int k = 0; k < PresetCount; ++k)
            if (const std::string why = library.savePreset(preset(k)); !why.empty()) {
                state.SkipWithError(why.c_str());
                return;
            }
    state.counters["presets"] = PresetCount;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Save100Presets)->Unit(benchmark::kMillisecond);

void BM_Load100Presets(benchmark::State& state)
{
    const auto folder = benchFolder("load");
    OwnLibrary library{SettingsFolder(folder.string())};
    for (int k = 0; k < PresetCount; ++k)
        library.savePreset(preset(k));
    for (auto _ : state) {
        const auto messages = library.reload();
        benchmark::DoNotOptimize(messages.data());
    }
    if (library.presets().size() != PresetCount)
        state.SkipWithError("not every preset was loaded");
    state.counters["presets"] = static_cast<double>(library.presets().size());
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Load100Presets)->Unit(benchmark::kMillisecond);

HiddenGlContext& context()
{
    static HiddenGlContext ctx(64, 64);
    return ctx;
}

// One frame of a drag: the second of Blackbody's six stops moves a little and the whole gradient is rebuilt.
void BM_EditorDragFrame(benchmark::State& state)
{
    context().makeCurrent();
    GradientTable table;
    table.setColorScheme(3);
    std::vector<ColorStop> stops = table.gradient.stops();
    int frame = 0;
    glFinish();
    for (auto _ : state) {
        stops[1].position = 0.1f + 0.3f * static_cast<float>(frame++ % 64) / 64.0f;
        table.setStops(stops);
        glFinish();
    }
}
BENCHMARK(BM_EditorDragFrame)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FixedSchemeChoice(benchmark::State& state)
{
    context().makeCurrent();
    GradientTable table;
    int frame = 0;
    glFinish();
    for (auto _ : state) {
        table.setColorScheme(frame++ % 7);
        glFinish();
    }
}
BENCHMARK(BM_FixedSchemeChoice)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
