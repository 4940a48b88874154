#include "app/studio/OwnStudio.h"

#include <algorithm>

#include "app/studio/ColourImport.h"
#include "shell/Console.h"
#include "shell/Path.h"
#include "shell/platform/FileReplace.h"

namespace vornix {

namespace {

constexpr int EditorWidth = 352, EditorHeight = 172;
constexpr const char* PresetList = "Own Preset";
constexpr const char* SchemeList = "Own Scheme";

template <class Entry, class Name> std::vector<std::string> listItems(const std::vector<Entry>& entries, Name name)
{
    std::vector<std::string> items{"(none)"};
    for (const auto& e : entries)
        items.push_back(name(e));
    return items;
}

// Position + 1 of the entry named `name` in the list (0: none).
template <class Entry, class Name> int listIndex(const std::vector<Entry>& entries, const std::string& wanted, Name name)
{
    for (std::size_t k = 0; k < entries.size(); ++k)
        if (name(entries[k]) == wanted)
            return static_cast<int>(k) + 1;
    return 0;
}

const std::string& presetName(const OwnPresetFile& e) { return e.preset.values.name; }
const std::string& schemeName(const OwnSchemeFile& e) { return e.scheme.name; }

} // namespace

struct OwnStudio::Impl {
    Impl(FluidScene& s, StudioServices services_, SettingsFolder folder)
        : scene(s), services(std::move(services_)), library(std::move(folder))
    {
    }

    FluidScene& scene;
    StudioServices services;
    OwnLibrary library;
    ParamPanel* studio = nullptr;
    std::unique_ptr<ParamPanel> editor;
    std::string status;

    std::int32_t presetChoice = 0, presetApplied = 0;   // 0: none, k: library.presets()[k - 1]
    std::string nameField = "My Preset";
    bool startWith = false, startWithShown = false;
    std::optional<std::string> startFile;

    std::int32_t schemeChoice = 0, schemeApplied = 0;   // 0: none, k: library.schemes()[k - 1]
    std::string shownScheme;                            // the own scheme the fluid shows, when it shows one

    PanelGradient editing;
    std::vector<ColorStop> editorShown;   // the editor's stops the fluid shows
    std::string editorName = "My Colours";
    unsigned seenRevision = 0;

    // The status line has room for one line: where a file went (`detail`) is said on the console only.
    void report(const std::string& text, const std::string& detail = {})
    {
        status = text;
        console() << text << detail << std::endl;
    }
    void fail(const std::string& text)
    {
        report(text);
        if (services.showFailure)
            services.showFailure(text);
    }
    bool confirm(const std::string& question)
    {
        const auto answer = services.askYesNo ? services.askYesNo(question) : std::nullopt;
        return answer && *answer;
    }

    const OwnPresetFile* chosenPreset() const
    {
        const auto& presets = library.presets();
        return presetChoice > 0 && presetChoice <= static_cast<int>(presets.size()) ? &presets[presetChoice - 1]
                                                                                    : nullptr;
    }

    void refreshLists(const std::string& preset, const std::string& scheme)
    {
        studio->setItems(PresetList, listItems(library.presets(), presetName));
        studio->setItems(SchemeList, listItems(library.schemes(), schemeName));
        presetChoice = presetApplied = listIndex(library.presets(), preset, presetName);
        schemeChoice = schemeApplied = listIndex(library.schemes(), scheme, schemeName);
    }
    void refreshLists()
    {
        const OwnPresetFile* p = chosenPreset();
        const std::string scheme = schemeChoice > 0 && schemeChoice <= static_cast<int>(library.schemes().size())
                                       ? library.schemes()[schemeChoice - 1].scheme.name
                                       : std::string();
        refreshLists(p ? p->preset.values.name : std::string(), scheme);
    }

    void showScheme(const std::string& name, const std::vector<ColorStop>& stops)
    {
        scene.gradient.setStops(stops);
        shownScheme = name;
    }

    void applyOwn(const OwnPreset& preset)
    {
        services.applyPreset(preset.values);
        if (preset.scheme) {
            showScheme(preset.scheme->name, preset.scheme->stops);
            // The scheme list shows it when the library holds the same scheme.
            const OwnSchemeFile* kept = library.findScheme(preset.scheme->name);
            const bool same = kept && kept->scheme.stops == preset.scheme->stops;
            schemeChoice = schemeApplied = same ? listIndex(library.schemes(), kept->scheme.name, schemeName) : 0;
        }
        nameField = preset.values.name;
    }

    // ---- presets ----------------------------------------------------------------------------------------------
    void savePreset()
    {
        OwnPreset preset{scene.current, std::nullopt};
        preset.values.name = nameField;
        const Preset before = preset.values;
        clampToPanelRanges(preset.values);
        // A scheme without a usable name (an editor's emptied field) is named after the preset, so the file reads back.
        if (scene.gradient.ownStops)
            preset.scheme = OwnScheme{checkName(shownScheme).empty() ? shownScheme : nameField + " colours",
                                      scene.gradient.gradient.stops()};
        if (library.findPreset(nameField) &&
            !confirm("A preset named \"" + nameField + "\" exists already.\nDo you want to replace it?"))
            return;
        if (const std::string why = library.savePreset(preset); !why.empty()) {
            fail("The preset could not be saved: " + why);
            return;
        }
        // What was saved is what runs: it becomes the selected preset (the defaults take its values), unapplied.
        scene.studioPreset = preset.values;
        scene.current.name = nameField;
        refreshLists(nameField, shownScheme);
        const bool clamped = before.brushSizeDensity != preset.values.brushSizeDensity ||
                             before.brushSizeVelocity != preset.values.brushSizeVelocity;
        report("Saved the preset \"" + nameField + "\"" + (clamped ? " (brush sizes brought into 1 to 100)" : ""),
               " in " + library.folder().pathOf(library.findPreset(nameField)->file));
    }

    void renamePreset()
    {
        const OwnPresetFile* chosen = chosenPreset();
        if (!chosen) {
            fail("Choose an own preset to rename, and type its new name into \"Name\".");
            return;
        }
        const std::string from = chosen->preset.values.name;
        if (const std::string why = library.renamePreset(from, nameField); !why.empty()) {
            fail("The preset could not be renamed: " + why);
            return;
        }
        if (scene.studioPreset && scene.studioPreset->name == from)
            scene.studioPreset->name = scene.current.name = nameField;
        startFile = library.startPresetFile();
        refreshLists(nameField, shownScheme);
        report("Renamed the preset \"" + from + "\" to \"" + nameField + "\"");
    }

    void deletePreset()
    {
        const OwnPresetFile* chosen = chosenPreset();
        if (!chosen) {
            fail("Choose an own preset to delete.");
            return;
        }
        const std::string name = chosen->preset.values.name;
        if (!confirm("Delete the preset \"" + name + "\"?\nIts file is removed."))
            return;
        if (const std::string why = library.deletePreset(name); !why.empty()) {
            fail("The preset could not be deleted: " + why);
            return;
        }
        startFile = library.startPresetFile();
        refreshLists({}, shownScheme);
        report("Deleted the preset \"" + name + "\"");
    }

    void exportPreset()
    {
        const OwnPresetFile* chosen = chosenPreset();
        if (!chosen) {
            fail("Choose an own preset to export (save the settings as one first).");
            return;
        }
        const OwnPreset preset = chosen->preset;
        const auto path = services.askExportPath(safeFileStem(preset.values.name) + ".toml");
        if (!path) {
            fail("The save dialog could not be shown, so the preset is not exported.");
            return;
        }
        if (path->empty())
            return;
        const std::string text = tomlText(presetDocument(preset));
        if (const std::string why = replaceFileContents(*path, text.data(), text.size()); !why.empty()) {
            fail("The preset could not be exported: " + why);
            return;
        }
        report("Exported the preset \"" + preset.values.name + "\"", " to " + *path);
    }

    void updatePresets()
    {
        if (presetChoice != presetApplied) {
            presetApplied = presetChoice;
            if (const OwnPresetFile* chosen = chosenPreset()) {
                const OwnPreset preset = chosen->preset;
                applyOwn(preset);
                report("Applied the preset \"" + preset.values.name + "\"");
            }
        }
        // A built-in preset chosen in the parameter panel leaves the own one.
        if (!scene.studioPreset)
            presetChoice = presetApplied = 0;
        const OwnPresetFile* chosen = chosenPreset();
        if (startWith != startWithShown) {
            if (!chosen) {
                fail("Choose an own preset to start with.");
            } else if (const std::string why = library.setStartPresetFile(startWith ? std::optional(chosen->file)
                                                                                     : std::nullopt);
                       !why.empty()) {
                fail("The choice could not be saved: " + why);
            } else {
                report(startWith ? "vornix will start with \"" + chosen->preset.values.name + "\""
                                 : "vornix will start as usual");
            }
            startFile = library.startPresetFile();
        }
        startWith = startWithShown = chosen && startFile == chosen->file;
    }

    // ---- schemes and the editor ---------------------------------------------------------------------------------
    void updateSchemes()
    {
        if (schemeChoice != schemeApplied) {
            schemeApplied = schemeChoice;
            if (schemeChoice > 0 && schemeChoice <= static_cast<int>(library.schemes().size())) {
                const OwnScheme scheme = library.schemes()[schemeChoice - 1].scheme;
                showScheme(scheme.name, scheme.stops);
                report("Showing the colour scheme \"" + scheme.name + "\"");
            } else if (scene.gradient.ownStops) {
                scene.setColorScheme(scene.current.colorScheme);   // back to the parameter panel's scheme
            }
        }
        // A fixed scheme (keys 1 to 8, the parameter panel) leaves the own one.
        if (!scene.gradient.ownStops)
            schemeChoice = schemeApplied = 0;
    }

    void loadEditor()
    {
        editing.stops = scene.gradient.gradient.stops();
        if (editing.stops.size() < 2 || !checkStops(editing.stops).empty()) {
            // A gradient always covers 0 to 1 in the editor: its ends are pinned there.
            std::vector<ColorStop> pinned = editing.stops;
            if (pinned.empty())
                pinned = {{0, 0, 0, 0, 1}, {1, 1, 1, 1, 1}};
            pinned.front().position = 0.0f;
            if (pinned.size() < 2)
                pinned.push_back(pinned.front());
            pinned.back().position = 1.0f;
            editing.stops = pinned;
        }
        editing.selected = -1;
        editorShown = editing.stops;   // opening the editor changes nothing; its first edit does
        if (scene.gradient.ownStops)
            editorName = shownScheme;
        seenRevision = scene.gradient.revision;
    }

    void updateEditor()
    {
        if (!editor || !editor->isVisible())
            return;
        if (scene.gradient.revision != seenRevision) {   // chosen elsewhere: a key, a preset, the lists
            loadEditor();
            return;
        }
        if (editing.stops != editorShown) {   // live: every change shows at once
            showScheme(editorName, editing.stops);
            editorShown = editing.stops;
            seenRevision = scene.gradient.revision;
        }
    }

    void deleteStop()
    {
        if (!editor || !editor->isVisible())
            return;
        const int last = static_cast<int>(editing.stops.size()) - 1;
        if (editing.selected <= 0 || editing.selected >= last) {
            report(editing.selected < 0 ? "Choose a stop to delete (click its handle)."
                                        : "The first and last stops stay at the ends; give them another colour instead.");
            return;
        }
        editing.stops.erase(editing.stops.begin() + editing.selected);
        editing.selected = -1;
    }

    void saveScheme()
    {
        const OwnScheme scheme{editorName, editing.stops};
        const OwnSchemeFile* existing = library.findScheme(editorName);
        if (existing && existing->scheme.stops != scheme.stops &&
            !confirm("A colour scheme named \"" + editorName + "\" exists already.\nDo you want to replace it?"))
            return;
        if (const std::string why = library.saveScheme(scheme); !why.empty()) {
            fail("The colour scheme could not be saved: " + why);
            return;
        }
        showScheme(scheme.name, scheme.stops);
        editorShown = editing.stops;
        seenRevision = scene.gradient.revision;
        refreshLists(chosenPreset() ? chosenPreset()->preset.values.name : std::string(), scheme.name);
        report("Saved the colour scheme \"" + scheme.name + "\"",
               " in " + library.folder().pathOf(library.findScheme(scheme.name)->file));
    }

    void deleteScheme()
    {
        if (!library.findScheme(editorName)) {
            fail("There is no own colour scheme named \"" + editorName + "\" to delete.");
            return;
        }
        if (!confirm("Delete the colour scheme \"" + editorName + "\"?\nIts file is removed."))
            return;
        if (const std::string why = library.deleteScheme(editorName); !why.empty()) {
            fail("The colour scheme could not be deleted: " + why);
            return;
        }
        refreshLists();
        report("Deleted the colour scheme \"" + editorName + "\"");
    }

    // ---- opening files ------------------------------------------------------------------------------------------
    struct Opened {
        std::optional<OwnPreset> preset;
        std::optional<OwnScheme> scheme;
    };

    std::optional<Opened> read(const std::string& path, std::string& error)
    {
        Opened opened;
        if (toLowerAscii(pathExtension(path)) == "toml") {
            const TomlDocument doc = readTomlFile(path, path);
            if (!doc) {
                error = "Cannot import " + doc.error;
                return std::nullopt;
            }
            std::string why;
            if (isSchemeDocument(doc.table))
                opened.scheme = schemeFromDocument(doc.table, why);
            else
                opened.preset = presetFromDocument(doc.table, why);
            if (!why.empty()) {
                error = "Cannot import " + path + ": " + why;
                return std::nullopt;
            }
            return opened;
        }
        if (!isColourFile(path)) {
            error = "Cannot open " + path + ": vornix opens presets and colour schemes (.toml), GIMP gradients (.ggr) "
                    "and palettes (.gpl), and pictures whose middle row is a gradient (.png, .jpg)";
            return std::nullopt;
        }
        opened.scheme = importColourFile(path, error);
        if (!opened.scheme)
            return std::nullopt;
        return opened;
    }

    // Keeps an imported preset or scheme; false when the user kept the one of the same name.
    bool keep(const Opened& opened, const std::string& path)
    {
        std::string why;
        if (opened.preset) {
            const std::string& name = opened.preset->values.name;
            const OwnPresetFile* existing = library.findPreset(name);
            if (existing && tomlText(presetDocument(existing->preset)) != tomlText(presetDocument(*opened.preset)) &&
                !confirm("A preset named \"" + name + "\" exists already.\nDo you want to replace it with the one in " +
                         fileName(path) + "?"))
                return false;
            why = library.savePreset(*opened.preset);
        } else {
            const std::string& name = opened.scheme->name;
            const OwnSchemeFile* existing = library.findScheme(name);
            if (existing && existing->scheme.stops != opened.scheme->stops &&
                !confirm("A colour scheme named \"" + name + "\" exists already.\nDo you want to replace it with the "
                         "one in " + fileName(path) + "?"))
                return false;
            why = library.saveScheme(*opened.scheme);
        }
        if (!why.empty()) {
            fail("Could not keep what " + path + " holds: " + why);
            return false;
        }
        return true;
    }

    void openFiles(const std::vector<std::string>& paths)
    {
        std::optional<Opened> last;
        for (const std::string& path : paths) {
            std::string error;
            auto opened = read(path, error);
            if (!opened) {
                fail(error);
                continue;
            }
            if (keep(*opened, path))
                last = std::move(opened);
        }
        if (!last)
            return;
        if (last->preset) {
            applyOwn(*last->preset);
            refreshLists(last->preset->values.name, scene.gradient.ownStops ? shownScheme : std::string());
            report("Imported and applied the preset \"" + last->preset->values.name + "\"");
        } else {
            showScheme(last->scheme->name, last->scheme->stops);
            refreshLists(chosenPreset() ? chosenPreset()->preset.values.name : std::string(), last->scheme->name);
            report("Imported the colour scheme \"" + last->scheme->name + "\" (" +
                   std::to_string(last->scheme->stops.size()) + " stops)");
        }
    }
};

OwnStudio::OwnStudio(FluidScene& scene, StudioServices services, SettingsFolder folder)
    : impl_(std::make_unique<Impl>(scene, std::move(services), std::move(folder)))
{
}

OwnStudio::~OwnStudio() = default;

int OwnStudio::setup(ParamPanel& studio)
{
    Impl& m = *impl_;
    m.studio = &studio;
    for (const std::string& message : m.library.reload())
        m.report(message);
    m.startFile = m.library.startPresetFile();

    studio.addSeparator("Own Presets and Colours");
    studio.addEnumParam(PresetList, listItems(m.library.presets(), presetName), &m.presetChoice,
                        "help='Your own presets, kept in the settings folder. Choosing one applies it.'");
    studio.addTextInput("Name", &m.nameField, "help='The name to save or rename a preset as.'");
    studio.addButton("Save Preset", [&m] { m.savePreset(); },
                     "help='Keep the current settings (and own colours) as an own preset named as above.'");
    studio.addButton("Rename", [&m] { m.renamePreset(); }, "sameline=true help='Give the chosen preset the name above.'");
    studio.addButton("Delete", [&m] { m.deletePreset(); }, "help='Remove the chosen preset (asks first).'");
    studio.addButton("Export...", [&m] { m.exportPreset(); },
                     "sameline=true help='Save the chosen preset to a file of your choice, to share it.'");
    studio.addParam("Start With It", &m.startWith, "help='Apply the chosen preset whenever vornix starts.'");
    studio.addEnumParam(SchemeList, listItems(m.library.schemes(), schemeName), &m.schemeChoice,
                        "help='Your own colour schemes. Choosing one shows it; keys 1 to 8 go back to the fixed ones.'");
    studio.addButton("Edit Colours...", [this] { toggleEditor(); },
                     "key=e help='The gradient editor: click the bar to add a stop, drag a handle to move it, Delete "
                     "removes the chosen stop. The fluid shows every change at once.'");
    studio.addButton("Open File...", [this] { openWithDialog(); },
                     "sameline=true key=o help='Import a preset or colour scheme (.toml), a GIMP gradient (.ggr) or "
                     "palette (.gpl), or a picture whose middle row is a gradient (.png, .jpg). Files dropped on the "
                     "window too.'");
    studio.addText("", [&m] { return m.status; });

    m.editor = std::make_unique<ParamPanel>("Gradient Editor", PanelSize{EditorWidth, EditorHeight},
                                            PanelColor{0.25f, 0.3f, 0.35f, 0.8f});
    m.editor->place(16.0f, 600.0f - EditorHeight - 16.0f);
    m.editor->addGradient(&m.editing);
    m.editor->addTextInput("Name", &m.editorName, "help='The name to save the colour scheme as.'");
    m.editor->addButton("Delete Stop", [&m] { m.deleteStop(); }, "key=DEL help='Remove the chosen stop.'");
    m.editor->addButton("Save Scheme", [&m] { m.saveScheme(); },
                        "help='Keep these colours as an own colour scheme named as above.'");
    m.editor->addButton("Delete Scheme", [&m] { m.deleteScheme(); },
                        "help='Remove the own colour scheme named as above (asks first).'");
    m.editor->addButton("Close", [this] { toggleEditor(); });
    m.editor->hide();
    // A named separator, seven rows and a one-line status, as measured.
    return 179;
}

void OwnStudio::applyStartPreset()
{
    Impl& m = *impl_;
    const auto file = m.library.startPresetFile();
    if (!file)
        return;
    for (const auto& entry : m.library.presets())
        if (entry.file == *file) {
            const OwnPreset preset = entry.preset;
            m.applyOwn(preset);
            m.refreshLists(preset.values.name, m.scene.gradient.ownStops ? m.shownScheme : std::string());
            m.report("Started with the preset \"" + preset.values.name + "\"");
            return;
        }
    std::string why;
    if (!m.library.readPreset(*file, why))
        m.fail("The preset to start with cannot be used (" + why + "); vornix starts as usual.");
}

void OwnStudio::update()
{
    impl_->updatePresets();
    impl_->updateSchemes();
    impl_->updateEditor();
}

void OwnStudio::openFiles(const std::vector<std::string>& paths) { impl_->openFiles(paths); }

void OwnStudio::openWithDialog()
{
    Impl& m = *impl_;
    const auto path = m.services.askOpenPath ? m.services.askOpenPath() : std::nullopt;
    if (!path) {
        m.fail("The open dialog could not be shown, so no file is opened.");
        return;
    }
    if (!path->empty())
        m.openFiles({*path});
}

void OwnStudio::toggleEditor()
{
    Impl& m = *impl_;
    if (!m.editor)
        return;
    const bool show = !m.editor->isVisible();
    if (show)
        m.loadEditor();
    m.editor->show(show);
}

void OwnStudio::applyPreset(const std::string& name)
{
    impl_->presetChoice = listIndex(impl_->library.presets(), name, presetName);
    impl_->updatePresets();
}

void OwnStudio::savePreset(const std::string& name)
{
    impl_->nameField = name;
    impl_->savePreset();
}

void OwnStudio::exportPreset(const std::string& name)
{
    impl_->presetChoice = impl_->presetApplied = listIndex(impl_->library.presets(), name, presetName);
    impl_->exportPreset();
}

void OwnStudio::deletePreset(const std::string& name)
{
    impl_->presetChoice = impl_->presetApplied = listIndex(impl_->library.presets(), name, presetName);
    impl_->deletePreset();
}

OwnLibrary& OwnStudio::library() { return impl_->library; }
ParamPanel* OwnStudio::editorPanel() { return impl_->editor.get(); }
bool OwnStudio::editorVisible() const { return impl_->editor && impl_->editor->isVisible(); }
const std::string& OwnStudio::status() const { return impl_->status; }

} // namespace vornix
