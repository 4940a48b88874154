// OwnStudio: the user's own presets and colour schemes in the Studio panel, the gradient editor (its own panel) and
// opening files (the open dialog, files dropped on the window, files on the command line).
//
// Studio entries, in two groups:
//   "Own Presets": the list (choosing one applies it as a built-in preset is applied), a name field, Save Preset,
//                  Rename Preset, Delete Preset (asks first), Export Preset..., Start With It (the chosen preset is
//                  applied at start)
//   "Own Colours": what the fluid shows, the list of own schemes (choosing one shows it), Gradient Editor... (key e),
//                  Open File... (key o: presets, schemes, .ggr, .gpl, .png/.jpg strips)
// and a status line with the last thing that happened.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/FluidScene.h"
#include "app/studio/OwnLibrary.h"
#include "app/studio/StudioServices.h"
#include "shell/panel/ParamPanel.h"

namespace vornix {

class OwnStudio {
public:
    OwnStudio(FluidScene& scene, StudioServices services, SettingsFolder folder = SettingsFolder::forUser());
    ~OwnStudio();

    // Loads the library (each file that cannot be used: one console line), adds the two groups to `studio`, makes
    // the editor's panel (hidden). Returns the height the entries take, for the Studio panel's size.
    int setup(ParamPanel& studio);
    // The start preset, if the user chose one (a message when it is gone or bad: the usual start then).
    void applyStartPreset();
    // Once per frame: acts on the lists' choices and the editor's changes (the fluid shows them at once).
    void update();

    // Imports each file as a drop does and makes the last one that could be read active. Unreadable files: one
    // message each, nothing changed by them.
    void openFiles(const std::vector<std::string>& paths);
    // The open dialog, then openFiles.
    void openWithDialog();
    void toggleEditor();
    // The Studio's commands on the own preset named `name` (what choosing it in the list and pressing the button
    // does): apply, save the current settings under it, export (through the save dialog), delete (asks first).
    void applyPreset(const std::string& name);
    void savePreset(const std::string& name);
    void exportPreset(const std::string& name);
    void deletePreset(const std::string& name);

    OwnLibrary& library();
    bool editorVisible() const;
    // The editor's panel (hidden while a picture is saved, as the other panels are).
    ParamPanel* editorPanel();
    // The last status line.
    const std::string& status() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace vornix
