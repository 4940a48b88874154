// Fuzz target: the JPEG decoder path the help picture takes (bytes in memory -> libjpeg -> 8-bit surface). Bad bytes
// must end in ImageIoExceptionFailedLoad, never in a crash, a hang or a read past the buffer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "shell/DataSource.h"
#include "shell/image/ImageIoException.h"
#include "shell/image/ImageTargetSurface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An owned copy of exactly `size` bytes, so that any read past the end is caught.
    const auto source = vornix::DataSourceBuffer::create(vornix::Buffer(std::vector<std::uint8_t>(data, data + size)));
    try {
        const vornix::Surface8u surface = vornix::loadSurface(source, "jpg");
        if (!surface)
            std::abort();   // success must mean a picture
    } catch (const vornix::ImageIoException&) {
    }
    return 0;
}
