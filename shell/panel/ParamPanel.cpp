#include "shell/panel/ParamPanel.h"

#include <cstdio>
#include <utility>

#include "shell/Console.h"
#include "shell/panel/PanelBar.h"
#include "shell/panel/PanelManager.h"

namespace vornix {

namespace {

int component255(float c) { return static_cast<int>(c * 255.0); }

void report(const std::string& panel, const std::string& entry, const std::vector<std::string>& errors)
{
    for (const std::string& error : errors) {
        console() << "Panel \"" << panel << "\"";
        if (!entry.empty())
            console() << ", entry \"" << entry << "\"";
        console() << ": " << error << "; ignored" << std::endl;
    }
}

// Drops the attributes that mean nothing for this kind of entry, with a message for each.
void keepApplicable(Definition& def, PanelEntry::Kind kind)
{
    using Kind = PanelEntry::Kind;
    const bool numeric = kind == Kind::Float || kind == Kind::Int;
    if (def.key && kind != Kind::Bool && kind != Kind::Button) {
        def.errors.push_back("key= works on bool entries and buttons only");
        def.key.reset();
    }
    if (def.precision && kind != Kind::Float) {
        def.errors.push_back("precision= works on float entries only");
        def.precision.reset();
    }
    if (!numeric && (def.min || def.max || def.step)) {
        def.errors.push_back("min=, max= and step= work on numeric entries only");
        def.min.reset();
        def.max.reset();
        def.step.reset();
    }
}

} // namespace

std::string panelBarDefinition(const std::string& title, PanelSize size, PanelColor color)
{
    const char* format = "`%s` size='%d %d' color='%d %d %d' alpha=%d";
    const int length = std::snprintf(nullptr, 0, format, title.c_str(), size.width, size.height,
                                     component255(color.r), component255(color.g), component255(color.b),
                                     component255(color.a));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, title.c_str(), size.width, size.height, component255(color.r),
                  component255(color.g), component255(color.b), component255(color.a));
    text.pop_back();
    return text;
}

ParamPanel::ParamPanel(const std::string& title, PanelSize size, PanelColor color)
    : manager_(PanelManager::instance()), bar_(manager_->createBar(title))
{
    Definition def = parseDefinition(panelBarDefinition(title, size, color), DefinitionTarget::Panel);
    report(title, "", def.errors);
    if (def.size)
        bar_->size = {(*def.size)[0], (*def.size)[1]};
    if (def.color)
        bar_->color = *def.color;
    if (def.alpha)
        bar_->alpha = *def.alpha;
}

namespace {

void addEntry(PanelBar& bar, PanelEntry::Kind kind, const std::string& label, void* variable,
              const std::string& definition, bool readOnly, std::vector<std::string> items = {},
              PanelCallback callback = nullptr)
{
    PanelEntry entry;
    entry.kind = kind;
    entry.label = label;
    entry.variable = variable;
    entry.readOnly = readOnly;
    entry.def = parseDefinition(definition, DefinitionTarget::Entry);
    keepApplicable(entry.def, kind);
    const bool needsVariable = kind != PanelEntry::Kind::Button && kind != PanelEntry::Kind::Separator &&
                               kind != PanelEntry::Kind::Text;
    if (!variable && needsVariable)
        entry.def.errors.push_back("no variable given; the entry is not shown");
    report(bar.title, label, entry.def.errors);
    if (!variable && needsVariable)
        return;
    entry.items = std::move(items);
    entry.callback = std::move(callback);
    bar.entries.push_back(std::move(entry));
}

} // namespace

void ParamPanel::addParam(const std::string& label, bool* variable, const std::string& definition, bool readOnly)
{
    addEntry(*bar_, PanelEntry::Kind::Bool, label, variable, definition, readOnly);
}

void ParamPanel::addParam(const std::string& label, float* variable, const std::string& definition, bool readOnly)
{
    addEntry(*bar_, PanelEntry::Kind::Float, label, variable, definition, readOnly);
}

void ParamPanel::addParam(const std::string& label, std::int32_t* variable, const std::string& definition,
                          bool readOnly)
{
    addEntry(*bar_, PanelEntry::Kind::Int, label, variable, definition, readOnly);
}

void ParamPanel::addEnumParam(const std::string& label, const std::vector<std::string>& items, std::int32_t* variable,
                              const std::string& definition, bool readOnly)
{
    addEntry(*bar_, PanelEntry::Kind::Enum, label, variable, definition, readOnly, items);
}

void ParamPanel::addButton(const std::string& label, std::function<void()> callback, const std::string& definition)
{
    PanelCallback stored;
    if (callback)
        stored = std::make_shared<const std::function<void()>>(std::move(callback));
    else
        report(bar_->title, label, {"the button has no callback and does nothing"});
    addEntry(*bar_, PanelEntry::Kind::Button, label, nullptr, definition, false, {}, std::move(stored));
}

void ParamPanel::addSeparator(const std::string& name, const std::string& definition)
{
    addEntry(*bar_, PanelEntry::Kind::Separator, name, nullptr, definition, false);
}

void ParamPanel::addText(const std::string& label, std::function<std::string()> text, const std::string& definition)
{
    addEntry(*bar_, PanelEntry::Kind::Text, label, nullptr, definition, true);
    bar_->entries.back().text = text ? std::move(text) : [] { return std::string(); };
}

void ParamPanel::addTextInput(const std::string& label, std::string* variable, const std::string& definition)
{
    addEntry(*bar_, PanelEntry::Kind::TextInput, label, variable, definition, false);
}

void ParamPanel::addMeter(const std::string& label, const float* value, float maximum, const std::string& definition)
{
    const std::size_t before = bar_->entries.size();
    addEntry(*bar_, PanelEntry::Kind::Meter, label, const_cast<float*>(value), definition, true);
    if (bar_->entries.size() > before)
        bar_->entries.back().meterMaximum = maximum > 0.0f ? maximum : 1.0f;
}

void ParamPanel::addColor(const std::string& label, float* rgb, const std::string& definition)
{
    addEntry(*bar_, PanelEntry::Kind::Color, label, rgb, definition, false);
}

void ParamPanel::addGradient(PanelGradient* gradient, const std::string& definition)
{
    addEntry(*bar_, PanelEntry::Kind::Gradient, "", gradient, definition, false);
}

void ParamPanel::setItems(const std::string& label, std::vector<std::string> items)
{
    for (PanelEntry& entry : bar_->entries)
        if (entry.kind == PanelEntry::Kind::Enum && entry.label == label) {
            entry.items = std::move(items);
            return;
        }
}

void ParamPanel::setLabel(const std::string& label, const std::string& newLabel)
{
    for (PanelEntry& entry : bar_->entries)
        if (entry.label == label) {
            entry.label = newLabel;
            return;
        }
}

void ParamPanel::resize(PanelSize size)
{
    bar_->size = size;
    bar_->sizeChanged = true;
}

void ParamPanel::place(float x, float y) { bar_->home = std::array<float, 2>{x, y}; }

bool ParamPanel::isVisible() const { return bar_->visible; }
void ParamPanel::show(bool visible)
{
    if (!visible && bar_->visible)
        manager_->settle();
    bar_->visible = visible;
}

void ParamPanel::hide() { show(false); }

std::optional<PanelRect> ParamPanel::rect() const { return bar_->rect; }

std::optional<PanelRect> ParamPanel::entryRect(const std::string& label) const
{
    for (const PanelEntry& entry : bar_->entries)
        if (entry.label == label)
            return entry.valueRect;
    return std::nullopt;
}

std::optional<std::string> ParamPanel::entryHelp(const std::string& label) const
{
    for (const PanelEntry& entry : bar_->entries)
        if (entry.label == label)
            return entry.def.help;
    return std::nullopt;
}

void drawPanels()
{
    if (auto manager = PanelManager::existing())
        manager->draw();
}

} // namespace vornix
