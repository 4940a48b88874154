// Fuzz target: a picture imported as a colour scheme (its middle row; a first byte of 0xFF reads it as JPEG, anything
// else as PNG). Bad bytes must give a message, never a crash or a read past the buffer; an accepted picture must give
// stops that cover 0 to 1 in order.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/studio/ColourImport.h"

using namespace vornix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    const auto scheme = importColourBytes(bytes, size > 0 && data[0] == 0xFF ? "strip.jpg" : "strip.png", error);
    if (scheme ? !checkStops(scheme->stops).empty() : error.empty())
        std::abort();
    return 0;
}
