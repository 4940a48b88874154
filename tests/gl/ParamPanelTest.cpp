// The panel bridge with synthetic events: what the panel consumes, what reaches the application, shortcuts, and
// editing within ranges through the real panel library, drawn in the shared GL context.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "shell/BetweenFrames.h"
#include "shell/Console.h"
#include "shell/EventCallbacks.h"
#include "shell/panel/PanelManager.h"
#include "shell/panel/ParamPanel.h"

using namespace vornix;

namespace {

// An application stand-in: the panel's handlers first, then hooks that record what reached the application.
class PanelApp {
public:
    PanelApp()
    {
        PanelManager::instance()->install(callbacks, 600, 600);
    }

    bool mouse(CallbackList<MouseEvent>& list, const char* name, float x, float y, int initiator, unsigned buttons,
               unsigned modifiers = 0)
    {
        MouseEvent event;
        event.initiator = initiator;
        event.x = static_cast<int>(x);
        event.y = static_cast<int>(y);
        event.modifiers = buttons | modifiers;
        const bool consumed = list.dispatch(event);
        if (!consumed)
            reached.push_back(name);
        return consumed;
    }
    bool press(float x, float y, unsigned modifiers = 0)
    {
        return mouse(callbacks.mouseDown, "down", x, y, 1, Modifier::LeftDown, modifiers);
    }
    bool drag(float x, float y) { return mouse(callbacks.mouseDrag, "drag", x, y, 0, Modifier::LeftDown); }
    bool move(float x, float y) { return mouse(callbacks.mouseMove, "move", x, y, 0, 0); }
    bool release(float x, float y) { return mouse(callbacks.mouseUp, "up", x, y, 1, 0); }
    bool wheel(float increment)
    {
        MouseEvent event;
        event.wheelIncrement = increment;
        const bool consumed = callbacks.mouseWheel.dispatch(event);
        if (!consumed)
            reached.push_back("wheel");
        return consumed;
    }
    bool key(int code, char character, unsigned modifiers = 0)
    {
        KeyEvent event;
        event.code = code;
        event.character = character;
        event.modifiers = modifiers;
        const bool consumed = callbacks.keyDown.dispatch(event);
        if (!consumed)
            reached.push_back(std::string("key ") + character);
        return consumed;
    }
    void click(float x, float y, unsigned modifiers = 0)
    {
        press(x, y, modifiers);
        frames(1);
        release(x, y);
        frames(1);
    }
    void type(const std::string& text)
    {
        for (char c : text)
            key(c >= 'a' && c <= 'z' ? c : 0, c);
        frames(static_cast<int>(text.size()) + 1);
    }
    // Frames as the frame loop runs them: the work queued between frames, then the drawing.
    static void frames(int n)
    {
        for (int i = 0; i < n; ++i) {
            runQueuedTasks();
            drawing = true;
            drawPanels();
            drawing = false;
        }
    }

    static inline bool drawing = false;

    EventCallbacks callbacks;
    std::vector<std::string> reached;
};

} // namespace

TEST(ParamPanel, PointerOverThePanelIsConsumedElsewhereItReachesTheApplication)
{
    ParamPanel panel("Consume", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    bool flag = false;
    panel.addParam("Flag", &flag);
    PanelApp app;
    // Before the first frame the panel has no place on screen and takes nothing.
    EXPECT_FALSE(app.move(50, 50));
    app.reached.clear();
    app.frames(2);
    ASSERT_TRUE(panel.rect());
    const PanelRect r = *panel.rect();
    EXPECT_FLOAT_EQ(r.width, 280);
    EXPECT_FLOAT_EQ(r.height, 300);

    const float inX = r.x + 20, inY = r.y + 40, outX = r.x + r.width + 100, outY = r.y + 40;
    EXPECT_TRUE(app.move(inX, inY));
    EXPECT_TRUE(app.press(inX, inY));
    // A drag that started on the panel stays the panel's outside it, release included.
    EXPECT_TRUE(app.drag(outX, outY));
    EXPECT_TRUE(app.release(outX, outY));
    app.frames(2);
    EXPECT_TRUE(app.reached.empty());

    EXPECT_FALSE(app.move(outX, outY));
    EXPECT_FALSE(app.press(outX, outY));
    // Over the panel even a drag that started outside is the panel's: it does not reach the application.
    EXPECT_TRUE(app.drag(inX, inY));
    EXPECT_TRUE(app.release(inX, inY));
    EXPECT_EQ(app.reached, (std::vector<std::string>{"move", "down"}));
    app.reached.clear();

    // The wheel goes by the pointer's last position.
    app.move(inX, inY);
    EXPECT_TRUE(app.wheel(1.0f));
    app.move(outX, outY);
    EXPECT_FALSE(app.wheel(-1.0f));

    // A hidden panel takes nothing.
    panel.hide();
    app.reached.clear();
    EXPECT_FALSE(app.press(inX, inY));
    EXPECT_FALSE(app.release(inX, inY));
    EXPECT_EQ(app.reached, (std::vector<std::string>{"down", "up"}));
    app.frames(1);
}

TEST(ParamPanel, WheelPositionIsTheSumOfIncrements)
{
    PanelApp app;
    const int start = PanelManager::instance()->wheelPosition();
    for (int step = 1; step <= 3; ++step) {
        app.wheel(1.0f);
        EXPECT_EQ(PanelManager::instance()->wheelPosition(), start + step);
    }
    app.wheel(-3.0f);
}

TEST(ParamPanel, ShortcutsActOnceAndKeepTheKeyFromTheApplication)
{
    ParamPanel panel("Shortcuts", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    bool paused = false, readOnlyFlag = false;
    int saves = 0;
    panel.addParam("Simulation Paused", &paused, "key=space help='Pause simulation'");
    panel.addParam("Locked", &readOnlyFlag, "key=x", true);
    panel.addButton("Save Picture", [&] { ++saves; }, "key=s help='Save the currently visible picture as a PNG'");
    PanelApp app;
    app.frames(1);

    EXPECT_TRUE(app.key(KeyCode::Space, ' '));
    EXPECT_TRUE(paused);
    EXPECT_TRUE(app.key(KeyCode::A + 18, 's'));
    EXPECT_EQ(saves, 1);
    app.frames(3);   // the press reached the library as a key tap; nothing acts a second time
    EXPECT_TRUE(paused);
    EXPECT_EQ(saves, 1);

    // While hidden the shortcuts still act, so the application never sees those keys.
    panel.hide();
    EXPECT_TRUE(app.key(KeyCode::Space, ' '));
    EXPECT_FALSE(paused);
    // Other keys, Ctrl+s and read-only entries' shortcuts reach the application.
    EXPECT_FALSE(app.key(KeyCode::A + 7, 'h'));
    EXPECT_FALSE(app.key(KeyCode::A + 18, 's', Modifier::Ctrl));
    EXPECT_FALSE(app.key(KeyCode::A + 23, 'x'));
    EXPECT_FALSE(readOnlyFlag);
    EXPECT_EQ(app.reached, (std::vector<std::string>{"key h", "key s", "key x"}));
    EXPECT_EQ(saves, 1);
}

TEST(ParamPanel, ResizeAlwaysReachesTheApplicationAfterThePanel)
{
    PanelApp app;
    std::vector<std::string> order;
    app.callbacks.resize.add([&](const ResizeEvent&) {
        order.push_back("application");
        return false;
    });
    ResizeEvent event;
    event.width = 800;
    event.height = 700;
    EXPECT_FALSE(app.callbacks.resize.dispatch(event));
    EXPECT_EQ(order, (std::vector<std::string>{"application"}));
    EXPECT_EQ(app.callbacks.resize.size(), 2u);
    event.width = 600;
    event.height = 600;
    app.callbacks.resize.dispatch(event);
}

TEST(ParamPanel, APanelPushedAsideByATinyWindowReturnsToWhereTheUserPutIt)
{
    ParamPanel panel("Home", {200, 150}, {0.3f, 0.3f, 0.3f, 0.4f});
    bool flag = false;
    panel.addParam("Flag", &flag);
    PanelApp app;
    auto resize = [&](int width, int height) {
        ResizeEvent event;
        event.width = width;
        event.height = height;
        app.callbacks.resize.dispatch(event);
        app.frames(2);
        return *panel.rect();
    };
    app.frames(2);
    ASSERT_TRUE(panel.rect());
    const PanelRect first = *panel.rect();

    // A 1 x 1 window leaves no room: the panel is pushed aside, and comes back with the room.
    const PanelRect tiny = resize(1, 1);
    EXPECT_LT(tiny.x, first.x);
    const PanelRect back = resize(600, 600);
    EXPECT_FLOAT_EQ(back.x, first.x);
    EXPECT_FLOAT_EQ(back.y, first.y);

    // The same while a button is held on the panel's body (as when its release went elsewhere).
    app.press(first.x + 150, first.y + 120);
    app.frames(1);
    resize(1, 1);
    const PanelRect heldBack = resize(600, 600);
    EXPECT_FLOAT_EQ(heldBack.x, first.x);
    EXPECT_FLOAT_EQ(heldBack.y, first.y);
    app.release(first.x + 150, first.y + 120);
    app.frames(1);

    // Moved by its title bar, that is its place from then on.
    app.press(first.x + 60, first.y + 8);
    app.frames(1);
    for (int step = 1; step <= 4; ++step) {
        app.drag(first.x + 60 + 25.0f * step, first.y + 8 + 20.0f * step);
        app.frames(1);
    }
    app.release(first.x + 160, first.y + 88);
    app.frames(1);
    const PanelRect moved = *panel.rect();
    EXPECT_FLOAT_EQ(moved.x, first.x + 100);
    EXPECT_FLOAT_EQ(moved.y, first.y + 80);
    resize(30, 20);
    const PanelRect again = resize(800, 700);
    EXPECT_FLOAT_EQ(again.x, moved.x);
    EXPECT_FLOAT_EQ(again.y, moved.y);

    // A window smaller than the place keeps the title bar on screen.
    const PanelRect small = resize(90, 70);
    EXPECT_GE(small.x, 0.0f);
    EXPECT_LE(small.x, 50.0f);
    EXPECT_GE(small.y, 0.0f);
    EXPECT_LE(small.y, 30.0f);
    resize(600, 600);
}

TEST(ParamPanel, EnumerationStoresThePositionOfTheChosenItem)
{
    ParamPanel panel("Enum", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    std::int32_t engine = 1;
    panel.addEnumParam("Render Engine", {"CPU", "GPU"}, &engine);
    PanelApp app;
    app.frames(2);
    const PanelRect combo = *panel.entryRect("Render Engine");
    app.click(combo.centerX(), combo.centerY());   // opens the list: CPU, GPU below the box
    app.frames(1);
    const float rowHeight = combo.height - 4 + 3;   // font height plus item spacing
    const float firstRow = combo.y + combo.height + 6 + rowHeight / 2;
    EXPECT_TRUE(app.press(combo.centerX(), firstRow));   // the open list is part of the panel
    app.frames(1);
    EXPECT_TRUE(app.release(combo.centerX(), firstRow));
    app.frames(2);
    EXPECT_EQ(engine, 0);

    app.click(combo.centerX(), combo.centerY());
    app.frames(1);
    app.click(combo.centerX(), firstRow + rowHeight);
    app.frames(1);
    EXPECT_EQ(engine, 1);
    EXPECT_TRUE(app.reached.empty());

    // The wheel over the closed box moves through the items and stops at the ends.
    app.move(combo.centerX(), combo.centerY());
    app.wheel(1.0f);
    app.frames(2);
    EXPECT_EQ(engine, 0);
    app.wheel(1.0f);
    app.frames(2);
    EXPECT_EQ(engine, 0);
}

TEST(ParamPanel, EscapeClosesAnOpenListBeforeAnythingElseSeesIt)
{
    ParamPanel panel("Esc", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    int fullScreen = 0;
    std::int32_t scheme = 1;
    panel.addButton("Full Screen", [&] { ++fullScreen; }, "key=ESC");
    panel.addEnumParam("Color Scheme", {"Spectrum", "Black2White", "Infrared"}, &scheme);
    PanelApp app;
    app.frames(2);
    const PanelRect combo = *panel.entryRect("Color Scheme");
    const float firstRow = combo.y + combo.height + 6 + (combo.height - 4 + 3) / 2;   // as in the test above

    app.click(combo.centerX(), combo.centerY());   // opens the list
    app.frames(1);
    EXPECT_TRUE(app.key(KeyCode::Escape, 27));
    app.frames(2);
    EXPECT_EQ(fullScreen, 0);   // the list took it
    app.click(combo.centerX(), firstRow);   // where "Spectrum" was: the list is gone
    app.frames(2);
    EXPECT_EQ(scheme, 1);

    // With no list open, Escape is the shortcut's again.
    EXPECT_TRUE(app.key(KeyCode::Escape, 27));
    app.frames(1);
    EXPECT_EQ(fullScreen, 1);
    EXPECT_TRUE(app.reached.empty());
}

TEST(ParamPanel, NumericEntriesStayWithinTheirRangeHoweverEdited)
{
    ParamPanel panel("Ranges", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    std::int32_t precision = 95;
    float deltaTime = 0.1f;
    int shortcutRuns = 0;
    panel.addParam("Velocity Precision", &precision, "min=0 max=100 step=1");
    panel.addParam("Delta Time", &deltaTime, "precision=2 min=0.01 max=1.00 step=0.01");
    panel.addButton("Run", [&] { ++shortcutRuns; }, "key=s");
    PanelApp app;
    app.frames(2);
    const PanelRect intBox = *panel.entryRect("Velocity Precision");
    const PanelRect floatBox = *panel.entryRect("Delta Time");

    // The + button, clicked past the end.
    const float plusX = intBox.x + intBox.width + 4 + intBox.height + 4 + intBox.height / 2;
    for (int i = 0; i < 8; ++i)
        app.click(plusX, intBox.centerY());
    EXPECT_EQ(precision, 100);

    // The wheel.
    app.move(intBox.centerX(), intBox.centerY());
    app.wheel(-150.0f);
    app.frames(2);
    EXPECT_EQ(precision, 0);

    // Dragging far to the right.
    app.press(floatBox.centerX(), floatBox.centerY());
    app.frames(1);
    for (int x = 1; x <= 5; ++x) {
        app.drag(floatBox.centerX() + 200.0f * x, floatBox.centerY());
        app.frames(1);
    }
    app.release(floatBox.centerX() + 1000, floatBox.centerY());
    app.frames(1);
    EXPECT_FLOAT_EQ(deltaTime, 1.0f);

    // Typing: Ctrl+click opens the text field; keys edit it and never reach the application or the shortcuts.
    app.click(intBox.centerX(), intBox.centerY(), Modifier::Ctrl);
    app.frames(1);
    EXPECT_TRUE(app.key(KeyCode::A, 'a', Modifier::Ctrl));   // select all
    app.frames(2);
    app.type("5000s");
    EXPECT_TRUE(app.key(KeyCode::Return, 13));
    app.frames(2);
    EXPECT_EQ(precision, 100);
    EXPECT_EQ(shortcutRuns, 0);
    EXPECT_TRUE(app.reached.empty());

    app.click(floatBox.centerX(), floatBox.centerY(), Modifier::Ctrl);
    app.frames(1);
    app.key(KeyCode::A, 'a', Modifier::Ctrl);
    app.frames(2);
    app.type("-3");
    app.key(KeyCode::Return, 13);
    app.frames(2);
    EXPECT_FLOAT_EQ(deltaTime, 0.01f);

    // After the edit the keys are the application's and the shortcuts' again.
    EXPECT_FALSE(app.key(0, '5'));
    EXPECT_TRUE(app.key(KeyCode::A + 18, 's'));
    EXPECT_EQ(shortcutRuns, 1);
}

TEST(ParamPanel, ButtonsRunBetweenFramesAndMayDrawAgain)
{
    ParamPanel panel("Buttons", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    int runs = 0, runsWhileDrawing = 0;
    panel.addButton("Save Picture", [&] {
        ++runs;
        runsWhileDrawing += PanelApp::drawing;
        panel.hide();
        drawPanels();   // the application's draw hook, called from a button: a frame without the panel
        panel.show();
    });
    PanelApp app;
    app.frames(2);
    const PanelRect button = *panel.entryRect("Save Picture");
    app.click(button.centerX(), button.centerY());
    app.frames(2);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(runsWhileDrawing, 0);
    EXPECT_TRUE(panel.isVisible());
}

TEST(ParamPanel, BadDefinitionsAreReportedOnceAndIgnored)
{
    ConsoleCapture capture;
    ParamPanel panel("Reports", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    std::int32_t value = 3;
    panel.addParam("Count", &value, "min=0 max=x wobble=2 key=q");
    panel.addButton("Nothing", {});
    PanelApp app;
    app.frames(3);
    ASSERT_EQ(capture.lines.size(), 4u);
    EXPECT_EQ(capture.lines[0], "Panel \"Reports\", entry \"Count\": malformed value in 'max=x'; ignored");
    EXPECT_NE(capture.lines[1].find("wobble=2"), std::string::npos);
    EXPECT_NE(capture.lines[2].find("key="), std::string::npos);
    EXPECT_NE(capture.lines[3].find("no callback"), std::string::npos);
    // The button without a callback can be pressed without harm.
    const PanelRect button = *panel.entryRect("Nothing");
    app.click(button.centerX(), button.centerY());
}

TEST(ParamPanel, AClickJustBeforeThePanelIsHiddenStillTakesEffect)
{
    ParamPanel panel("Settle", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    bool flag = false;
    panel.addParam("Flag", &flag);
    PanelApp app;
    app.frames(2);
    const auto box = panel.entryRect("Flag");
    ASSERT_TRUE(box);
    // Press and release arrive between two frames, and the panel is hidden before the next frame.
    app.move(box->centerX(), box->centerY());
    app.press(box->centerX(), box->centerY());
    app.release(box->centerX(), box->centerY());
    panel.hide();
    EXPECT_TRUE(flag);
    app.frames(1);
    panel.show();
    app.frames(2);
    EXPECT_TRUE(flag);   // shown again: the old click does not act a second time
}

TEST(ParamPanel, ADoubleClickOpensTheTextFieldForTheKeysThatFollowEvenWhenFramesAreSlow)
{
    ParamPanel panel("Slow", {280, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    std::int32_t value = 20;
    panel.addParam("Value", &value, "min=0 max=100 step=1");
    PanelApp app;
    app.frames(2);
    const PanelRect box = *panel.entryRect("Value");
    // A quick double-click between two frames of a machine drawing three frames a second: the panel takes one
    // change of a button per frame, so the second press reaches it two slow frames after the first.
    app.move(box.centerX(), box.centerY());
    for (int k = 0; k < 2; ++k) {
        app.press(box.centerX(), box.centerY());
        app.release(box.centerX(), box.centerY());
    }
    for (int k = 0; k < 5; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(350));
        app.frames(1);
    }
    app.type("80");
    app.key(KeyCode::Return, 13);
    app.frames(2);
    EXPECT_EQ(value, 80);

    // Typed before the next frame: the keys go to the field the double-click opens, not to the application.
    for (int k = 0; k < 2; ++k) {
        app.press(box.centerX(), box.centerY());
        app.release(box.centerX(), box.centerY());
    }
    app.type("35");
    app.key(KeyCode::Return, 13);
    app.frames(2);
    EXPECT_EQ(value, 35);
    EXPECT_TRUE(app.reached.empty());
}

TEST(ParamPanel, ATextFieldTakesTheKeysTypedIntoItAndGrowsItsString)
{
    ParamPanel panel("Text", {280, 200}, {0.3f, 0.3f, 0.3f, 0.4f});
    std::string name = "x";
    bool toggled = false;
    panel.addTextInput("Name", &name);
    panel.addParam("Toggle", &toggled, "key=t");
    PanelApp app;
    app.frames(2);
    const PanelRect field = *panel.entryRect("Name");
    app.click(field.centerX(), field.centerY());
    const std::string longText(300, 't');   // 't' is also a shortcut: inside the field it is text
    app.type(longText);
    EXPECT_EQ(name, "x" + longText);
    EXPECT_FALSE(toggled);
    EXPECT_TRUE(app.reached.empty());
}

TEST(ParamPanel, ATextKeepingRoomForTwoLinesLeavesTheRowsBelowInPlace)
{
    ParamPanel panel("Lines", {200, 300}, {0.3f, 0.3f, 0.3f, 0.4f});
    std::string state = "off";
    bool below = false;
    panel.addText("", [&] { return state; }, "lines=2");
    panel.addParam("Below", &below);
    PanelApp app;
    app.frames(2);
    const float shortTop = panel.entryRect("Below")->y;
    state = "no audio system answers (Connection refused)";   // two lines at this width
    app.frames(2);
    EXPECT_EQ(panel.entryRect("Below")->y, shortTop);
    state = std::string(40, 'w') + " " + std::string(40, 'w') + " " + std::string(40, 'w');   // more: the rows move
    app.frames(2);
    EXPECT_GT(panel.entryRect("Below")->y, shortTop);
}
