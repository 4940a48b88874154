#include "shell/panel/PanelManager.h"

#include <epoxy/gl.h>

#include <backends/imgui_impl_opengl2.h>
#include <imgui.h>
#include <imgui_internal.h>   // the open popups, to close the top one

#include <algorithm>
#include <cctype>
#include <chrono>

#include "shell/BetweenFrames.h"
#include "shell/Console.h"
#include "shell/ContentScale.h"
#include "shell/Exception.h"
#include "shell/Font.h"
#include "shell/panel/PanelBar.h"
#include "shell/panel/PanelInputQueue.h"
#include "shell/panel/PanelKeyMap.h"
#include "shell/platform/FontMatch.h"

namespace vornix {

namespace {

constexpr float FontPixels = 13.0f;

// The look at 100 %, then every size in it scaled.
void applyStyle(float scale)
{
    ImGuiStyle& style = ImGui::GetStyle();
    style = ImGuiStyle();
    ImGui::StyleColorsDark();
    style.WindowRounding = 3.0f;
    style.FrameRounding = 2.0f;
    style.WindowPadding = ImVec2(6, 6);
    // Compact rows, so that a panel of the program's size (280 x 480) shows all of its 29 entries at once.
    style.FramePadding = ImVec2(4, 1);
    style.ItemSpacing = ImVec2(4, 2);
    style.ItemInnerSpacing = ImVec2(3, 2);
    style.FrameBorderSize = 1.0f;
    style.ScrollbarSize = 12.0f;
    style.GrabMinSize = 8.0f;
    style.WindowTitleAlign = ImVec2(0.5f, 0.5f);
    style.Colors[ImGuiCol_FrameBg] = ImVec4(0.16f, 0.16f, 0.16f, 0.85f);
    style.Colors[ImGuiCol_Border] = ImVec4(0.62f, 0.62f, 0.62f, 0.45f);
    style.Colors[ImGuiCol_FrameBgHovered] = ImVec4(0.25f, 0.32f, 0.42f, 0.85f);
    style.Colors[ImGuiCol_FrameBgActive] = ImVec4(0.30f, 0.40f, 0.55f, 0.90f);
    style.Colors[ImGuiCol_Button] = ImVec4(0.22f, 0.22f, 0.22f, 0.90f);
    style.Colors[ImGuiCol_ButtonHovered] = ImVec4(0.30f, 0.40f, 0.55f, 0.95f);
    style.Colors[ImGuiCol_ButtonActive] = ImVec4(0.36f, 0.50f, 0.70f, 1.00f);
    style.Colors[ImGuiCol_CheckMark] = ImVec4(0.95f, 0.95f, 0.95f, 1.00f);
    style.Colors[ImGuiCol_Separator] = ImVec4(0.60f, 0.60f, 0.60f, 0.45f);
    if (scale != 1.0f)
        style.ScaleAllSizes(scale);
}

int imguiButton(int initiator)
{
    return initiator == MouseEvent::LeftButton ? 0 : initiator == MouseEvent::RightButton ? 1 : 2;
}

} // namespace

struct PanelManager::Impl {
    std::vector<std::weak_ptr<PanelBar>> bars;
    int serial = 0;
    PanelInputQueue input;
    WheelAccumulator wheel;
    std::vector<unsigned char> fontData;   // the atlas reads the font from here
    std::string fontPath;
    float scale = 0.0f;                    // the scale the font and the style were made for
    float width = 0.0f, height = 0.0f;
    float lastX = -1.0f, lastY = -1.0f;     // last pointer position, for the wheel
    unsigned buttonsHeld = 0;              // ImGui button bits
    bool captured = false;                 // a press landed on a panel; its drag and release are the panel's
    bool editing = false;                  // a value is being typed (as of the last frame)
    bool popupOpen = false;                // a drop-down list or colour picker is open (as of the last frame)
    bool shownLastFrame = false;
    std::chrono::steady_clock::time_point lastFrame = std::chrono::steady_clock::now();

    std::vector<std::shared_ptr<PanelBar>> liveBars()
    {
        std::vector<std::shared_ptr<PanelBar>> live;
        std::erase_if(bars, [](const auto& weak) { return weak.expired(); });
        for (const auto& weak : bars)
            if (auto bar = weak.lock())
                live.push_back(std::move(bar));
        return live;
    }
    bool anyVisible()
    {
        for (const auto& bar : liveBars())
            if (bar->visible)
                return true;
        return false;
    }
    bool overPanel(float x, float y)
    {
        for (const auto& bar : liveBars())
            if (bar->covers(x, y))
                return true;
        return false;
    }
    // With no panel on screen no frames are drawn: input goes straight into the library's state instead of
    // waiting in the queue, so that showing a panel later does not replay old input.
    void settleWhileHidden()
    {
        if (!anyVisible())
            input.apply(false);
    }
    void tapKey(int index, unsigned modifiers)
    {
        input.key(index, true, modifiers);
        input.key(index, false, modifiers);
    }
};

namespace {

std::shared_ptr<PanelManager>& processManager()
{
    static std::shared_ptr<PanelManager> manager;
    return manager;
}

} // namespace

std::shared_ptr<PanelManager> PanelManager::instance()
{
    auto& manager = processManager();
    if (!manager)
        manager.reset(new PanelManager());
    return manager;
}

std::shared_ptr<PanelManager> PanelManager::existing() { return processManager(); }

PanelManager::PanelManager() : impl_(std::make_unique<Impl>())
{
    IMGUI_CHECKVERSION();
    ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;   // nothing is persisted
    io.LogFilename = nullptr;
    io.ConfigWindowsMoveFromTitleBarOnly = true;   // dragging inside the panel edits values, never moves it
    io.BackendPlatformName = "vornix";
    // Key indices are the shell's key codes; the Return and Escape characters and Ctrl+letter use their codes too.
    io.KeyMap[ImGuiKey_Tab] = KeyCode::Tab;
    io.KeyMap[ImGuiKey_LeftArrow] = KeyCode::Left;
    io.KeyMap[ImGuiKey_RightArrow] = KeyCode::Right;
    io.KeyMap[ImGuiKey_UpArrow] = KeyCode::Up;
    io.KeyMap[ImGuiKey_DownArrow] = KeyCode::Down;
    io.KeyMap[ImGuiKey_PageUp] = KeyCode::PageUp;
    io.KeyMap[ImGuiKey_PageDown] = KeyCode::PageDown;
    io.KeyMap[ImGuiKey_Home] = KeyCode::Home;
    io.KeyMap[ImGuiKey_End] = KeyCode::End;
    io.KeyMap[ImGuiKey_Insert] = KeyCode::Insert;
    io.KeyMap[ImGuiKey_Delete] = KeyCode::Delete;
    io.KeyMap[ImGuiKey_Backspace] = KeyCode::Backspace;
    io.KeyMap[ImGuiKey_Space] = KeyCode::Space;
    io.KeyMap[ImGuiKey_Enter] = KeyCode::Return;
    io.KeyMap[ImGuiKey_Escape] = KeyCode::Escape;
    io.KeyMap[ImGuiKey_KeyPadEnter] = KeyCode::Return;
    io.KeyMap[ImGuiKey_A] = 'a';
    io.KeyMap[ImGuiKey_C] = 'c';
    io.KeyMap[ImGuiKey_V] = 'v';
    io.KeyMap[ImGuiKey_X] = 'x';
    io.KeyMap[ImGuiKey_Y] = 'y';
    io.KeyMap[ImGuiKey_Z] = 'z';
    // A proportional font reads better than the built-in bitmap font.
    try {
        impl_->fontPath = matchFontFamily("Liberation Sans").first;
    } catch (const FontLoadExc&) {
        // Reported below, with the built-in font taking its place.
    }
    impl_->fontData = readFontFile(impl_->fontPath);
    if (impl_->fontPath.empty() || impl_->fontData.size() <= 4)
        console() << "Panel font \"Liberation Sans\" not found ("
                  << (impl_->fontPath.empty() ? "no match" : impl_->fontPath) << "); using the built-in font"
                  << std::endl;
    followScale();
    if (!ImGui_ImplOpenGL2_Init()) {
        ImGui::DestroyContext();
        console() << "The panel library could not be initialised for OpenGL" << std::endl;
        throw Exception();
    }
}

// The font's atlas and the style for the current scale, made anew when it changed (the window moved to a monitor
// with another scale); the renderer makes the font's texture again with the next frame.
void PanelManager::followScale()
{
    Impl& m = *impl_;
    const float scale = contentScale();
    if (scale == m.scale)
        return;
    const bool remake = m.scale != 0.0f;
    m.scale = scale;
    applyStyle(scale);
    ImGuiIO& io = ImGui::GetIO();
    if (remake)
        ImGui_ImplOpenGL2_DestroyFontsTexture();
    io.Fonts->Clear();
    if (!m.fontPath.empty() && m.fontData.size() > 4) {
        ImFontConfig config;
        config.FontDataOwnedByAtlas = false;
        io.Fonts->AddFontFromMemoryTTF(m.fontData.data(), static_cast<int>(m.fontData.size()),
                                       scaledPixels(FontPixels, scale), &config);
    } else {
        // The built-in bitmap font, drawn larger: blurred, but as large as at 100 %.
        ImFontConfig config;
        config.SizePixels = scaledPixels(FontPixels, scale);
        io.Fonts->AddFontDefault(&config);
    }
}

PanelManager::~PanelManager()
{
    ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext();
}

void PanelManager::install(EventCallbacks& callbacks, int windowWidth, int windowHeight)
{
    impl_->width = static_cast<float>(std::max(windowWidth, 0));
    impl_->height = static_cast<float>(std::max(windowHeight, 0));
    callbacks.mouseDown.add([this](const MouseEvent& e) { return mouseDown(e); });
    callbacks.mouseUp.add([this](const MouseEvent& e) { return mouseUp(e); });
    callbacks.mouseWheel.add([this](const MouseEvent& e) { return mouseWheel(e); });
    callbacks.mouseMove.add([this](const MouseEvent& e) { return mouseMotion(e); });
    callbacks.mouseDrag.add([this](const MouseEvent& e) { return mouseMotion(e); });
    callbacks.keyDown.add([this](const KeyEvent& e) { return keyDown(e); });
    callbacks.resize.add([this](const ResizeEvent& e) { return resize(e); });
}

std::shared_ptr<PanelBar> PanelManager::createBar(const std::string& title)
{
    auto bar = std::make_shared<PanelBar>(title, impl_->serial++);
    impl_->bars.push_back(bar);
    return bar;
}

int PanelManager::wheelPosition() const { return impl_->wheel.position(); }

bool PanelManager::mouseDown(const MouseEvent& event)
{
    Impl& m = *impl_;
    const float x = static_cast<float>(event.x), y = static_cast<float>(event.y);
    m.lastX = x;
    m.lastY = y;
    const int button = imguiButton(event.initiator);
    m.input.mousePosition(x, y, event.modifiers);
    m.input.mouseButton(button, true, event.modifiers);
    m.buttonsHeld |= 1u << button;
    m.settleWhileHidden();
    if (!m.captured && !m.overPanel(x, y))
        return false;
    m.captured = true;
    return true;
}

bool PanelManager::mouseUp(const MouseEvent& event)
{
    Impl& m = *impl_;
    const float x = static_cast<float>(event.x), y = static_cast<float>(event.y);
    m.input.mousePosition(x, y, event.modifiers);
    if (event.initiator == 0) {   // focus lost: every button counts as released
        for (int b = 0; b < 3; ++b)
            if (m.buttonsHeld & (1u << b))
                m.input.mouseButton(b, false, event.modifiers);
        m.buttonsHeld = 0;
    } else {
        const int button = imguiButton(event.initiator);
        m.input.mouseButton(button, false, event.modifiers);
        m.buttonsHeld &= ~(1u << button);
    }
    m.settleWhileHidden();
    const bool consumed = m.captured || m.overPanel(x, y);
    if (m.buttonsHeld == 0)
        m.captured = false;
    return consumed;
}

bool PanelManager::mouseWheel(const MouseEvent& event)
{
    Impl& m = *impl_;
    // The pointer's last position decides (the one the wheel event carries; synthetic wheel events carry none).
    if (const int notches = m.wheel.add(event.wheelIncrement); notches != 0)
        m.input.wheel(notches, event.modifiers);
    m.settleWhileHidden();
    return m.captured || m.overPanel(m.lastX, m.lastY);
}

bool PanelManager::mouseMotion(const MouseEvent& event)
{
    Impl& m = *impl_;
    const float x = static_cast<float>(event.x), y = static_cast<float>(event.y);
    m.lastX = x;
    m.lastY = y;
    m.input.mousePosition(x, y, event.modifiers);
    m.settleWhileHidden();
    return m.captured || m.overPanel(x, y);
}

bool PanelManager::keyDown(const KeyEvent& event)
{
    Impl& m = *impl_;
    // Whether a field is open decides where the key goes, so clicks still waiting for a frame (a double-click just
    // before typing, on a slow machine) are handed to the panel first.
    settle();
    const bool editing = m.editing && m.anyVisible();
    // Escape closes an open list first (the panel's "Full Screen" shortcut and the application wait for the next).
    if (m.popupOpen && m.anyVisible() && event.code == KeyCode::Escape) {
        m.tapKey(KeyCode::Escape, event.modifiers);
        return true;
    }
    if (!editing)
        for (const auto& bar : m.liveBars())
            if (bar->runShortcut(event))
                return true;

    // Forward the press; the release follows one frame later (the shell's key releases are not forwarded).
    const int key = panelKeyFor(event);
    const bool ctrlOrAlt = event.modifiers & (Modifier::Ctrl | Modifier::Alt);
    if (panelKeyCode(event.code) || key == KeyCode::Return || key == KeyCode::Escape)
        m.tapKey(key, event.modifiers);
    else if (key > 0 && (event.modifiers & Modifier::Ctrl) && std::isalpha(key))
        m.tapKey(std::tolower(key), event.modifiers);
    else if (key >= 32 && key < 127 && !ctrlOrAlt)
        m.input.character(static_cast<unsigned>(key), event.modifiers);
    m.settleWhileHidden();
    return editing;
}

bool PanelManager::resize(const ResizeEvent& event)
{
    impl_->width = static_cast<float>(std::max(event.width, 0));
    impl_->height = static_cast<float>(std::max(event.height, 0));
    return false;
}

void PanelManager::draw()
{
    Impl& m = *impl_;
    const auto bars = m.liveBars();
    const bool anyVisible = std::any_of(bars.begin(), bars.end(), [](const auto& bar) { return bar->visible; });
    ImGuiIO& io = ImGui::GetIO();
    if (!anyVisible) {
        m.input.apply(false);
        m.editing = false;
        m.popupOpen = false;
        m.shownLastFrame = false;
        return;
    }
    if (!m.shownLastFrame) {   // wheel turns and typing while no panel was shown are not for the panel
        io.MouseWheel = 0.0f;
        io.ClearInputCharacters();
    }
    m.shownLastFrame = true;

    runFrame(true);
}

void PanelManager::settle()
{
    Impl& m = *impl_;
    if (!m.shownLastFrame)
        return;
    // The library takes at most one change per button or key per frame; a few frames without drawing hand it the
    // rest (a press and its release need two).
    for (int k = 0; k < 8 && m.input.size() > 0; ++k)
        runFrame(false);
}

void PanelManager::runFrame(bool render)
{
    Impl& m = *impl_;
    const auto bars = m.liveBars();
    ImGuiIO& io = ImGui::GetIO();
    followScale();
    m.input.apply(true);
    io.MouseDoubleClickTime = m.input.doubleClickTime();
    io.DisplaySize = ImVec2(m.width, m.height);
    const auto now = std::chrono::steady_clock::now();
    io.DeltaTime = std::max(std::chrono::duration<float>(now - m.lastFrame).count(), 1e-4f);
    m.lastFrame = now;

    ImGui_ImplOpenGL2_NewFrame();
    ImGui::NewFrame();
    // Escape closes the open list or picker. The library would do that only with its keyboard navigation, which
    // stays off: it would move the keyboard focus through the entries.
    ImGuiContext& context = *ImGui::GetCurrentContext();
    if (ImGui::IsKeyPressed(KeyCode::Escape, false) && !context.OpenPopupStack.empty())
        ImGui::ClosePopupToLevel(context.OpenPopupStack.Size - 1, true);
    PanelFrameResult result;
    for (const auto& bar : bars)
        if (bar->visible)
            bar->draw(result);
    m.popupOpen = ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId | ImGuiPopupFlags_AnyPopupLevel);
    if (render) {
        ImGui::Render();
        renderDrawData();
    } else {
        ImGui::EndFrame();
    }

    m.editing = result.editing;
    for (const PanelCallback& callback : result.pressed)
        runBetweenFrames([callback] { (*callback)(); });
}

void PanelManager::renderDrawData()
{
    // The library draws with the fixed-function pipeline and client-side arrays: no program and no buffer objects
    // may be bound while it does.
    GLint program = 0, arrayBuffer = 0, elementBuffer = 0, activeTexture = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
    glUseProgram(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0);
    ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
    glActiveTexture(static_cast<GLenum>(activeTexture));
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(elementBuffer));
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(arrayBuffer));
    glUseProgram(static_cast<GLuint>(program));
}

} // namespace vornix
