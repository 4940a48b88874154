#include "app/studio/OwnLibrary.h"

#include <algorithm>

#include "shell/Path.h"

namespace vornix {

namespace {

constexpr const char* PresetFolder = "presets";
constexpr const char* SchemeFolder = "schemes";
constexpr const char* SettingsFile = "settings.toml";

template <class Entry, class Name> void sortByName(std::vector<Entry>& entries, Name name)
{
    std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) { return name(a) < name(b); });
}

// The entry whose name is `name`, or end.
template <class Entry, class Name> auto findNamed(std::vector<Entry>& entries, const std::string& name, Name nameOf)
{
    return std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return nameOf(e) == name; });
}

const std::string& presetName(const OwnPresetFile& e) { return e.preset.values.name; }
const std::string& schemeName(const OwnSchemeFile& e) { return e.scheme.name; }

} // namespace

OwnLibrary::OwnLibrary(SettingsFolder folder) : folder_(std::move(folder)) {}

std::vector<std::string> OwnLibrary::reload()
{
    std::vector<std::string> messages;
    presets_.clear();
    schemes_.clear();
    for (const char* sub : {PresetFolder, SchemeFolder}) {
        std::string error;
        const auto files = folder_.list(sub, error);
        if (!error.empty())
            messages.push_back(error);
        for (const std::string& name : files) {
            const std::string file = std::string(sub) + "/" + name;
            const TomlDocument doc = folder_.read(file);
            std::string why = doc.error;
            if (doc && sub == std::string(PresetFolder)) {
                if (auto preset = presetFromDocument(doc.table, why)) {
                    if (findPreset(preset->values.name))
                        why = "a preset named \"" + preset->values.name + "\" is already loaded from another file";
                    else
                        presets_.push_back({file, std::move(*preset)});
                }
            } else if (doc) {
                if (auto scheme = schemeFromDocument(doc.table, why)) {
                    if (findScheme(scheme->name))
                        why = "a colour scheme named \"" + scheme->name + "\" is already loaded from another file";
                    else
                        schemes_.push_back({file, std::move(*scheme)});
                }
            }
            if (!why.empty()) {
                const std::string path = folder_.pathOf(file);
                messages.push_back("Skipped " + path + ": " +
                                   (why.rfind(path + ": ", 0) == 0 ? why.substr(path.size() + 2) : why));
            }
        }
    }
    sortByName(presets_, presetName);
    sortByName(schemes_, schemeName);
    return messages;
}

const OwnPresetFile* OwnLibrary::findPreset(const std::string& name) const
{
    for (const auto& e : presets_)
        if (presetName(e) == name)
            return &e;
    return nullptr;
}

const OwnSchemeFile* OwnLibrary::findScheme(const std::string& name) const
{
    for (const auto& e : schemes_)
        if (schemeName(e) == name)
            return &e;
    return nullptr;
}

std::string OwnLibrary::fileFor(const std::string& sub, const std::string& name, const std::string& keep) const
{
    // A file whose stem differs from another's only in case is the same file on Windows: compare without case.
    const std::string stem = safeFileStem(name);
    for (int n = 1;; ++n) {
        std::string file = sub + "/" + stem;
        if (n > 1)
            file.append(" ").append(std::to_string(n));
        file += ".toml";
        if (toLowerAscii(file) == toLowerAscii(keep))
            return file;
        bool taken = folder_.exists(file);
        for (const auto& e : presets_)
            taken = taken || toLowerAscii(e.file) == toLowerAscii(file);
        for (const auto& e : schemes_)
            taken = taken || toLowerAscii(e.file) == toLowerAscii(file);
        if (!taken)
            return file;
    }
}

std::string OwnLibrary::savePreset(const OwnPreset& preset)
{
    if (const std::string why = checkName(preset.values.name); !why.empty())
        return "The name " + why + ".";
    const auto existing = findNamed(presets_, preset.values.name, presetName);
    const std::string file = fileFor(PresetFolder, preset.values.name, existing != presets_.end() ? existing->file : "");
    if (std::string why = folder_.write(file, presetDocument(preset)); !why.empty())
        return why;
    if (existing != presets_.end())
        *existing = {file, preset};
    else
        presets_.push_back({file, preset});
    sortByName(presets_, presetName);
    return {};
}

std::string OwnLibrary::renamePreset(const std::string& from, const std::string& to)
{
    if (const std::string why = checkName(to); !why.empty())
        return "The name " + why + ".";
    const auto it = findNamed(presets_, from, presetName);
    if (it == presets_.end())
        return "There is no preset named \"" + from + "\".";
    if (from == to)
        return {};
    if (findPreset(to))
        return "A preset named \"" + to + "\" exists already.";
    OwnPresetFile renamed = *it;
    renamed.preset.values.name = to;
    renamed.file = fileFor(PresetFolder, to, it->file);
    // The new file is complete before the old one goes: a failure in between leaves both, never neither.
    if (std::string why = folder_.write(renamed.file, presetDocument(renamed.preset)); !why.empty())
        return why;
    const bool wasStart = startPresetFile() == it->file;
    if (renamed.file != it->file)
        if (std::string why = folder_.remove(it->file); !why.empty())
            return why;
    *it = renamed;
    sortByName(presets_, presetName);
    if (wasStart)
        return setStartPresetFile(renamed.file);
    return {};
}

std::string OwnLibrary::deletePreset(const std::string& name)
{
    const auto it = findNamed(presets_, name, presetName);
    if (it == presets_.end())
        return "There is no preset named \"" + name + "\".";
    if (std::string why = folder_.remove(it->file); !why.empty())
        return why;
    const bool wasStart = startPresetFile() == it->file;
    presets_.erase(it);
    return wasStart ? setStartPresetFile(std::nullopt) : std::string();
}

std::string OwnLibrary::saveScheme(const OwnScheme& scheme)
{
    if (const std::string why = checkName(scheme.name); !why.empty())
        return "The name " + why + ".";
    if (const std::string why = checkStops(scheme.stops); !why.empty())
        return "The colour scheme cannot be saved: " + why + ".";
    const auto existing = findNamed(schemes_, scheme.name, schemeName);
    const std::string file = fileFor(SchemeFolder, scheme.name, existing != schemes_.end() ? existing->file : "");
    if (std::string why = folder_.write(file, schemeDocument(scheme)); !why.empty())
        return why;
    if (existing != schemes_.end())
        *existing = {file, scheme};
    else
        schemes_.push_back({file, scheme});
    sortByName(schemes_, schemeName);
    return {};
}

std::string OwnLibrary::deleteScheme(const std::string& name)
{
    const auto it = findNamed(schemes_, name, schemeName);
    if (it == schemes_.end())
        return "There is no colour scheme named \"" + name + "\".";
    if (std::string why = folder_.remove(it->file); !why.empty())
        return why;
    schemes_.erase(it);
    return {};
}

std::optional<std::string> OwnLibrary::startPresetFile() const
{
    const TomlDocument doc = folder_.read(SettingsFile);
    if (!doc)
        return std::nullopt;
    // Only a file directly in presets/ is taken: the setting is text a user may edit.
    const auto file = doc.table["start_preset"].value<std::string>();
    const std::string prefix = std::string(PresetFolder) + "/";
    if (!file || file->rfind(prefix, 0) != 0 || file->size() == prefix.size())
        return std::nullopt;
    const std::string name = file->substr(prefix.size());
    if (name.find_first_of("/\\:") != std::string::npos || name == "." || name == "..")
        return std::nullopt;
    return *file;
}

std::string OwnLibrary::setStartPresetFile(const std::optional<std::string>& file)
{
    TomlDocument doc = folder_.read(SettingsFile);
    if (!doc && !doc.missing)
        return "The settings cannot be changed: " + doc.error;
    if (!doc.table.contains("format"))
        doc.table.insert("format", OwnFormat);
    if (file)
        doc.table.insert_or_assign("start_preset", *file);
    else
        doc.table.erase("start_preset");
    return folder_.write(SettingsFile, doc.table);
}

std::optional<OwnPreset> OwnLibrary::readPreset(const std::string& file, std::string& error) const
{
    const TomlDocument doc = folder_.read(file);
    if (!doc) {
        error = doc.error;
        return std::nullopt;
    }
    auto preset = presetFromDocument(doc.table, error);
    if (!preset)
        error = folder_.pathOf(file) + ": " + error;
    return preset;
}

} // namespace vornix
