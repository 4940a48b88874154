// The state behind one ParamPanel: its look, its entries and where they were drawn. Shared between the panel's
// handles and the panel manager (which holds it weakly). Internal to the panel bridge.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/Events.h"
#include "shell/panel/DefinitionString.h"
#include "shell/panel/ParamPanel.h"

namespace vornix {

using PanelCallback = std::shared_ptr<const std::function<void()>>;

struct PanelEntry {
    enum class Kind { Bool, Float, Int, Enum, Button, Separator, Text, TextInput, Meter, Color, Gradient };

    Kind kind = Kind::Separator;
    std::string label;
    void* variable = nullptr;
    bool readOnly = false;
    Definition def;
    std::vector<std::string> items;   // enumerations
    PanelCallback callback;           // buttons; null when the callback was empty
    std::function<std::string()> text;   // read-only text lines
    float meterMaximum = 1.0f;           // meters: the value that fills the bar
    std::optional<PanelRect> valueRect;

    // The range and step numeric entries are edited within (defaults where the definition gives none).
    double minimum() const;
    double maximum() const;
    double step() const;
    // Moves a numeric entry by whole steps, clamped to its range.
    void stepBy(int steps) const;
};

// What one frame of drawing found: whether a typed edit is under way, and the buttons pressed (their actions run
// between frames, see BetweenFrames.h).
struct PanelFrameResult {
    bool editing = false;
    std::vector<PanelCallback> pressed;
};

class PanelBar {
public:
    PanelBar(std::string title, int serial);

    std::string title;
    std::string windowId;        // unique per panel, so equal titles do not share one window
    int serial = 0;
    PanelSize size{200, 300};
    std::array<int, 3> color{64, 64, 64};
    int alpha = 200;
    bool visible = true;
    bool sizeChanged = false;   // the program asked for a new size: applied at the next frame
    std::vector<PanelEntry> entries;

    std::optional<PanelRect> rect;        // window, last frame it was drawn
    std::optional<PanelRect> popupRect;   // an open drop-down list
    // Where the panel belongs: the first place, then wherever the user moves it. A window made too small pushes the
    // panel aside (the library keeps it in view); the panel returns here once the window has room again.
    std::optional<std::array<float, 2>> home;
    std::array<float, 2> drawnDisplay{0, 0};   // the display size of the last frame the panel was drawn in
    int steadyFrames = 0;                      // frames drawn since then at that size (counted up to 2)
    float drawnScale = 0.0f;                   // the content scale of the last frame drawn (0 before the first)

    // True when a visible panel covers the point (its resize border included).
    bool covers(float x, float y) const;
    // Acts on the first entry whose shortcut matches: toggles a bool or runs a button. True when one did.
    bool runShortcut(const KeyEvent& event) const;
    // Draws the panel as a window of the current frame. Defined with the drawing code.
    void draw(PanelFrameResult& result);
};

// Draws a gradient entry (PanelGradient.cpp).
void drawGradientEntry(PanelEntry& entry, PanelFrameResult& result);

} // namespace vornix
