#include "shell/panel/PanelBar.h"

#include <imgui.h>
#include <imgui_internal.h>   // TempInputIsActive: tells a typed edit from a drag

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>

#include "shell/ContentScale.h"

namespace vornix {

namespace {

// How far outside its rectangle a panel's resize border reaches (at 100 %).
constexpr float ResizeBorder = 4.0f;

PanelRect itemRect()
{
    const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
    return {min.x, min.y, max.x - min.x, max.y - min.y};
}

std::int32_t toInt32(double v)
{
    return static_cast<std::int32_t>(std::clamp(std::round(v), double(INT32_MIN), double(INT32_MAX)));
}

} // namespace

double PanelEntry::minimum() const
{
    if (def.min)
        return *def.min;
    return kind == Kind::Int ? double(INT32_MIN) : -double(FLT_MAX);
}

double PanelEntry::maximum() const
{
    if (def.max)
        return *def.max;
    return kind == Kind::Int ? double(INT32_MAX) : double(FLT_MAX);
}

double PanelEntry::step() const
{
    if (kind == Kind::Int)
        return def.step ? std::max(1.0, std::round(*def.step)) : 1.0;
    if (def.step)
        return *def.step;
    return def.precision ? std::pow(10.0, -*def.precision) : 0.01;
}

void PanelEntry::stepBy(int steps) const
{
    if (kind == Kind::Float) {
        auto* value = static_cast<float*>(variable);
        *value = static_cast<float>(std::clamp(double(*value) + steps * step(), minimum(), maximum()));
    } else if (kind == Kind::Int) {
        auto* value = static_cast<std::int32_t*>(variable);
        *value = toInt32(std::clamp(double(*value) + steps * step(), minimum(), maximum()));
    }
}

PanelBar::PanelBar(std::string title_, int serial_)
    : title(std::move(title_)), windowId("vornix panel " + std::to_string(serial_)), serial(serial_)
{
}

bool PanelBar::covers(float x, float y) const
{
    if (!visible)
        return false;
    if (popupRect && popupRect->contains(x, y))
        return true;
    if (!rect)
        return false;
    const float border = scaledPixels(ResizeBorder);
    const PanelRect grown{rect->x - border, rect->y - border, rect->width + 2 * border, rect->height + 2 * border};
    return grown.contains(x, y);
}

bool PanelBar::runShortcut(const KeyEvent& event) const
{
    for (const PanelEntry& entry : entries) {
        if (!entry.def.key || !entry.def.key->matches(event))
            continue;
        if (entry.kind == PanelEntry::Kind::Bool && !entry.readOnly) {
            auto* value = static_cast<bool*>(entry.variable);
            *value = !*value;
            return true;
        }
        if (entry.kind == PanelEntry::Kind::Button) {
            const PanelCallback callback = entry.callback;   // the callback may change the panel
            if (callback)
                (*callback)();
            return true;
        }
    }
    return false;
}

namespace {

// Value column of a float or integer entry: a drag box (click and drag, double-click or Ctrl+click to type, the
// wheel steps) and - / + step buttons. Every way of editing stays within the entry's range.
void drawNumber(PanelEntry& entry, PanelFrameResult& result, bool& wheelUsed)
{
    const bool isFloat = entry.kind == PanelEntry::Kind::Float;
    char format[16] = "%d";
    if (isFloat)
        std::snprintf(format, sizeof format, "%%.%df", entry.def.precision.value_or(3));
    if (entry.readOnly) {
        char text[64];
        if (isFloat)
            std::snprintf(text, sizeof text, format, double(*static_cast<float*>(entry.variable)));
        else
            std::snprintf(text, sizeof text, format, *static_cast<std::int32_t*>(entry.variable));
        ImGui::TextDisabled("%s", text);
        entry.valueRect = itemRect();
        return;
    }
    const ImGuiStyle& style = ImGui::GetStyle();
    const float button = ImGui::GetFrameHeight();
    ImGui::SetNextItemWidth(
        std::max(ImGui::GetContentRegionAvail().x - 2 * (button + style.ItemInnerSpacing.x), scaledPixels(30.0f)));
    const float speed = static_cast<float>(entry.step());
    const bool bounded = entry.def.min || entry.def.max;
    if (isFloat) {
        const float lo = bounded ? static_cast<float>(entry.minimum()) : 0.0f;
        const float hi = bounded ? static_cast<float>(entry.maximum()) : 0.0f;
        ImGui::DragFloat("##value", static_cast<float*>(entry.variable), speed, lo, hi, format,
                         ImGuiSliderFlags_AlwaysClamp);
    } else {
        const int lo = bounded ? toInt32(entry.minimum()) : 0;
        const int hi = bounded ? toInt32(entry.maximum()) : 0;
        ImGui::DragInt("##value", static_cast<int*>(entry.variable), speed, lo, hi, format,
                       ImGuiSliderFlags_AlwaysClamp);
    }
    if (ImGui::TempInputIsActive(ImGui::GetItemID()))
        result.editing = true;
    entry.valueRect = itemRect();
    int steps = 0;
    if (ImGui::IsItemHovered() && ImGui::GetIO().MouseWheel != 0.0f && !wheelUsed) {
        steps += static_cast<int>(ImGui::GetIO().MouseWheel);
        wheelUsed = true;
    }
    ImGui::PushButtonRepeat(true);
    ImGui::SameLine(0, style.ItemInnerSpacing.x);
    if (ImGui::Button("-", ImVec2(button, button)))
        --steps;
    ImGui::SameLine(0, style.ItemInnerSpacing.x);
    if (ImGui::Button("+", ImVec2(button, button)))
        ++steps;
    ImGui::PopButtonRepeat();
    if (steps != 0)
        entry.stepBy(steps);
}

void drawEnum(PanelEntry& entry, PanelBar& bar, bool& wheelUsed)
{
    auto* value = static_cast<std::int32_t*>(entry.variable);
    const int count = static_cast<int>(entry.items.size());
    const std::string preview = *value >= 0 && *value < count ? entry.items[*value] : std::to_string(*value);
    if (entry.readOnly) {
        ImGui::TextDisabled("%s", preview.c_str());
        entry.valueRect = itemRect();
        return;
    }
    ImGui::SetNextItemWidth(-FLT_MIN);
    const bool open = ImGui::BeginCombo("##value", preview.c_str());
    entry.valueRect = itemRect();
    const bool hovered = ImGui::IsItemHovered();
    if (open) {
        const ImVec2 pos = ImGui::GetWindowPos(), size = ImGui::GetWindowSize();
        bar.popupRect = PanelRect{pos.x, pos.y, size.x, size.y};
        for (int i = 0; i < count; ++i) {
            const bool selected = i == *value;
            if (ImGui::Selectable(entry.items[i].c_str(), selected))
                *value = i;
            if (selected)
                ImGui::SetItemDefaultFocus();
        }
        ImGui::EndCombo();
    } else if (hovered && ImGui::GetIO().MouseWheel != 0.0f && !wheelUsed && count > 0) {
        // Wheel up picks the item above, as in the list.
        const int next = *value - static_cast<int>(ImGui::GetIO().MouseWheel);
        *value = std::clamp(next, 0, count - 1);
        wheelUsed = true;
    }
}

// A std::string edited in place by the library's text field (it asks for more room as the text grows).
int resizeString(ImGuiInputTextCallbackData* data)
{
    if (data->EventFlag == ImGuiInputTextFlags_CallbackResize) {
        auto* text = static_cast<std::string*>(data->UserData);
        text->resize(static_cast<std::size_t>(data->BufTextLen));
        data->Buf = text->data();
    }
    return 0;
}

void drawTextInput(PanelEntry& entry, PanelFrameResult& result)
{
    auto* text = static_cast<std::string*>(entry.variable);
    ImGui::SetNextItemWidth(-FLT_MIN);
    ImGui::InputText("##value", text->data(), text->capacity() + 1, ImGuiInputTextFlags_CallbackResize,
                     resizeString, text);
    if (ImGui::IsItemActive())
        result.editing = true;
    entry.valueRect = itemRect();
}

void drawMeter(PanelEntry& entry)
{
    const float value = *static_cast<const float*>(entry.variable);
    const float fraction = std::isfinite(value) ? std::clamp(value / entry.meterMaximum, 0.0f, 1.0f) : 0.0f;
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", std::isfinite(value) ? double(value) : 0.0);
    ImGui::ProgressBar(fraction, ImVec2(-FLT_MIN, 0), text);
    entry.valueRect = itemRect();
}

void drawColor(PanelEntry& entry, PanelFrameResult& result)
{
    ImGui::SetNextItemWidth(-FLT_MIN);
    ImGui::ColorEdit3("##value", static_cast<float*>(entry.variable),
                      ImGuiColorEditFlags_NoInputs | ImGuiColorEditFlags_PickerHueWheel);
    if (ImGui::IsItemActive() || ImGui::IsPopupOpen("picker", ImGuiPopupFlags_AnyPopupId))
        result.editing = true;
    entry.valueRect = itemRect();
}

// A button across the panel or, with the buttons beside it ("sameline"), an equal share of its row.
void drawButton(const std::vector<PanelEntry>& entries, std::size_t i, float rowWidth, PanelFrameResult& result)
{
    const auto joined = [&](std::size_t k) {
        return k > 0 && entries[k].kind == PanelEntry::Kind::Button && entries[k].def.sameLine &&
               entries[k - 1].kind == PanelEntry::Kind::Button;
    };
    std::size_t first = i, last = i;
    while (joined(first))
        --first;
    while (last + 1 < entries.size() && joined(last + 1))
        ++last;
    const float count = static_cast<float>(last - first + 1);
    const float width = (rowWidth - ImGui::GetStyle().ItemSpacing.x * (count - 1)) / count;
    if (i > first)
        ImGui::SameLine();
    const PanelEntry& entry = entries[i];
    if (ImGui::Button(entry.label.c_str(), ImVec2(i == last ? -FLT_MIN : width, 0)) && entry.callback)
        result.pressed.push_back(entry.callback);
}

void drawTooltip(const PanelEntry& entry)
{
    if (entry.def.help.empty() && !entry.def.key)
        return;
    ImGui::BeginTooltip();
    ImGui::PushTextWrapPos(ImGui::GetFontSize() * 20.0f);
    if (!entry.def.help.empty())
        ImGui::TextUnformatted(entry.def.help.c_str());
    if (entry.def.key)
        ImGui::TextDisabled("Shortcut: %s", entry.def.keyText.c_str());
    ImGui::PopTextWrapPos();
    ImGui::EndTooltip();
}

} // namespace

void PanelBar::draw(PanelFrameResult& result)
{
    const float r = color[0] / 255.0f, g = color[1] / 255.0f, b = color[2] / 255.0f, a = alpha / 255.0f;
    // Sizes and places are the program's at 100 %; on another monitor's scale the panel keeps its size and place
    // on screen.
    const float scale = contentScale();
    const float offset = scaledPixels(16.0f + 24.0f * static_cast<float>(serial % 8));
    if (!home)
        home = {offset, offset};
    std::optional<ImVec2> rescaledSize;
    if (drawnScale != 0.0f && drawnScale != scale) {
        const float ratio = scale / drawnScale;
        home = {(*home)[0] * ratio, (*home)[1] * ratio};
        if (rect)
            rescaledSize = ImVec2(std::round(rect->width * ratio), std::round(rect->height * ratio));
        drawnDisplay = {-1.0f, -1.0f};   // back to its place at the next frame
    }
    drawnScale = scale;
    // After the display changed size the panel goes back to its place, as far as the display leaves room; in the
    // frames between, the library's own dragging and clamping decide.
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    const bool displayChanged = display.x != drawnDisplay[0] || display.y != drawnDisplay[1];
    if (displayChanged) {
        const float margin = scaledPixels(40.0f);
        const float x = std::clamp((*home)[0], 0.0f, std::max(0.0f, display.x - margin));
        const float y = std::clamp((*home)[1], 0.0f, std::max(0.0f, display.y - margin));
        ImGui::SetNextWindowPos(ImVec2(x, y), ImGuiCond_Always);
    }
    if (rescaledSize && !sizeChanged)
        ImGui::SetNextWindowSize(*rescaledSize, ImGuiCond_Always);
    else
        ImGui::SetNextWindowSize(ImVec2(scaledPixels(float(size.width), scale), scaledPixels(float(size.height), scale)),
                                 sizeChanged ? ImGuiCond_Always : ImGuiCond_FirstUseEver);
    sizeChanged = false;
    ImGui::SetNextWindowSizeConstraints(ImVec2(scaledPixels(120.0f, scale), scaledPixels(60.0f, scale)),
                                        ImVec2(FLT_MAX, FLT_MAX));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(r, g, b, a));
    ImGui::PushStyleColor(ImGuiCol_TitleBg, ImVec4(r * 0.6f, g * 0.6f, b * 0.6f, std::max(a, 0.85f)));
    ImGui::PushStyleColor(ImGuiCol_TitleBgActive, ImVec4(r * 0.8f, g * 0.8f, b * 0.9f, std::max(a, 0.95f)));
    const std::string name = title + "###" + windowId;
    // The wheel over a value steps it; elsewhere in the panel it scrolls (done below, so it can tell the two apart).
    ImGui::Begin(name.c_str(), nullptr,
                 ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoScrollWithMouse | ImGuiWindowFlags_NoSavedSettings);
    ImGui::PopStyleColor(3);
    const ImVec2 pos = ImGui::GetWindowPos(), extent = ImGui::GetWindowSize();
    // The user moves the panel by dragging its title bar, or by resizing it from the left or top edge (which changes
    // its size too). The library also moves it by itself to keep it in view: after the display changed, and on a
    // window of a few pixels in every frame (its clamp has no solution there); none of that changes the panel's place.
    steadyFrames = displayChanged ? 0 : std::min(steadyFrames + 1, 2);
    const bool dragged = ImGui::GetCurrentContext()->MovingWindow == ImGui::GetCurrentWindow();
    const bool resized = rect && (extent.x != rect->width || extent.y != rect->height);
    if ((dragged || resized) && steadyFrames >= 2 && rect && (pos.x != rect->x || pos.y != rect->y))
        home = {pos.x, pos.y};
    drawnDisplay = {display.x, display.y};
    rect = PanelRect{pos.x, pos.y, extent.x, extent.y};
    popupRect.reset();

    // Labels on the left, values on the right: the label column is as wide as the widest label, up to 55 %.
    const ImGuiStyle& style = ImGui::GetStyle();
    float labelWidth = 0.0f;
    for (const PanelEntry& entry : entries)
        if (entry.kind != PanelEntry::Kind::Button && entry.kind != PanelEntry::Kind::Separator && !entry.label.empty())
            labelWidth = std::max(labelWidth, ImGui::CalcTextSize(entry.label.c_str()).x);
    const float content = ImGui::GetContentRegionAvail().x;
    labelWidth = std::min(labelWidth + 2 * style.ItemSpacing.x, content * 0.55f);

    bool wheelUsed = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        PanelEntry& entry = entries[i];
        ImGui::PushID(static_cast<int>(i));
        const ImVec2 rowStart = ImGui::GetCursorScreenPos();
        switch (entry.kind) {
        case PanelEntry::Kind::Separator:
            if (!entry.label.empty())   // a named separator heads a group
                ImGui::TextDisabled("%s", entry.label.c_str());
            ImGui::Separator();
            entry.valueRect = itemRect();
            break;
        case PanelEntry::Kind::Button:
            drawButton(entries, i, content, result);
            entry.valueRect = itemRect();
            break;
        default:
            if (entry.kind == PanelEntry::Kind::Gradient) {
                drawGradientEntry(entry, result);
                break;
            }
            if (entry.kind == PanelEntry::Kind::Text && entry.label.empty()) {   // text across the panel
                const float top = ImGui::GetCursorPosY();
                ImGui::TextWrapped("%s", entry.text().c_str());
                entry.valueRect = itemRect();
                // A text that keeps room for more lines than it has leaves the rows below where they were.
                const float bottom = top + static_cast<float>(entry.def.lines.value_or(1)) * ImGui::GetTextLineHeight();
                const float missing = bottom - (ImGui::GetCursorPosY() - style.ItemSpacing.y);
                if (missing > 0.5f)
                    ImGui::Dummy(ImVec2(1.0f, missing - style.ItemSpacing.y));
                break;
            }
            {
                ImGui::AlignTextToFramePadding();
                const ImVec2 textPos = ImGui::GetCursorScreenPos();
                ImGui::PushClipRect(textPos, ImVec2(textPos.x + labelWidth - style.ItemSpacing.x, textPos.y + 1000),
                                    true);
                ImGui::TextUnformatted(entry.label.c_str());
                ImGui::PopClipRect();
                ImGui::SameLine(style.WindowPadding.x + labelWidth);
                ImGui::BeginDisabled(entry.readOnly && entry.kind == PanelEntry::Kind::Bool);
                if (entry.kind == PanelEntry::Kind::Bool) {
                    ImGui::Checkbox("##value", static_cast<bool*>(entry.variable));
                    entry.valueRect = itemRect();
                } else if (entry.kind == PanelEntry::Kind::Enum) {
                    drawEnum(entry, *this, wheelUsed);
                } else if (entry.kind == PanelEntry::Kind::Text) {
                    ImGui::TextWrapped("%s", entry.text().c_str());
                    entry.valueRect = itemRect();
                } else if (entry.kind == PanelEntry::Kind::TextInput) {
                    drawTextInput(entry, result);
                } else if (entry.kind == PanelEntry::Kind::Meter) {
                    drawMeter(entry);
                } else if (entry.kind == PanelEntry::Kind::Color) {
                    drawColor(entry, result);
                } else {
                    drawNumber(entry, result, wheelUsed);
                }
                ImGui::EndDisabled();
            }
        }
        // A button's tooltip belongs to the button alone: others may share its row.
        const bool button = entry.kind == PanelEntry::Kind::Button;
        const ImVec2 hoverMin = button ? ImGui::GetItemRectMin() : rowStart;
        const ImVec2 hoverMax(button ? ImGui::GetItemRectMax().x : rowStart.x + content, ImGui::GetItemRectMax().y);
        if (ImGui::IsWindowHovered() && ImGui::IsMouseHoveringRect(hoverMin, hoverMax) && !ImGui::IsAnyItemActive())
            drawTooltip(entry);
        ImGui::PopID();
    }
    const ImGuiIO& io = ImGui::GetIO();
    if (!wheelUsed && io.MouseWheel != 0.0f && ImGui::IsWindowHovered())
        ImGui::SetScrollY(ImGui::GetScrollY() - io.MouseWheel * 3.0f * ImGui::GetFrameHeightWithSpacing());
    ImGui::End();
}

} // namespace vornix
