// The sound analysis fed random blocks: the first bytes choose the rate, the channel count and the settings, the
// rest are the samples (any bit pattern: not-a-number, infinities, huge values), cut into blocks of varying size.
// No level and no onset may come out other than finite.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "shell/audio/AudioAnalysis.h"

namespace {

template <class T> T take(const std::uint8_t*& data, std::size_t& size)
{
    T v{};
    if (size >= sizeof(T)) {
        std::memcpy(&v, data, sizeof(T));
        data += sizeof(T);
        size -= sizeof(T);
    }
    return v;
}

void check(const vornix::AudioAnalysis& a, std::vector<vornix::AudioOnset> onsets)
{
    for (float level : a.levels())
        if (!std::isfinite(level) || level < 0.0f)
            std::abort();
    for (const vornix::AudioOnset& o : onsets)
        if (!std::isfinite(o.strength) || !std::isfinite(o.seconds) || o.band < 0 || o.band >= vornix::audioBandCount)
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int rate = take<std::int32_t>(data, size);
    const int channels = take<std::int8_t>(data, size);
    vornix::AudioAnalysisSettings settings;
    settings.sensitivity = take<float>(data, size);
    settings.gain = take<float>(data, size);
    settings.releaseSeconds = take<float>(data, size);
    vornix::AudioAnalysis analysis(rate, channels, settings);
    const std::size_t frameBytes = sizeof(float) * static_cast<std::size_t>(analysis.channels());
    while (size > 0) {
        const std::size_t frames = std::min<std::size_t>(take<std::uint8_t>(data, size) * 8u + 1u, size / frameBytes);
        std::vector<float> block(frames * static_cast<std::size_t>(analysis.channels()));
        if (!block.empty())
            std::memcpy(block.data(), data, block.size() * sizeof(float));
        data += frames * frameBytes;
        size -= frames * frameBytes;
        analysis.feed(block.data(), frames);
        check(analysis, analysis.takeOnsets());
        if (frames == 0)
            break;
    }
    // Enough silence after it to run the smoothing and the averages through many frames.
    std::vector<float> silence(static_cast<std::size_t>(analysis.frameSize() * 4 * analysis.channels()), 0.0f);
    analysis.feed(silence.data(), silence.size() / static_cast<std::size_t>(analysis.channels()));
    check(analysis, analysis.takeOnsets());
    return 0;
}
