// A window with one parameter panel holding every kind of entry, for end-to-end tests under Xvfb. It turns the
// window system's events into the shell's events, dispatches them through the callback lists (panel first), and
// prints on standard output what reached the application ("app ..."), every change of a panel variable
// ("value <label> = <value>"), and after the first frames where each entry sits ("rect <label> x y w h") and
// "ready". It ends when the window is closed or after the number of seconds given as its argument (default 60).
#include <epoxy/gl.h>
// epoxy must come before GLFW.
#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "shell/BetweenFrames.h"
#include "shell/EventCallbacks.h"
#include "shell/panel/PanelManager.h"
#include "shell/panel/ParamPanel.h"

using namespace vornix;

namespace {

EventCallbacks callbacks;
unsigned heldButtons = 0;

unsigned modifierBits(int mods)
{
    unsigned bits = 0;
    if (mods & GLFW_MOD_SHIFT)
        bits |= Modifier::Shift;
    if (mods & GLFW_MOD_ALT)
        bits |= Modifier::Alt;
    if (mods & GLFW_MOD_CONTROL)
        bits |= Modifier::Ctrl;
    return bits;
}

int currentMods(GLFWwindow* window)
{
    int mods = 0;
    if (glfwGetKey(window, GLFW_KEY_LEFT_SHIFT) || glfwGetKey(window, GLFW_KEY_RIGHT_SHIFT))
        mods |= GLFW_MOD_SHIFT;
    if (glfwGetKey(window, GLFW_KEY_LEFT_CONTROL) || glfwGetKey(window, GLFW_KEY_RIGHT_CONTROL))
        mods |= GLFW_MOD_CONTROL;
    if (glfwGetKey(window, GLFW_KEY_LEFT_ALT) || glfwGetKey(window, GLFW_KEY_RIGHT_ALT))
        mods |= GLFW_MOD_ALT;
    return mods;
}

MouseEvent mouseEvent(GLFWwindow* window, int initiator, int mods)
{
    double x = 0, y = 0;
    glfwGetCursorPos(window, &x, &y);
    MouseEvent event;
    event.initiator = initiator;
    event.x = static_cast<int>(x);
    event.y = static_cast<int>(y);
    event.modifiers = heldButtons | modifierBits(mods);
    return event;
}

void onButton(GLFWwindow* window, int button, int action, int mods)
{
    const int initiator = button == GLFW_MOUSE_BUTTON_LEFT    ? MouseEvent::LeftButton
                          : button == GLFW_MOUSE_BUTTON_RIGHT ? MouseEvent::RightButton
                                                              : MouseEvent::MiddleButton;
    const unsigned bit = initiator == MouseEvent::LeftButton    ? Modifier::LeftDown
                         : initiator == MouseEvent::RightButton ? Modifier::RightDown
                                                                : Modifier::MiddleDown;
    if (action == GLFW_PRESS) {
        heldButtons |= bit;
        const MouseEvent event = mouseEvent(window, initiator, mods);
        if (!callbacks.mouseDown.dispatch(event))
            std::printf("app mouseDown %d %d\n", event.x, event.y);
    } else {
        heldButtons &= ~bit;
        const MouseEvent event = mouseEvent(window, initiator, mods);
        if (!callbacks.mouseUp.dispatch(event))
            std::printf("app mouseUp %d %d\n", event.x, event.y);
    }
}

void onMotion(GLFWwindow* window, double, double)
{
    const MouseEvent event = mouseEvent(window, 0, currentMods(window));
    if (heldButtons) {
        if (!callbacks.mouseDrag.dispatch(event))
            std::printf("app mouseDrag %d %d\n", event.x, event.y);
    } else {
        callbacks.mouseMove.dispatch(event);
    }
}

void onScroll(GLFWwindow* window, double, double dy)
{
    MouseEvent event = mouseEvent(window, 0, currentMods(window));
    event.wheelIncrement = static_cast<float>(dy);
    if (!callbacks.mouseWheel.dispatch(event))
        std::printf("app mouseWheel %g\n", dy);
}

void onKey(GLFWwindow*, int key, int, int action, int mods)
{
    if (action == GLFW_RELEASE)
        return;
    KeyEvent event;
    event.modifiers = modifierBits(mods);
    const bool shift = mods & GLFW_MOD_SHIFT;
    if (key >= GLFW_KEY_A && key <= GLFW_KEY_Z) {
        event.code = KeyCode::A + (key - GLFW_KEY_A);
        event.character = static_cast<char>((shift ? 'A' : 'a') + (key - GLFW_KEY_A));
    } else if (key >= GLFW_KEY_0 && key <= GLFW_KEY_9) {
        event.code = KeyCode::Digit0 + (key - GLFW_KEY_0);
        event.character = static_cast<char>('0' + (key - GLFW_KEY_0));
    } else {
        switch (key) {
        case GLFW_KEY_SPACE: event.code = KeyCode::Space; event.character = ' '; break;
        case GLFW_KEY_ESCAPE: event.code = KeyCode::Escape; event.character = 27; break;
        case GLFW_KEY_ENTER: event.code = KeyCode::Return; event.character = 13; break;
        case GLFW_KEY_BACKSPACE: event.code = KeyCode::Backspace; event.character = 8; break;
        case GLFW_KEY_TAB: event.code = KeyCode::Tab; event.character = 9; break;
        case GLFW_KEY_DELETE: event.code = KeyCode::Delete; event.character = 127; break;
        case GLFW_KEY_RIGHT: event.code = KeyCode::Right; break;
        case GLFW_KEY_LEFT: event.code = KeyCode::Left; break;
        case GLFW_KEY_UP: event.code = KeyCode::Up; break;
        case GLFW_KEY_DOWN: event.code = KeyCode::Down; break;
        case GLFW_KEY_PERIOD: event.code = KeyCode::Period; event.character = '.'; break;
        case GLFW_KEY_MINUS: event.character = '-'; break;
        default: return;
        }
    }
    if (!callbacks.keyDown.dispatch(event))
        std::printf("app keyDown %d '%c'\n", event.code, event.character >= 32 ? event.character : '?');
}

void onResize(GLFWwindow*, int width, int height)
{
    ResizeEvent event;
    event.width = width;
    event.height = height;
    if (!callbacks.resize.dispatch(event))
        std::printf("app resize %d %d\n", width, height);
}

// The picture under the panel: a dark field with coloured bars, so the panel's transparency shows.
void drawBackground(int width, int height)
{
    glViewport(0, 0, width, height);
    glClearColor(0.05f, 0.12f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float colours[3][3] = {{0.9f, 0.6f, 0.1f}, {0.2f, 0.7f, 0.3f}, {0.8f, 0.2f, 0.4f}};
    for (int i = 0; i < 3; ++i) {
        glColor3fv(colours[i]);
        const float y = 60.0f + 170.0f * static_cast<float>(i);
        glBegin(GL_QUADS);
        glVertex2f(0, y);
        glVertex2f(static_cast<float>(width), y);
        glVertex2f(static_cast<float>(width), y + 50);
        glVertex2f(0, y + 50);
        glEnd();
    }
}

struct Watched {
    std::string label;
    std::function<std::string()> value;
    std::string last;
};

} // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 60.0;
    if (!glfwInit()) {
        std::fprintf(stderr, "no display\n");
        return 1;
    }
    GLFWwindow* window = glfwCreateWindow(600, 600, "vornix panel demo", nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSetMouseButtonCallback(window, onButton);
    glfwSetCursorPosCallback(window, onMotion);
    glfwSetScrollCallback(window, onScroll);
    glfwSetKeyCallback(window, onKey);
    glfwSetFramebufferSizeCallback(window, onResize);

    std::int32_t preset = 0, scheme = 3, precision = 4, viscosity = 100, engine = 1, frames = 0;
    float brushVelocity = 10.0f, brushDensity = 20.0f, deltaTime = 0.1f, elapsed = 0.0f;
    bool paused = false, showHelp = false, lighting = true, online = true;
    int fullScreens = 0, resets = 0;

    ParamPanel panel("Simulation Parameters", {280, 480}, {0.3f, 0.3f, 0.3f, 0.4f});
    PanelManager::instance()->install(callbacks, 600, 600);
    panel.addEnumParam("vornix Preset", {"Fancy", "Pudding", "Smoke", "VJ", "Retro Plasma", "Sensitive"}, &preset);
    panel.addSeparator();
    panel.addButton("Full Screen", [&] { std::printf("button Full Screen %d\n", ++fullScreens); }, "key=ESC");
    panel.addButton("Reset Fluid", [&] { std::printf("button Reset Fluid %d\n", ++resets); },
                    "key=r help='Clear the density map and the velocities (and resume a paused simulation).'");
    panel.addEnumParam("Color Scheme",
                       {"Spectrum", "Black2White", "Infrared", "Blackbody", "Neon", "Winter", "Summer", "Random"},
                       &scheme);
    panel.addSeparator();
    panel.addParam("Simulation Paused", &paused, "key=space help='Pause simulation'");
    panel.addParam("Brushsize Velocity", &brushVelocity, "precision=0 min=1.0 max=100 step=1");
    panel.addParam("Brushsize Density", &brushDensity, "precision=0 min=1.0 max=100 step=1");
    panel.addParam("Velocity Precision", &precision, "min=0 max=100 step=1");
    panel.addSeparator();
    panel.addParam("Viscosity", &viscosity, "min=0 max=10000 step=5");
    panel.addParam("Delta Time", &deltaTime, "precision=2 min=0.01 max=1.00 step=0.01");
    panel.addEnumParam("Render Engine", {"CPU", "GPU"}, &engine);
    panel.addSeparator();
    panel.addParam("Show Help", &showHelp, "key=h help='Toggle help graphics.'");
    panel.addParam("Show 3D Lighting", &lighting, "key=l help='Toggle Orvando''s 3D lighting'");
    panel.addParam("Frames Drawn", &frames, "", true);
    panel.addParam("Seconds", &elapsed, "precision=1", true);
    panel.addParam("Online", &online, "", true);

    std::vector<Watched> watched;
    auto watch = [&](const std::string& label, auto* variable) {
        Watched w{label, [variable] {
                      std::ostringstream text;
                      text << +*variable;
                      return text.str();
                  },
                  ""};
        w.last = w.value();
        watched.push_back(std::move(w));
    };
    watch("vornix Preset", &preset);
    watch("Color Scheme", &scheme);
    watch("Simulation Paused", &paused);
    watch("Brushsize Velocity", &brushVelocity);
    watch("Velocity Precision", &precision);
    watch("Viscosity", &viscosity);
    watch("Delta Time", &deltaTime);
    watch("Render Engine", &engine);
    watch("Show Help", &showHelp);
    watch("Show 3D Lighting", &lighting);

    const auto start = std::chrono::steady_clock::now();
    while (!glfwWindowShouldClose(window)) {
        elapsed = std::chrono::duration<float>(std::chrono::steady_clock::now() - start).count();
        if (elapsed > seconds)
            break;
        glfwWaitEventsTimeout(1.0 / 30.0);
        runQueuedTasks();   // clicked buttons' actions, between frames as the shell's frame loop runs them
        int width = 0, height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        drawBackground(width, height);
        drawPanels();
        glfwSwapBuffers(window);
        ++frames;
        for (Watched& w : watched) {
            const std::string now = w.value();
            if (now != w.last) {
                std::printf("value %s = %s\n", w.label.c_str(), now.c_str());
                w.last = now;
            }
        }
        if (frames == 3) {
            if (const auto r = panel.rect())
                std::printf("panel %g %g %g %g\n", r->x, r->y, r->width, r->height);
            for (const char* label : {"vornix Preset", "Reset Fluid", "Simulation Paused", "Brushsize Velocity",
                                      "Velocity Precision", "Delta Time", "Render Engine", "Show Help"})
                if (const auto r = panel.entryRect(label))
                    std::printf("rect %s|%g %g %g %g\n", label, r->x, r->y, r->width, r->height);
            std::printf("ready\n");
        }
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
