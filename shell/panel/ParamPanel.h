// ParamPanel: one floating panel of named entries that edit the application's variables in place (bool, float,
// 32-bit integer, enumerations stored as the item's 0-based position), plus buttons and separators. Each entry takes
// a definition string ("key=r help='...' precision=2 min=0 max=100 step=1"); a part the panel does not understand
// is reported once on the console and ignored.
//
// Input: the panel manager (PanelManager.h) must be installed into the application's event callback lists once;
// from then on it sees mouse and key events ahead of the application. Pointer events over a visible panel are the
// panel's. Shortcut keys act even while the panel is hidden: the application's own keys do the same things, and
// a key the panel acts on never reaches the application, so a press acts exactly once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/Color.h"

namespace vornix {

class PanelBar;
class PanelManager;

struct PanelSize {
    int width = 0, height = 0;
};

// Components 0..1.
struct PanelColor {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

// A rectangle in window pixels (origin top-left, y down).
struct PanelRect {
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
    bool contains(float px, float py) const { return px >= x && py >= y && px < x + width && py < y + height; }
    float centerX() const { return x + width / 2; }
    float centerY() const { return y + height / 2; }
};

// The panel's own definition string: "`title` size='w h' color='r g b' alpha=a", each colour component times 255
// truncated toward zero.
std::string panelBarDefinition(const std::string& title, PanelSize size, PanelColor color);

// What a gradient entry edits: stops sorted by position, the first at 0 and the last at 1 (those two keep their
// places), and the selected stop (-1: none).
struct PanelGradient {
    std::vector<ColorStop> stops;
    int selected = -1;
};

class ParamPanel {
public:
    // Creates the panel (visible) and, with the first panel, the panel manager.
    ParamPanel(const std::string& title, PanelSize size, PanelColor color);

    void addParam(const std::string& label, bool* variable, const std::string& definition = "", bool readOnly = false);
    void addParam(const std::string& label, float* variable, const std::string& definition = "", bool readOnly = false);
    void addParam(const std::string& label, std::int32_t* variable, const std::string& definition = "",
                  bool readOnly = false);
    void addEnumParam(const std::string& label, const std::vector<std::string>& items, std::int32_t* variable,
                      const std::string& definition = "", bool readOnly = false);
    // The panel keeps the callback for its own lifetime. An empty callback is reported and the button does nothing.
    // A click runs the callback between frames (BetweenFrames.h), a shortcut key at once, from the key's event.
    void addButton(const std::string& label, std::function<void()> callback, const std::string& definition = "");
    void addSeparator(const std::string& name = "", const std::string& definition = "");
    // A line of text the program keeps up to date (read every frame): the label on the left, the text on the right,
    // or the text across the panel when the label is empty. Long text wraps.
    void addText(const std::string& label, std::function<std::string()> text, const std::string& definition = "");
    // A one-line text field editing `variable` (UTF-8) in place; keys typed into it are the field's.
    void addTextInput(const std::string& label, std::string* variable, const std::string& definition = "");
    // A bar filled in proportion to *value / maximum (clamped to 0..1), for levels the program measures.
    void addMeter(const std::string& label, const float* value, float maximum = 1.0f,
                  const std::string& definition = "");
    // A colour swatch; a click opens a colour picker editing rgb[0..2] (components 0..1) in place.
    void addColor(const std::string& label, float* rgb, const std::string& definition = "");
    // A gradient editor across the panel: the gradient as a bar, its stops as handles below it. A click on the bar adds
    // a stop there (in the colour the bar has there), a click on a handle selects it, dragging moves it (not the
    // first or last), and a swatch below recolours the selected stop.
    void addGradient(PanelGradient* gradient, const std::string& definition = "");

    // Changes the items of the first enumeration with this label (its value is kept; a value outside the new list
    // shows as its number until it is set again).
    void setItems(const std::string& label, std::vector<std::string> items);
    // Changes the label of the first entry with this label (a button's caption, say).
    void setLabel(const std::string& label, const std::string& newLabel);
    // The panel's size in window pixels (the user may resize it afterwards).
    void resize(PanelSize size);

    // Where the panel's top-left corner belongs, in window pixels (by default it is offset by its creation order).
    void place(float x, float y);

    bool isVisible() const;
    void show(bool visible = true);
    void hide();

    // Where the panel, and the value of the first entry with this label, were drawn in the last frame.
    std::optional<PanelRect> rect() const;
    std::optional<PanelRect> entryRect(const std::string& label) const;
    // The help text of the first entry with this label (empty when it has none); nothing when no entry has the label.
    std::optional<std::string> entryHelp(const std::string& label) const;

private:
    std::shared_ptr<PanelManager> manager_;
    std::shared_ptr<PanelBar> bar_;
};

// Draws every visible panel once, over whatever is in the current framebuffer. Needs the GL context current.
void drawPanels();

} // namespace vornix
