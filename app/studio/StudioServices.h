// What the Studio's own presets and schemes ask of the application: its dialogs and messages (the platform's, or a
// test's stand-ins) and applying a preset the way a built-in one is applied.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "app/Preset.h"

namespace vornix {

struct StudioServices {
    // The open dialog: a path, "" when cancelled, nothing when it could not be shown.
    std::function<std::optional<std::string>()> askOpenPath;
    // The save dialog for exporting, starting with `suggestedName`: a path ending in .toml, "" when cancelled, nothing
    // when it could not be shown.
    std::function<std::optional<std::string>(const std::string& suggestedName)> askExportPath;
    // A yes/no question ("No" the default): the answer, nothing when it could not be asked (taken as no).
    std::function<std::optional<bool>(const std::string& question)> askYesNo;
    // A failure the user must see (a message box); the console line is written besides.
    std::function<void(const std::string& text)> showFailure;
    // Makes `preset` the selected preset and applies it exactly as choosing a built-in preset does.
    std::function<void(const Preset& preset)> applyPreset;
};

} // namespace vornix
