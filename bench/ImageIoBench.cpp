// Image costs the program meets: decoding the embedded help picture once at start, and saving a 600 x 600
// window picture as PNG or as JPEG at quality 0.9 (encoding plus the atomic file write).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/Resources.h"
#include "shell/image/ImageIo.h"
#include "shell/image/ImageTargetSurface.h"

namespace {

void BM_DecodeHelpPicture(benchmark::State& state)
{
    const vornix::DataSourceRef help = vornix::loadResource(vornix::resource::help);
    for (auto _ : state) {
        vornix::Surface8u s = vornix::loadSurface(help);
        benchmark::DoNotOptimize(s.getData());
    }
}
BENCHMARK(BM_DecodeHelpPicture)->Unit(benchmark::kMillisecond);

vornix::Surface8u windowPicture()
{
    vornix::Surface8u s(600, 600, false);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 600; ++x) {
            std::uint8_t* p = s.getPixel(x, y);
            p[0] = static_cast<std::uint8_t>((x * y) >> 9);
            p[1] = static_cast<std::uint8_t>(x / 3 + y / 5);
            p[2] = static_cast<std::uint8_t>(255 - y / 3);
        }
    return s;
}

void BM_SaveWindowPicture(benchmark::State& state, const char* extension)
{
    const vornix::Surface8u picture = windowPicture();
    const std::string path =
        (std::filesystem::temp_directory_path() / ("vornix_bench_save." + std::string(extension))).string();
    for (auto _ : state)
        vornix::writeImage(path, picture, vornix::ImageTarget::Options().quality(0.9f));
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
}
BENCHMARK_CAPTURE(BM_SaveWindowPicture, png, "png")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveWindowPicture, jpg, "jpg")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
