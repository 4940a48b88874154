// Samples as a device delivers them (integer PCM of 8 to 32 bits, or 32-bit floats, interleaved) turned into the
// 32-bit floats the analysis takes.
#pragma once

#include <cstddef>
#include <vector>

namespace vornix {

struct PcmFormat {
    int sampleRate = 0;
    int channels = 0;
    int bitsPerSample = 0;   // the container: 8, 16, 24 or 32
    bool isFloat = false;    // 32-bit IEEE floats
    int blockAlign = 0;      // bytes per frame (channels x container bytes)
};

// Whether convertPcm can read this format.
bool readablePcm(const PcmFormat& format);
// `frames` frames at `data` as floats in out (resized to frames x channels); silent: zeros whatever data holds.
// Integer samples are scaled to -1 .. 1. Returns false, leaving out empty, for a format readablePcm refuses.
bool convertPcm(const PcmFormat& format, const void* data, std::size_t frames, bool silent, std::vector<float>& out);

} // namespace vornix
