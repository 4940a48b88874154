// The sound analysis on made-up signals: a 120 bpm kick train gives one bass onset per kick, half a second apart; a
// steady tone at most two onsets; silence none and no level. Levels are relative to the usual loudness whatever the
// volume, fall back in the same time at every sample rate, and no input makes them anything but finite. Device
// samples (8 to 24-bit integers) become floats in -1 .. 1.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <vector>

#include "shell/audio/AudioAnalysis.h"
#include "shell/audio/PcmFormat.h"

using namespace vornix;

namespace {

// `seconds` of a mono signal f(t) at `rate`, copied into `channels` interleaved channels.
template <class F> std::vector<float> signal(int rate, int channels, double seconds, F f)
{
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> out(frames * static_cast<std::size_t>(channels));
    for (std::size_t k = 0; k < frames; ++k)
        for (int c = 0; c < channels; ++c)
            out[k * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<float>(f(static_cast<double>(k) / rate));
    return out;
}

// sox -n kick.wav synth 0.08 sine 60 fade 0 0.08 0.07 pad 0 0.42 repeat: 80 ms of 60 Hz fading out, every 0.5 s.
double kick(double t)
{
    const double p = std::fmod(t, 0.5);
    if (p >= 0.08)
        return 0.0;
    const double fade = p < 0.01 ? 1.0 : (0.08 - p) / 0.07;
    return 0.9 * fade * std::sin(2 * std::numbers::pi * 60 * p);
}

double tone(double t, double amplitude = 0.5) { return amplitude * std::sin(2 * std::numbers::pi * 440 * t); }

// Feeds in blocks of 480 frames, as a capture thread gets them.
void feed(AudioAnalysis& a, const std::vector<float>& samples)
{
    const std::size_t block = 480 * static_cast<std::size_t>(a.channels());
    for (std::size_t k = 0; k < samples.size(); k += block)
        a.feed(samples.data() + k, std::min(block, samples.size() - k) / static_cast<std::size_t>(a.channels()));
}

std::vector<AudioOnset> onsetsOf(std::vector<AudioOnset> all, AudioBand band)
{
    std::erase_if(all, [&](const AudioOnset& o) { return o.band != static_cast<int>(band); });
    return all;
}

} // namespace

TEST(AudioAnalysis, AKickTrainGivesOneBassOnsetPerKickHalfASecondApartAtEveryRate)
{
    for (int rate : {8000, 44100, 48000, 192000}) {
        AudioAnalysis a(rate, 2);
        feed(a, signal(rate, 2, 4.0, kick));
        const std::vector<AudioOnset> bass = onsetsOf(a.takeOnsets(), AudioBand::Bass);
        ASSERT_EQ(bass.size(), 8u) << rate << " Hz";
        for (std::size_t k = 1; k < bass.size(); ++k)
            EXPECT_NEAR(bass[k].seconds - bass[k - 1].seconds, 0.5, 0.025) << rate << " Hz, kick " << k;
        EXPECT_NEAR(bass[0].seconds, 0.0, 0.03) << rate << " Hz";
    }
}

TEST(AudioAnalysis, AToneGivesAtMostTwoOnsetsAndSilenceNoneAndNoLevel)
{
    AudioAnalysis toneAnalysis(48000, 1);
    feed(toneAnalysis, signal(48000, 1, 4.0, [](double t) { return tone(t); }));
    EXPECT_LE(toneAnalysis.takeOnsets().size(), 2u);

    AudioAnalysis silence(48000, 2);
    feed(silence, signal(48000, 2, 4.0, [](double) { return 0.0; }));
    EXPECT_TRUE(silence.takeOnsets().empty());
    for (float level : silence.levels())
        EXPECT_EQ(level, 0.0f);
}

TEST(AudioAnalysis, LevelsMeanAsLoudAsUsualAtAnyVolume)
{
    for (double amplitude : {0.5, 0.005}) {
        AudioAnalysis a(48000, 2);
        feed(a, signal(48000, 2, 3.0, [&](double t) { return tone(t, amplitude); }));
        EXPECT_NEAR(a.levels()[static_cast<int>(AudioBand::Mid)], 1.0f, 0.1f) << "amplitude " << amplitude;
        a.settings.gain = 2.0f;
        feed(a, signal(48000, 2, 0.5, [&](double t) { return tone(t, amplitude); }));
        EXPECT_NEAR(a.levels()[static_cast<int>(AudioBand::Mid)], 2.0f, 0.2f) << "amplitude " << amplitude;
    }
}

TEST(AudioAnalysis, LevelsFallInTheSameTimeAtEveryRate)
{
    // A second of tone, then 0.2 s of silence: the release is measured in seconds, not in analysis frames (whose
    // length differs sixfold between these rates).
    std::vector<float> after;
    for (int rate : {8000, 48000, 192000}) {
        AudioAnalysis a(rate, 1);
        feed(a, signal(rate, 1, 1.0, [](double t) { return tone(t); }));
        feed(a, signal(rate, 1, 0.2, [](double) { return 0.0; }));
        after.push_back(a.levels()[static_cast<int>(AudioBand::Mid)]);
    }
    EXPECT_GT(after[1], 0.2f);
    EXPECT_LT(after[1], 0.8f);
    EXPECT_NEAR(after[0], after[1], 0.15f * after[1]);
    EXPECT_NEAR(after[2], after[1], 0.15f * after[1]);
}

TEST(AudioAnalysis, NonFiniteClippedOddRatesAndManyChannelsLeaveOnlyFiniteLevels)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto [rate, channels] : {std::pair{8000, 1}, {192000, 8}, {0, 0}, {-5, 99}, {2000000, 3}}) {
        AudioAnalysis a(rate, channels);
        std::vector<float> samples = signal(a.sampleRate(), a.channels(), 0.5, [](double t) { return 40 * tone(t); });
        for (std::size_t k = 0; k < samples.size(); k += 7)
            samples[k] = (k / 7) % 3 == 0 ? nan : (k / 7) % 3 == 1 ? inf : -inf;
        feed(a, samples);
        a.feed(nullptr, 0);
        EXPECT_GT(a.invalidSamples(), 0u);
        EXPECT_GT(a.clippedSamples(), 0u);
        for (float level : a.levels())
            EXPECT_TRUE(std::isfinite(level) && level >= 0.0f) << rate << " Hz, " << channels << " channels";
        for (const AudioOnset& o : a.takeOnsets())
            EXPECT_TRUE(std::isfinite(o.strength) && std::isfinite(o.seconds));
    }
}

TEST(PcmFormat, DeviceSamplesBecomeFloatsInMinusOneToOne)
{
    std::vector<float> out;
    const std::int16_t s16[] = {32767, -32768, 0, 16384};
    ASSERT_TRUE(convertPcm({48000, 2, 16, false, 4}, s16, 2, false, out));
    EXPECT_EQ(out, (std::vector<float>{32767 / 32768.0f, -1.0f, 0.0f, 0.5f}));

    // 24-bit samples, three bytes each, little-endian, in frames padded to 8 bytes.
    const unsigned char s24[] = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0, 0};
    ASSERT_TRUE(convertPcm({48000, 2, 24, false, 8}, s24, 1, false, out));
    EXPECT_NEAR(out[0], 1.0f, 1e-6f);
    EXPECT_EQ(out[1], -1.0f);

    const unsigned char u8[] = {0, 128, 255};
    ASSERT_TRUE(convertPcm({8000, 1, 8, false, 1}, u8, 3, false, out));
    EXPECT_EQ(out, (std::vector<float>{-1.0f, 0.0f, 127 / 128.0f}));

    ASSERT_TRUE(convertPcm({48000, 2, 16, false, 4}, s16, 2, true, out));   // marked silent: zeros
    EXPECT_EQ(out, std::vector<float>(4, 0.0f));
    EXPECT_FALSE(convertPcm({48000, 2, 12, false, 4}, s16, 2, false, out));
    EXPECT_FALSE(convertPcm({48000, 2, 16, false, 2}, s16, 2, false, out));   // frames shorter than their samples
}
