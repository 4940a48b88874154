// Fuzz target: the panel's definition-string parser, as an entry and as a panel definition, and the shortcut parser.
// Parsing must never throw, crash or read out of bounds; every value it keeps must be usable.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shell/panel/DefinitionString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (auto target : {vornix::DefinitionTarget::Entry, vornix::DefinitionTarget::Panel}) {
        const vornix::Definition d = vornix::parseDefinition(text, target);
        for (const auto& value : {d.min, d.max, d.step})
            if (value && !std::isfinite(*value))
                std::abort();   // a range bound that is not a number would poison every clamp that uses it
    }
    (void)vornix::parseKeyShortcut(text);
    return 0;
}
