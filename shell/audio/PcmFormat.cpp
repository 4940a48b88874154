#include "shell/audio/PcmFormat.h"

#include <cstdint>
#include <cstring>

namespace vornix {

bool readablePcm(const PcmFormat& f)
{
    const int bytes = f.bitsPerSample / 8;
    const bool sizeOk = f.isFloat ? f.bitsPerSample == 32 : (bytes >= 1 && bytes <= 4 && f.bitsPerSample % 8 == 0);
    return sizeOk && f.channels > 0 && f.sampleRate > 0 && f.blockAlign >= f.channels * bytes;
}

bool convertPcm(const PcmFormat& f, const void* data, std::size_t frames, bool silent, std::vector<float>& out)
{
    out.clear();
    if (!readablePcm(f))
        return false;
    const std::size_t channels = static_cast<std::size_t>(f.channels);
    out.assign(frames * channels, 0.0f);
    if (silent || !data)
        return true;
    const auto* bytes = static_cast<const unsigned char*>(data);
    const int size = f.bitsPerSample / 8;
    for (std::size_t k = 0; k < frames; ++k) {
        const unsigned char* frame = bytes + k * static_cast<std::size_t>(f.blockAlign);
        for (std::size_t c = 0; c < channels; ++c) {
            const unsigned char* s = frame + c * static_cast<std::size_t>(size);
            float v = 0.0f;
            if (f.isFloat) {
                std::memcpy(&v, s, sizeof v);
            } else if (size == 1) {
                v = (static_cast<float>(s[0]) - 128.0f) / 128.0f;   // 8-bit PCM is unsigned
            } else {
                // Little-endian, signed: the sample in the top bits of a 32-bit value.
                std::uint32_t u = 0;
                for (int b = 0; b < size; ++b)
                    u |= static_cast<std::uint32_t>(s[b]) << (8 * (4 - size + b));
                v = static_cast<float>(static_cast<std::int32_t>(u)) / 2147483648.0f;
            }
            out[k * channels + c] = v;
        }
    }
    return true;
}

} // namespace vornix
