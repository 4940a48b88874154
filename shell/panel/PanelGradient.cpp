// The gradient entry: a bar drawn stop to stop with the library's colour-interpolated rectangles (linear, as the
// gradient tables are), the stops as handles below it, and the selected stop's colour picker.
#include <imgui.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

#include "shell/ContentScale.h"
#include "shell/panel/PanelBar.h"

namespace vornix {

namespace {

// Sizes at 100 %, scaled with the screen.
float barHeight() { return scaledPixels(30.0f); }
float handleHeight() { return scaledPixels(12.0f); }
float handleHalfWidth() { return scaledPixels(6.0f); }

ImU32 opaque(const ColorStop& s) { return ImGui::ColorConvertFloat4ToU32(ImVec4(s.r, s.g, s.b, 1.0f)); }

// The colour the gradient has at t, between the stops around it.
ColorStop colourAt(const std::vector<ColorStop>& stops, float t)
{
    for (std::size_t k = 0; k + 1 < stops.size(); ++k) {
        const ColorStop &a = stops[k], &b = stops[k + 1];
        if (t >= a.position && t <= b.position) {
            const float f = b.position > a.position ? (t - a.position) / (b.position - a.position) : 0.0f;
            return {t, a.r + f * (b.r - a.r), a.g + f * (b.g - a.g), a.b + f * (b.b - a.b), 1.0f};
        }
    }
    return {t, 0, 0, 0, 1};
}

// The stop whose handle is nearest to x, within reach of the pointer; -1 when none is.
int stopNear(const std::vector<ColorStop>& stops, float x, float left, float width)
{
    int best = -1;
    float bestDistance = handleHalfWidth() + 1.0f;
    for (std::size_t k = 0; k < stops.size(); ++k) {
        const float d = std::fabs(left + stops[k].position * width - x);
        if (d < bestDistance) {
            bestDistance = d;
            best = static_cast<int>(k);
        }
    }
    return best;
}

// Moves the selected stop to t, keeping the list sorted and the selection on it. The end stops stay.
void moveSelected(PanelGradient& g, float t)
{
    auto& stops = g.stops;
    const int last = static_cast<int>(stops.size()) - 1;
    if (g.selected <= 0 || g.selected >= last)
        return;
    stops[g.selected].position = std::clamp(t, 0.0f, 1.0f);
    while (g.selected > 1 && stops[g.selected].position < stops[g.selected - 1].position) {
        std::swap(stops[g.selected], stops[g.selected - 1]);
        --g.selected;
    }
    while (g.selected < last - 1 && stops[g.selected].position > stops[g.selected + 1].position) {
        std::swap(stops[g.selected], stops[g.selected + 1]);
        ++g.selected;
    }
}

} // namespace

void drawGradientEntry(PanelEntry& entry, PanelFrameResult& result)
{
    auto& g = *static_cast<PanelGradient*>(entry.variable);
    auto& stops = g.stops;
    if (g.selected >= static_cast<int>(stops.size()))
        g.selected = -1;
    const float width = std::max(ImGui::GetContentRegionAvail().x - 2 * handleHalfWidth(), scaledPixels(20.0f));
    const ImVec2 corner = ImGui::GetCursorScreenPos();
    const float left = corner.x + handleHalfWidth(), top = corner.y;
    ImGui::InvisibleButton("##gradient", ImVec2(width + 2 * handleHalfWidth(), barHeight() + handleHeight()));
    const ImVec2 itemMin = ImGui::GetItemRectMin(), itemMax = ImGui::GetItemRectMax();
    entry.valueRect = PanelRect{itemMin.x, itemMin.y, itemMax.x - itemMin.x, itemMax.y - itemMin.y};

    const ImVec2 mouse = ImGui::GetIO().MousePos;
    if (ImGui::IsItemActivated()) {
        const int hit = stopNear(stops, mouse.x, left, width);
        if (hit >= 0) {
            g.selected = hit;
        } else if (mouse.y < top + barHeight() && stops.size() >= 2) {
            const float t = std::clamp((mouse.x - left) / width, 0.0f, 1.0f);
            const ColorStop added = colourAt(stops, t);
            const auto at = std::upper_bound(stops.begin() + 1, stops.end() - 1, t,
                                             [](float v, const ColorStop& s) { return v < s.position; });
            const auto inserted = stops.insert(at, added);   // may reallocate: begin() only after it
            g.selected = static_cast<int>(inserted - stops.begin());
        }
    } else if (ImGui::IsItemActive() && ImGui::IsMouseDragging(ImGuiMouseButton_Left, 0.0f)) {
        moveSelected(g, (mouse.x - left) / width);
    }

    ImDrawList* draw = ImGui::GetWindowDrawList();
    for (std::size_t k = 0; k + 1 < stops.size(); ++k) {
        const float x0 = left + stops[k].position * width, x1 = left + stops[k + 1].position * width;
        if (x1 > x0)
            draw->AddRectFilledMultiColor(ImVec2(x0, top), ImVec2(x1, top + barHeight()), opaque(stops[k]),
                                          opaque(stops[k + 1]), opaque(stops[k + 1]), opaque(stops[k]));
    }
    draw->AddRect(ImVec2(left - 1, top - 1), ImVec2(left + width + 1, top + barHeight() + 1),
                  ImGui::GetColorU32(ImGuiCol_Border));
    for (std::size_t k = 0; k < stops.size(); ++k) {
        const float x = left + stops[k].position * width, y = top + barHeight() + 1;
        const bool selected = static_cast<int>(k) == g.selected;
        const ImVec2 a(x, y), b(x - handleHalfWidth(), y + handleHeight() - 1), c(x + handleHalfWidth(), y + handleHeight() - 1);
        draw->AddTriangleFilled(a, b, c, opaque(stops[k]));
        draw->AddTriangle(a, b, c, selected ? IM_COL32(255, 255, 255, 255) : IM_COL32(140, 140, 140, 255),
                          selected ? 2.0f : 1.0f);
    }

    if (g.selected >= 0) {
        ColorStop& s = stops[g.selected];
        ImGui::ColorEdit3("##stopcolour", &s.r, ImGuiColorEditFlags_NoInputs | ImGuiColorEditFlags_PickerHueWheel);
        if (ImGui::IsItemActive() || ImGui::IsPopupOpen("picker", ImGuiPopupFlags_AnyPopupId))
            result.editing = true;
        ImGui::SameLine();
        ImGui::Text("stop %d of %d at %.3f", g.selected + 1, static_cast<int>(stops.size()), double(s.position));
    } else {
        ImGui::TextDisabled("click the bar to add a stop, a handle to choose one");
    }
}

} // namespace vornix
