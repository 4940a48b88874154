#include "shell/audio/AudioAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <kiss_fftr.h>

namespace vornix {

namespace {

// Band edges in Hz; the treble ends at the rate's Nyquist frequency when that is lower.
constexpr std::array<std::pair<double, double>, audioBandCount> bandEdges{{{20.0, 150.0}, {150.0, 2000.0},
                                                                           {2000.0, 16000.0}}};
// A band's energy below this (per sample, full scale = 0.5 for a sine) is silence: about -70 dB.
constexpr double silenceEnergy = 1e-7;
// Onsets: the energy must exceed its recent past by this many decibels (at sensitivity 1) and still be rising.
constexpr double onsetRiseDb = 9.0;
constexpr double recentSeconds = 0.15;
// ... carry at least this share of the loudest band's energy (the edge of a sound spills some energy into every band,
// about 20 dB down and more, which is no beat there), and be at least half as loud as usual in its band.
constexpr double onsetShare = 1.0 / 20.0;
constexpr double onsetLoudness = 0.5;
constexpr std::size_t maxPendingOnsets = 256;
constexpr float maxLevel = 16.0f;

int frameSizeFor(int rate)
{
    const double wanted = 1024.0 * rate / 48000.0;
    int size = 256;
    while (size < 4096 && size * 1.5 < wanted)
        size *= 2;
    return size;
}

double smoothing(double dt, double tau) { return tau <= 0.0 ? 1.0 : 1.0 - std::exp(-dt / tau); }

float finiteOr(float v, float fallback) { return std::isfinite(v) ? v : fallback; }

} // namespace

const char* audioBandName(int band)
{
    static const char* const names[audioBandCount] = {"bass", "mid", "treble"};
    return band >= 0 && band < audioBandCount ? names[band] : "?";
}

struct AudioAnalysis::Fft {
    explicit Fft(int n) : cfg(kiss_fftr_alloc(n, 0, nullptr, nullptr)), in(static_cast<std::size_t>(n)),
                          out(static_cast<std::size_t>(n / 2 + 1)) {}
    ~Fft() { kiss_fftr_free(cfg); }
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;
    kiss_fftr_cfg cfg;
    std::vector<kiss_fft_scalar> in;
    std::vector<kiss_fft_cpx> out;
};

AudioAnalysis::AudioAnalysis(int sampleRate, int channels, AudioAnalysisSettings s)
    : settings(s), rate_(std::clamp(sampleRate, 1000, 768000)), channels_(std::clamp(channels, 1, 64)),
      size_(frameSizeFor(rate_)), hop_(size_ / 2), fft_(std::make_unique<Fft>(size_)),
      window_(static_cast<std::size_t>(size_)), history_(static_cast<std::size_t>(size_), 0.0f)
{
    for (int k = 0; k < size_; ++k)
        window_[static_cast<std::size_t>(k)] =
            static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * k / size_));
    const double binHz = static_cast<double>(rate_) / size_;
    for (int b = 0; b < audioBandCount; ++b) {
        const int nyquistBin = size_ / 2;
        const int first = std::clamp(static_cast<int>(std::ceil(bandEdges[b].first / binHz)), 1, nyquistBin);
        const int last = std::clamp(static_cast<int>(std::ceil(bandEdges[b].second / binHz)), first, nyquistBin);
        bins_[static_cast<std::size_t>(b)] = {first, last};
    }
    lastOnset_.fill(-1e9);
}

AudioAnalysis::~AudioAnalysis() = default;

void AudioAnalysis::feed(const float* interleaved, std::size_t frames)
{
    if (!interleaved)
        return;
    const float scale = 1.0f / static_cast<float>(channels_);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (int c = 0; c < channels_; ++c) {
            float v = interleaved[f * static_cast<std::size_t>(channels_) + static_cast<std::size_t>(c)];
            if (!std::isfinite(v)) {
                ++invalid_;
                v = 0.0f;
            } else if (v >= 1.0f || v <= -1.0f) {
                ++clipped_;
                v = std::clamp(v, -1.0f, 1.0f);
            }
            sum += v;
        }
        history_[historyPos_] = sum * scale;
        historyPos_ = (historyPos_ + 1) % history_.size();
        ++framesFed_;
        if (++sinceFrame_ >= hop_) {
            sinceFrame_ = 0;
            analyseFrame();
        }
    }
}

void AudioAnalysis::analyseFrame()
{
    for (int k = 0; k < size_; ++k) {
        const std::size_t at = (historyPos_ + static_cast<std::size_t>(k)) % history_.size();
        fft_->in[static_cast<std::size_t>(k)] = history_[at] * window_[static_cast<std::size_t>(k)];
    }
    kiss_fftr(fft_->cfg, fft_->in.data(), fft_->out.data());

    const double dt = static_cast<double>(hop_) / rate_;
    const double attack = smoothing(dt, finiteOr(settings.attackSeconds, 0.01f));
    const double release = smoothing(dt, finiteOr(settings.releaseSeconds, 0.25f));
    const double averageSeconds = std::max(0.1f, finiteOr(settings.averageSeconds, 10.0f));
    const double shortTerm = smoothing(dt, recentSeconds);
    const double sensitivity = std::clamp(finiteOr(settings.sensitivity, 1.0f), 0.05f, 20.0f);
    const double gain = std::clamp(finiteOr(settings.gain, 1.0f), 0.0f, 100.0f);
    const double refractory = std::max(0.0f, finiteOr(settings.refractorySeconds, 0.12f));
    // Energy per sample of the windowed frame: a full-scale sine gives about 0.5 x 0.375 (the Hann window's power).
    const double norm = 2.0 / (static_cast<double>(size_) * size_);
    const double now = seconds();

    std::array<double, audioBandCount> energies{};
    for (int b = 0; b < audioBandCount; ++b) {
        const auto [first, last] = bins_[static_cast<std::size_t>(b)];
        for (int k = first; k < last; ++k) {
            const kiss_fft_cpx c = fft_->out[static_cast<std::size_t>(k)];
            energies[static_cast<std::size_t>(b)] += static_cast<double>(c.r) * c.r + static_cast<double>(c.i) * c.i;
        }
        energies[static_cast<std::size_t>(b)] *= norm;
    }
    const double loudest = *std::max_element(energies.begin(), energies.end());

    for (int b = 0; b < audioBandCount; ++b) {
        const double energy = energies[static_cast<std::size_t>(b)];
        double& average = average_[static_cast<std::size_t>(b)];
        double& recent = recent_[static_cast<std::size_t>(b)];
        double& previous = previous_[static_cast<std::size_t>(b)];
        const bool heard = energy > silenceEnergy;
        if (heard) {
            // A plain mean of what was heard until it spans the averaging time, then a moving average: the first
            // beats do not set "usual" alone.
            double& heardFor = heardSeconds_[static_cast<std::size_t>(b)];
            heardFor += dt;
            average += std::max(dt / heardFor, smoothing(dt, averageSeconds)) * (energy - average);
        }

        const double relative = heard && average > 0.0 ? std::sqrt(energy / average) : 0.0;
        const double target = std::min(static_cast<double>(maxLevel), relative * gain);
        float& level = levels_[static_cast<std::size_t>(b)];
        level += static_cast<float>((target > level ? attack : release) * (target - level));

        const double riseDb = 10.0 * std::log10((energy + silenceEnergy) / (recent + silenceEnergy));
        const bool rising = energy > 1.5 * previous;
        if (heard && rising && energy >= onsetShare * loudest && relative >= onsetLoudness && riseDb > onsetRiseDb / sensitivity &&
            now - lastOnset_[static_cast<std::size_t>(b)] >= refractory) {
            lastOnset_[static_cast<std::size_t>(b)] = now;
            if (onsets_.size() < maxPendingOnsets)
                onsets_.push_back({b, now - 0.5 * size_ / rate_, static_cast<float>(std::min(relative, 16.0))});
        }
        recent += shortTerm * (energy - recent);
        previous = energy;
    }
}

std::vector<AudioOnset> AudioAnalysis::takeOnsets()
{
    std::vector<AudioOnset> out;
    out.swap(onsets_);
    return out;
}

} // namespace vornix
