// Raw window-system input (GLFW values) into event records: key codes and characters, modifier bits, and the one
// button-held flag that decides between drag and move.
#include <gtest/gtest.h>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <string>
#include <vector>

#include "shell/platform/InputTranslator.h"

using vornix::KeyEvent;
using vornix::MouseEvent;
using vornix::platform::InputTranslator;
namespace KeyCode = vornix::KeyCode;
namespace Modifier = vornix::Modifier;

namespace {

struct Recorded {
    std::string kind;
    MouseEvent mouse;
    KeyEvent key;
    vornix::FileDropEvent drop;
};

class Recorder : public vornix::platform::InputTarget {
public:
    void mouseDown(const MouseEvent& e) override { events.push_back({"down", e, {}, {}}); }
    void mouseUp(const MouseEvent& e) override { events.push_back({"up", e, {}, {}}); }
    void mouseMove(const MouseEvent& e) override { events.push_back({"move", e, {}, {}}); }
    void mouseDrag(const MouseEvent& e) override { events.push_back({"drag", e, {}, {}}); }
    void mouseWheel(const MouseEvent& e) override { events.push_back({"wheel", e, {}, {}}); }
    void keyDown(const KeyEvent& e) override { events.push_back({"keyDown", {}, e, {}}); }
    void keyUp(const KeyEvent& e) override { events.push_back({"keyUp", {}, {}, {}}); events.back().key = e; }
    void fileDrop(const vornix::FileDropEvent& e) override { events.push_back({"drop", {}, {}, e}); }

    std::vector<std::string> kinds() const
    {
        std::vector<std::string> out;
        for (const auto& e : events)
            out.push_back(e.kind);
        return out;
    }
    std::vector<Recorded> events;
};

} // namespace

TEST(KeyTranslation, CodesFollowTheTable)
{
    struct Case {
        int glfwKey, code;
    };
    const Case cases[] = {
        {GLFW_KEY_BACKSPACE, 8},   {GLFW_KEY_TAB, 9},          {GLFW_KEY_ENTER, 13},       {GLFW_KEY_KP_ENTER, 13},
        {GLFW_KEY_PAUSE, 19},      {GLFW_KEY_ESCAPE, 27},      {GLFW_KEY_SPACE, 32},       {GLFW_KEY_DELETE, 127},
        {GLFW_KEY_0, 48},          {GLFW_KEY_9, 57},           {GLFW_KEY_A, 97},           {GLFW_KEY_Z, 122},
        {GLFW_KEY_KP_DIVIDE, 267}, {GLFW_KEY_KP_MULTIPLY, 268}, {GLFW_KEY_KP_SUBTRACT, 269}, {GLFW_KEY_KP_ADD, 270},
        {GLFW_KEY_UP, 273},        {GLFW_KEY_DOWN, 274},       {GLFW_KEY_RIGHT, 275},      {GLFW_KEY_LEFT, 276},
        {GLFW_KEY_INSERT, 277},    {GLFW_KEY_HOME, 278},       {GLFW_KEY_END, 279},        {GLFW_KEY_PAGE_UP, 280},
        {GLFW_KEY_PAGE_DOWN, 281}, {GLFW_KEY_F1, 282},         {GLFW_KEY_F15, 296},        {GLFW_KEY_F16, 0},
        {GLFW_KEY_NUM_LOCK, 300},  {GLFW_KEY_CAPS_LOCK, 301},  {GLFW_KEY_SCROLL_LOCK, 302},
        {GLFW_KEY_RIGHT_SHIFT, 303}, {GLFW_KEY_LEFT_SHIFT, 304}, {GLFW_KEY_RIGHT_CONTROL, 305},
        {GLFW_KEY_LEFT_CONTROL, 306}, {GLFW_KEY_RIGHT_ALT, 307}, {GLFW_KEY_LEFT_ALT, 308},
        {GLFW_KEY_LEFT_SUPER, 311}, {GLFW_KEY_RIGHT_SUPER, 312}, {GLFW_KEY_PRINT_SCREEN, 316}, {GLFW_KEY_MENU, 319},
        {GLFW_KEY_SEMICOLON, 59},  {GLFW_KEY_EQUAL, 61},       {GLFW_KEY_COMMA, 44},       {GLFW_KEY_PERIOD, 46},
        {GLFW_KEY_SLASH, 47},      {GLFW_KEY_GRAVE_ACCENT, 96}, {GLFW_KEY_LEFT_BRACKET, 91}, {GLFW_KEY_BACKSLASH, 92},
        {GLFW_KEY_RIGHT_BRACKET, 93}, {GLFW_KEY_APOSTROPHE, 39}, {GLFW_KEY_WORLD_2, 60},   {GLFW_KEY_MINUS, 0},
        {GLFW_KEY_WORLD_1, 60},    {GLFW_KEY_KP_EQUAL, 0},    {GLFW_KEY_UNKNOWN, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InputTranslator::keyCode(c.glfwKey, 0), c.code) << "GLFW key " << c.glfwKey;
}

TEST(KeyTranslation, KeypadDependsOnNumLock)
{
    EXPECT_EQ(InputTranslator::keyCode(GLFW_KEY_KP_0, GLFW_MOD_NUM_LOCK), 256);
    EXPECT_EQ(InputTranslator::keyCode(GLFW_KEY_KP_9, GLFW_MOD_NUM_LOCK), 265);
    EXPECT_EQ(InputTranslator::keyCode(GLFW_KEY_KP_DECIMAL, GLFW_MOD_NUM_LOCK), 266);
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_KP_7, GLFW_MOD_NUM_LOCK), '7');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_KP_DECIMAL, GLFW_MOD_NUM_LOCK), '.');
    // Without Num Lock the keypad is a navigation block.
    EXPECT_EQ(InputTranslator::keyCode(GLFW_KEY_KP_0, 0), KeyCode::Insert);
    EXPECT_EQ(InputTranslator::keyCode(GLFW_KEY_KP_5, 0), KeyCode::Clear);
    EXPECT_EQ(InputTranslator::keyCode(GLFW_KEY_KP_6, 0), KeyCode::Right);
    EXPECT_EQ(InputTranslator::keyCode(GLFW_KEY_KP_DECIMAL, 0), KeyCode::Delete);
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_KP_7, 0), 0);
}

TEST(KeyTranslation, CharactersHonourShiftAndCapsLockButNotControl)
{
    Recorder target;
    InputTranslator input(target);
    input.key(GLFW_KEY_A, 0, GLFW_PRESS, GLFW_MOD_CONTROL);
    input.key(GLFW_KEY_A, 0, GLFW_PRESS, GLFW_MOD_SHIFT);
    input.key(GLFW_KEY_MINUS, 0, GLFW_PRESS, 0);
    input.key(GLFW_KEY_MINUS, 0, GLFW_RELEASE, GLFW_MOD_SHIFT);
    ASSERT_EQ(target.kinds(), (std::vector<std::string>{"keyDown", "keyDown", "keyDown", "keyUp"}));
    EXPECT_EQ(target.events[0].key.code, 97);
    EXPECT_EQ(target.events[0].key.character, 'a');
    EXPECT_EQ(target.events[0].key.modifiers, Modifier::Ctrl);
    EXPECT_EQ(target.events[1].key.code, 97);
    EXPECT_EQ(target.events[1].key.character, 'A');
    EXPECT_EQ(target.events[1].key.modifiers, Modifier::Shift);
    EXPECT_EQ(target.events[2].key.code, 0);   // minus is not in the table
    EXPECT_EQ(target.events[2].key.character, '-');
    EXPECT_EQ(target.events[3].key.character, '_');
    EXPECT_EQ(target.events[3].key.nativeKeyCode, GLFW_KEY_MINUS);

    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_Q, GLFW_MOD_CAPS_LOCK), 'Q');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_Q, GLFW_MOD_CAPS_LOCK | GLFW_MOD_SHIFT), 'q');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_2, GLFW_MOD_SHIFT), '@');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_0, GLFW_MOD_SHIFT), ')');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_7, GLFW_MOD_ALT), '7');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_SLASH, GLFW_MOD_SHIFT), '?');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_SPACE, 0), ' ');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_ENTER, 0), '\r');
    EXPECT_EQ(InputTranslator::keyCharacter(GLFW_KEY_ESCAPE, 0), 27);
    // Keys that give no single character.
    for (int key : {GLFW_KEY_RIGHT, GLFW_KEY_F1, GLFW_KEY_LEFT_SHIFT, GLFW_KEY_DELETE, GLFW_KEY_HOME, GLFW_KEY_UNKNOWN})
        EXPECT_EQ(InputTranslator::keyCharacter(key, GLFW_MOD_SHIFT), 0) << key;
}

TEST(KeyTranslation, LayoutLabelsGiveLetterCodesAndTextInputGivesCharacters)
{
    Recorder target;
    InputTranslator input(target);
    const auto last = [&] { return target.events.back().key; };
    // AZERTY: 'm' sits on the US ';' place, '1' is Shift and the '&' key, ',' on the US 'm' place.
    input.key(GLFW_KEY_SEMICOLON, 0, GLFW_PRESS, 0, "m");
    EXPECT_TRUE(target.events.empty());   // waits for its text
    input.character('m');
    ASSERT_EQ(target.kinds(), std::vector<std::string>{"keyDown"});
    EXPECT_EQ(last().code, 109);
    EXPECT_EQ(last().character, 'm');
    input.key(GLFW_KEY_1, 0, GLFW_PRESS, GLFW_MOD_SHIFT, "&");
    input.character('1');
    EXPECT_EQ(last().code, 49);
    EXPECT_EQ(last().character, '1');
    input.key(GLFW_KEY_M, 0, GLFW_PRESS, 0, ",");
    input.character(',');
    EXPECT_EQ(last().code, 44);
    // Control+A brings no text: the letter comes from the label, and the release carries the press's character.
    input.key(GLFW_KEY_Q, 0, GLFW_PRESS, GLFW_MOD_CONTROL, "a");
    input.key(GLFW_KEY_Q, 0, GLFW_RELEASE, GLFW_MOD_CONTROL, "a");
    ASSERT_EQ(target.events.size(), 5u);
    EXPECT_EQ(target.events[3].key.code, 97);
    EXPECT_EQ(target.events[3].key.character, 'a');
    EXPECT_EQ(target.events[4].kind, "keyUp");
    EXPECT_EQ(target.events[4].key.character, 'a');
    // QWERTZ: '-' on the US '/' place has no code; a dead key (no label, no text) keeps its place's code and no
    // character, and a waiting press goes before the mouse event that follows it.
    input.key(GLFW_KEY_SLASH, 0, GLFW_PRESS, 0, "-");
    input.character('-');
    EXPECT_EQ(last().code, 0);
    EXPECT_EQ(last().character, '-');
    input.key(GLFW_KEY_EQUAL, 0, GLFW_PRESS, 0, "");
    input.cursorPos(5, 5);
    ASSERT_EQ(target.events.size(), 8u);
    EXPECT_EQ(target.events[6].key.code, 61);
    EXPECT_EQ(target.events[6].key.character, 0);
    EXPECT_EQ(target.events[7].kind, "move");
    // A letter of another script stands for its place's Latin letter, code and character (Russian: 'ф' on A, 'Ь'
    // with Shift on M, Control+'с' on C without text; Greek: 'ς' on W). Latin-1 text is itself; other text gives 0.
    input.key(GLFW_KEY_A, 0, GLFW_PRESS, 0, "\xd1\x84");
    input.character(0x444);
    EXPECT_EQ(last().code, 97);
    EXPECT_EQ(last().character, 'a');
    input.key(GLFW_KEY_M, 0, GLFW_PRESS, GLFW_MOD_SHIFT, "\xd1\x8c");
    input.character(0x42c);
    EXPECT_EQ(last().code, 109);
    EXPECT_EQ(last().character, 'M');
    input.key(GLFW_KEY_C, 0, GLFW_PRESS, GLFW_MOD_CONTROL, "\xd1\x81");
    input.flush();
    EXPECT_EQ(last().character, 'c');
    input.key(GLFW_KEY_W, 0, GLFW_PRESS, 0, "\xcf\x82");
    input.character(0x3c2);
    EXPECT_EQ(last().character, 'w');
    input.key(GLFW_KEY_3, 0, GLFW_PRESS, GLFW_MOD_SHIFT, "3");
    input.character(0x2116);   // '№' on the digit row
    EXPECT_EQ(last().character, 0);
    input.key(GLFW_KEY_2, 0, GLFW_PRESS, 0, "\xc3\xa9");
    input.character(0xe9);
    EXPECT_EQ(static_cast<unsigned char>(last().character), 0xe9);
    // Where the layout agrees with the US one, a press without text gives what it gives there.
    input.key(GLFW_KEY_2, 0, GLFW_PRESS, GLFW_MOD_CONTROL | GLFW_MOD_SHIFT, "2");
    input.flush();
    EXPECT_EQ(last().character, '@');
    // A key with no place on a US keyboard (one an on-screen keyboard binds for the moment) types its text.
    input.key(GLFW_KEY_UNKNOWN, 99, GLFW_PRESS, GLFW_MOD_SHIFT, "");
    input.character('0');
    EXPECT_EQ(last().code, 0);
    EXPECT_EQ(last().character, '0');
    const std::size_t count = target.events.size();
    input.character('x');   // text with no press waiting adds nothing
    input.flush();
    EXPECT_EQ(target.events.size(), count);
}

TEST(KeyTranslation, ReleasesOfKeysWithoutANamePairWithTheirPressesByScancode)
{
    // AZERTY's digit row under Wine: é/2 and à/0 arrive with no key, scancodes 0x60 and 0x63, the typed text after
    // the press; releases bring neither text nor key. Replayed in the recorded order, two keys overlapping.
    Recorder target;
    InputTranslator input(target);
    input.key(GLFW_KEY_LEFT_SHIFT, 0x32, GLFW_PRESS, 0, "");
    input.key(GLFW_KEY_UNKNOWN, 0x63, GLFW_PRESS, GLFW_MOD_SHIFT, "");
    input.character('0');
    input.key(GLFW_KEY_UNKNOWN, 0x60, GLFW_PRESS, GLFW_MOD_SHIFT, "");
    input.character('2');
    input.key(GLFW_KEY_UNKNOWN, 0x63, GLFW_RELEASE, GLFW_MOD_SHIFT, "");
    input.key(GLFW_KEY_UNKNOWN, 0x60, GLFW_RELEASE, GLFW_MOD_SHIFT, "");
    input.key(GLFW_KEY_UNKNOWN, 0x63, GLFW_RELEASE, GLFW_MOD_SHIFT, "");   // a release without its press
    ASSERT_EQ(target.kinds(), (std::vector<std::string>{"keyDown", "keyDown", "keyDown", "keyUp", "keyUp", "keyUp"}));
    EXPECT_EQ(target.events[1].key.character, '0');
    EXPECT_EQ(target.events[2].key.character, '2');
    EXPECT_EQ(target.events[3].key.character, '0');
    EXPECT_EQ(target.events[4].key.character, '2');
    EXPECT_EQ(target.events[5].key.character, 0);
    for (const Recorded& e : target.events)
        EXPECT_EQ(e.key.modifiers, Modifier::Shift);
}

TEST(KeyTranslation, ModifierKeysCarryTheirOwnBitWhilePressedAndAltF4IsAKey)
{
    Recorder target;
    InputTranslator input(target);
    // The window system reports the state before the key: Shift's own press lacks the flag, its release has it.
    input.key(GLFW_KEY_LEFT_SHIFT, 0, GLFW_PRESS, 0);
    input.key(GLFW_KEY_LEFT_SHIFT, 0, GLFW_RELEASE, GLFW_MOD_SHIFT);
    input.key(GLFW_KEY_LEFT_ALT, 0, GLFW_PRESS, 0);
    input.key(GLFW_KEY_F4, 0, GLFW_PRESS, GLFW_MOD_ALT);
    input.key(GLFW_KEY_F4, 0, GLFW_REPEAT, GLFW_MOD_ALT | GLFW_MOD_SUPER | GLFW_MOD_CONTROL | GLFW_MOD_SHIFT);
    ASSERT_EQ(target.events.size(), 5u);
    EXPECT_EQ(target.events[0].key.modifiers, Modifier::Shift);
    EXPECT_EQ(target.events[0].key.code, KeyCode::LeftShift);
    EXPECT_EQ(target.events[1].key.modifiers, 0u);
    EXPECT_EQ(target.events[2].key.modifiers, Modifier::Alt);
    EXPECT_EQ(target.events[3].kind, "keyDown");
    EXPECT_EQ(target.events[3].key.code, 285);
    EXPECT_EQ(target.events[3].key.modifiers, Modifier::Alt);
    EXPECT_EQ(target.events[4].kind, "keyDown");   // auto-repeat
    EXPECT_EQ(target.events[4].key.modifiers, Modifier::Alt | Modifier::Meta | Modifier::Ctrl | Modifier::Shift);
}

TEST(MouseTranslation, PressDragOutsideAndReleaseKeepSignedCoordinates)
{
    Recorder target;
    InputTranslator input(target);
    input.cursorPos(100.7, 50.2);
    input.mouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS, GLFW_MOD_SHIFT);
    input.cursorPos(-20.0, -3.5);
    input.cursorPos(900.0, 700.0);
    input.mouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_RELEASE, 0);
    input.cursorPos(300.0, 300.0);
    ASSERT_EQ(target.kinds(), (std::vector<std::string>{"move", "down", "drag", "drag", "up", "move"}));
    const auto& ev = target.events;
    EXPECT_EQ(ev[0].mouse.x, 100);
    EXPECT_EQ(ev[0].mouse.y, 50);
    EXPECT_EQ(ev[0].mouse.initiator, 0);
    EXPECT_EQ(ev[1].mouse.initiator, MouseEvent::LeftButton);
    EXPECT_EQ(ev[1].mouse.modifiers, Modifier::LeftDown | Modifier::Shift);
    EXPECT_EQ(ev[1].mouse.x, 100);
    EXPECT_EQ(ev[2].mouse.x, -20);
    EXPECT_EQ(ev[2].mouse.y, -4);
    EXPECT_EQ(ev[2].mouse.initiator, 0);
    EXPECT_TRUE(ev[2].mouse.isLeftDown());
    EXPECT_EQ(ev[3].mouse.x, 900);
    EXPECT_EQ(ev[3].mouse.y, 700);
    EXPECT_EQ(ev[4].mouse.initiator, MouseEvent::LeftButton);
    EXPECT_EQ(ev[4].mouse.modifiers, 0u);
    EXPECT_EQ(ev[4].mouse.x, 900);
    EXPECT_FALSE(input.buttonHeld());
}

TEST(MouseTranslation, OneHeldFlagForAllButtons)
{
    Recorder target;
    InputTranslator input(target);
    input.mouseButton(GLFW_MOUSE_BUTTON_LEFT, GLFW_PRESS, 0);
    input.mouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, 0);
    input.cursorPos(10, 10);
    input.mouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_RELEASE, 0);
    input.cursorPos(11, 10);   // left still down, but the flag is clear: a move
    input.mouseButton(GLFW_MOUSE_BUTTON_MIDDLE, GLFW_PRESS, 0);
    input.cursorPos(12, 10);
    input.mouseButton(4, GLFW_PRESS, 0);   // extra buttons are not reported
    ASSERT_EQ(target.kinds(),
              (std::vector<std::string>{"down", "down", "drag", "up", "move", "down", "drag"}));
    const auto& ev = target.events;
    EXPECT_EQ(ev[1].mouse.initiator, MouseEvent::RightButton);
    EXPECT_EQ(ev[2].mouse.modifiers, Modifier::LeftDown | Modifier::RightDown);
    EXPECT_EQ(ev[3].mouse.initiator, MouseEvent::RightButton);
    EXPECT_EQ(ev[4].mouse.modifiers, Modifier::LeftDown);
    EXPECT_EQ(ev[5].mouse.initiator, MouseEvent::MiddleButton);
    EXPECT_EQ(ev[6].mouse.modifiers, Modifier::LeftDown | Modifier::MiddleDown);
}

TEST(MouseTranslation, FocusLossEndsADragWithAnInitiatorlessUp)
{
    Recorder target;
    InputTranslator input(target);
    input.focus(false);   // nothing held: nothing to deliver
    input.mouseButton(GLFW_MOUSE_BUTTON_RIGHT, GLFW_PRESS, 0);
    input.cursorPos(40, 30);
    input.focus(false);
    input.cursorPos(41, 30);
    input.focus(true);
    ASSERT_EQ(target.kinds(), (std::vector<std::string>{"down", "drag", "up", "move"}));
    EXPECT_EQ(target.events[2].mouse.initiator, 0);
    EXPECT_EQ(target.events[2].mouse.x, 40);
    EXPECT_EQ(target.events[3].mouse.modifiers, 0u);
    EXPECT_FALSE(input.buttonHeld());
}

TEST(MouseTranslation, WheelNotchesAndFileDropsAtTheCursor)
{
    Recorder target;
    InputTranslator input(target);
    input.cursorPos(70, 80);
    input.scroll(0.0, -2.0);
    input.scroll(1.0, 0.0);   // horizontal scrolling is not a wheel event
    input.drop({"/tmp/a.png", "/tmp/b c.jpg"});
    ASSERT_EQ(target.kinds(), (std::vector<std::string>{"move", "wheel", "drop"}));
    EXPECT_EQ(target.events[1].mouse.wheelIncrement, -2.0f);
    EXPECT_EQ(target.events[1].mouse.initiator, 0);
    EXPECT_EQ(target.events[1].mouse.x, 70);
    EXPECT_EQ(target.events[2].drop.files, (std::vector<std::string>{"/tmp/a.png", "/tmp/b c.jpg"}));
    EXPECT_EQ(target.events[2].drop.y, 80);
}
