// AudioAnalysis: what vornix hears in a stream of samples. Hann-windowed frames of about 1,024 samples at 48 kHz
// (a power of two scaled with the rate, 256 to 4,096), taken every half frame, give three band levels (bass, mid,
// treble) and onsets (beats) per band:
//   - a band's level is its energy divided by the band's own long-term average (automatic gain), as an amplitude:
//     1.0 means "as loud as usual" at any volume; silence is 0 and does not pull the average down;
//   - levels rise and fall with attack and release times in seconds of audio, so the result is the same whatever
//     the device's rate, frame size or the program's frame rate;
//   - an onset is a jump of the band's energy above its recent past (sensitivity lowers the jump needed), never
//     sooner than the refractory gap after the band's last onset.
// Any input is accepted: non-finite samples count as silence, everything is clipped to full scale, and no
// not-a-number ever leaves. Single-threaded: the capture thread feeds it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vornix {

constexpr int audioBandCount = 3;
enum class AudioBand : int { Bass = 0, Mid = 1, Treble = 2 };
// "bass", "mid", "treble".
const char* audioBandName(int band);

struct AudioAnalysisSettings {
    float sensitivity = 1.0f;             // onsets: 2 needs half the jump (in decibels), 0.5 twice
    float gain = 1.0f;                    // multiplies every level
    float attackSeconds = 0.01f;
    float releaseSeconds = 0.25f;
    float refractorySeconds = 0.12f;      // shortest time between two onsets of one band
    float averageSeconds = 10.0f;         // the long-term average that 1.0 stands for
};

struct AudioOnset {
    int band = 0;
    double seconds = 0.0;   // position in the analysed stream (seconds of audio since the start)
    float strength = 0.0f;  // the band's energy over its long-term average, as an amplitude
};

class AudioAnalysis {
public:
    // Rates outside 1,000 .. 768,000 Hz and channel counts outside 1 .. 64 are clamped into them.
    AudioAnalysis(int sampleRate, int channels, AudioAnalysisSettings settings = {});
    ~AudioAnalysis();
    AudioAnalysis(const AudioAnalysis&) = delete;
    AudioAnalysis& operator=(const AudioAnalysis&) = delete;

    // `frames` frames of interleaved samples (frames x channels floats). May be null when frames is 0.
    void feed(const float* interleaved, std::size_t frames);

    // The smoothed levels after the samples fed so far (0 in silence, 1 as loud as usual).
    const std::array<float, audioBandCount>& levels() const { return levels_; }
    // The onsets found since the last call, oldest first.
    std::vector<AudioOnset> takeOnsets();

    AudioAnalysisSettings settings;
    int sampleRate() const { return rate_; }
    int channels() const { return channels_; }
    int frameSize() const { return size_; }
    double seconds() const { return static_cast<double>(framesFed_) / rate_; }
    // Samples that were not finite (counted as silence) and samples at or beyond full scale, so far.
    std::uint64_t invalidSamples() const { return invalid_; }
    std::uint64_t clippedSamples() const { return clipped_; }

private:
    void analyseFrame();

    int rate_;
    int channels_;
    int size_;
    int hop_;
    struct Fft;
    std::unique_ptr<Fft> fft_;
    std::vector<float> window_;
    std::vector<float> history_;   // the last size_ mono samples, a ring
    std::size_t historyPos_ = 0;
    int sinceFrame_ = 0;
    std::uint64_t framesFed_ = 0;
    std::uint64_t invalid_ = 0, clipped_ = 0;
    std::array<std::pair<int, int>, audioBandCount> bins_{};   // [first, last) FFT bin per band
    std::array<float, audioBandCount> levels_{};
    std::array<double, audioBandCount> average_{};     // long-term energy; 0 until the band was first heard
    std::array<double, audioBandCount> heardSeconds_{};
    std::array<double, audioBandCount> recent_{};      // short-term energy, the onsets' reference
    std::array<double, audioBandCount> previous_{};    // energy of the previous frame
    std::array<double, audioBandCount> lastOnset_{};
    std::vector<AudioOnset> onsets_;
};

} // namespace vornix
