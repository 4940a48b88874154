// OwnLibrary: the user's own presets and colour schemes in the settings folder (presets/, schemes/, one TOML file
// each) and the choice of a preset to start with (settings.toml). Loading skips each file that cannot be used with
// one message naming it, and leaves it untouched; every write replaces its file atomically; the folders are made on
// the first save only. Names are unique within presets and within schemes (compared exactly); a file's name is
// derived from the name (see safeFileStem) and made unique.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/studio/OwnFiles.h"
#include "shell/settings/SettingsFolder.h"

namespace vornix {

struct OwnPresetFile {
    std::string file;   // "presets/<stem>.toml"
    OwnPreset preset;
};

struct OwnSchemeFile {
    std::string file;   // "schemes/<stem>.toml"
    OwnScheme scheme;
};

class OwnLibrary {
public:
    explicit OwnLibrary(SettingsFolder folder);

    // Reads both folders anew. Returns one message per file skipped (and per folder that cannot be read).
    std::vector<std::string> reload();

    const SettingsFolder& folder() const { return folder_; }
    // Sorted by name.
    const std::vector<OwnPresetFile>& presets() const { return presets_; }
    const std::vector<OwnSchemeFile>& schemes() const { return schemes_; }
    const OwnPresetFile* findPreset(const std::string& name) const;
    const OwnSchemeFile* findScheme(const std::string& name) const;

    // Saves under preset.values.name, replacing a preset of that name. Empty, or why it could not be saved (nothing
    // changed then).
    std::string savePreset(const OwnPreset& preset);
    // Gives the preset named `from` the name `to` (a preset named `to` must not exist); its file follows the name.
    std::string renamePreset(const std::string& from, const std::string& to);
    std::string deletePreset(const std::string& name);
    std::string saveScheme(const OwnScheme& scheme);
    std::string deleteScheme(const std::string& name);

    // The preset to apply at start (settings.toml's start_preset, a file in presets/), if the user chose one.
    std::optional<std::string> startPresetFile() const;
    // Chooses (a file in presets/) or clears the start preset. Other settings in settings.toml are kept.
    std::string setStartPresetFile(const std::optional<std::string>& file);
    // Reads one preset file of the folder (for the start preset, which may have gone bad since).
    std::optional<OwnPreset> readPreset(const std::string& file, std::string& error) const;

private:
    std::string fileFor(const std::string& folder, const std::string& name, const std::string& keep) const;

    SettingsFolder folder_;
    std::vector<OwnPresetFile> presets_;
    std::vector<OwnSchemeFile> schemes_;
};

} // namespace vornix
