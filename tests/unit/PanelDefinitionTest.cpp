// Definition strings, the panel's own definition text, the key map and the wheel position of the panel bridge.
#include <gtest/gtest.h>

#include "shell/panel/DefinitionString.h"
#include "shell/panel/PanelKeyMap.h"
#include "shell/panel/ParamPanel.h"

using namespace vornix;

namespace {

KeyEvent key(int code, char character, unsigned modifiers = 0)
{
    KeyEvent event;
    event.code = code;
    event.character = character;
    event.modifiers = modifiers;
    return event;
}

} // namespace

TEST(PanelDefinition, ReadsEveryEntryAttributeTheApplicationUses)
{
    const Definition def = parseDefinition("precision=2 min=0.01 max=1.00 step=0.01", DefinitionTarget::Entry);
    EXPECT_TRUE(def.errors.empty());
    EXPECT_EQ(def.precision, 2);
    EXPECT_DOUBLE_EQ(*def.min, 0.01);
    EXPECT_DOUBLE_EQ(*def.max, 1.0);
    EXPECT_DOUBLE_EQ(*def.step, 0.01);
    EXPECT_FALSE(def.key);

    const Definition reset = parseDefinition(
        "key=r help='Clear the density map and the velocities (and resume a paused simulation).'",
        DefinitionTarget::Entry);
    EXPECT_TRUE(reset.errors.empty());
    EXPECT_EQ(reset.help, "Clear the density map and the velocities (and resume a paused simulation).");
    EXPECT_TRUE(reset.key->matches(key(KeyCode::A + 17, 'r')));
    EXPECT_EQ(reset.keyText, "r");
    EXPECT_FALSE(reset.sameLine);
    EXPECT_TRUE(parseDefinition("key=o sameline=true", DefinitionTarget::Entry).sameLine);

    EXPECT_TRUE(parseDefinition("", DefinitionTarget::Entry).errors.empty());
}

TEST(PanelDefinition, DoubledQuoteInHelpStandsForOneQuote)
{
    const Definition def = parseDefinition("key=l help='Toggle Orvando''s 3D lighting'", DefinitionTarget::Entry);
    EXPECT_TRUE(def.errors.empty());
    EXPECT_EQ(def.help, "Toggle Orvando's 3D lighting");
    EXPECT_EQ(parseDefinition("help=''''", DefinitionTarget::Entry).help, "'");
    EXPECT_EQ(parseDefinition("help=''", DefinitionTarget::Entry).help, "");
}

TEST(PanelDefinition, BadPartsAreReportedAndSkippedWhileTheRestIsKept)
{
    const Definition def = parseDefinition("min=abc max=10 colour=3 step=0 frobnicate precision=-1 key=nokey",
                                           DefinitionTarget::Entry);
    EXPECT_EQ(def.errors.size(), 6u);
    EXPECT_FALSE(def.min);
    EXPECT_DOUBLE_EQ(*def.max, 10.0);
    EXPECT_FALSE(def.step);
    EXPECT_FALSE(def.precision);
    EXPECT_FALSE(def.key);

    // An unterminated quote ends parsing with one message; what came before it stays.
    const Definition open = parseDefinition("min=1 help='no end", DefinitionTarget::Entry);
    EXPECT_EQ(open.errors.size(), 1u);
    EXPECT_DOUBLE_EQ(*open.min, 1.0);
    EXPECT_TRUE(open.help.empty());

    const Definition inverted = parseDefinition("min=5 max=1", DefinitionTarget::Entry);
    EXPECT_EQ(inverted.errors.size(), 1u);
    EXPECT_FALSE(inverted.min);
    EXPECT_FALSE(inverted.max);

    // Entry attributes mean nothing for a panel and the other way round.
    EXPECT_EQ(parseDefinition("`T` size='1 2' min=1", DefinitionTarget::Panel).errors.size(), 1u);
    EXPECT_EQ(parseDefinition("size='1 2'", DefinitionTarget::Entry).errors.size(), 1u);
}

static bool nothingSet(const Definition& d)
{
    return !d.key && d.keyText.empty() && d.help.empty() && !d.precision && !d.min && !d.max && !d.step &&
           d.barName.empty() && !d.size && !d.color && !d.alpha;
}

TEST(PanelDefinition, HostileTextGivesOneMessageAndSetsNothing)
{
    // text, messages as an entry's definition, messages as a panel's
    const struct {
        const char* text;
        std::size_t entry, panel;
    } cases[] = {{"=", 1, 1},       {"==", 1, 1},        {"'", 1, 1},         {"`", 1, 1},           {"``", 1, 0},
                 {"key=", 1, 1},    {"help=", 0, 1},     {"a=b=c", 1, 1},     {"   ", 0, 0},         {"\t\n", 0, 0},
                 {"help='x'y", 1, 1}, {"key='", 1, 1},   {"min=1e999", 1, 1}, {"size='1 2 3'", 1, 1}, {"max=nan", 1, 1}};
    for (const auto& c : cases) {
        const Definition entry = parseDefinition(c.text, DefinitionTarget::Entry);
        EXPECT_EQ(entry.errors.size(), c.entry) << "entry: " << c.text;
        EXPECT_TRUE(nothingSet(entry)) << "entry: " << c.text;
        const Definition bar = parseDefinition(c.text, DefinitionTarget::Panel);
        EXPECT_EQ(bar.errors.size(), c.panel) << "panel: " << c.text;
        EXPECT_TRUE(nothingSet(bar)) << "panel: " << c.text;
    }
    // Each message quotes the part it ignored.
    EXPECT_EQ(parseDefinition("max=nan", DefinitionTarget::Entry).errors,
              (std::vector<std::string>{"malformed value in 'max=nan'"}));
    EXPECT_EQ(parseDefinition("a=b=c", DefinitionTarget::Panel).errors,
              (std::vector<std::string>{"unknown definition 'a=b=c'"}));
}

TEST(PanelDefinition, ShortcutsMatchTheirKeyOnly)
{
    const auto space = parseKeyShortcut("space");
    const auto right = parseKeyShortcut("right");
    const auto esc = parseKeyShortcut("ESC");
    ASSERT_TRUE(space && right && esc);
    EXPECT_TRUE(space->matches(key(KeyCode::Space, ' ')));
    EXPECT_TRUE(right->matches(key(KeyCode::Right, 0)));
    EXPECT_TRUE(esc->matches(key(KeyCode::Escape, 27)));
    EXPECT_FALSE(right->matches(key(KeyCode::Left, 0)));
    EXPECT_FALSE(esc->matches(key(KeyCode::Escape, 27, Modifier::Ctrl)));

    // A letter matches its character exactly: Shift+s gives 'S', Ctrl+s needs a Ctrl shortcut.
    const auto s = parseKeyShortcut("s");
    EXPECT_TRUE(s->matches(key(KeyCode::A + 18, 's')));
    EXPECT_FALSE(s->matches(key(KeyCode::A + 18, 'S', Modifier::Shift)));
    EXPECT_FALSE(s->matches(key(KeyCode::A + 18, 's', Modifier::Ctrl)));
    EXPECT_TRUE(parseKeyShortcut("CTRL+s")->matches(key(KeyCode::A + 18, 's', Modifier::Ctrl)));
    EXPECT_TRUE(parseKeyShortcut("SHIFT+s")->matches(key(KeyCode::A + 18, 'S', Modifier::Shift)));
    EXPECT_EQ(parseKeyShortcut("F5")->code, KeyCode::F1 + 4);
    EXPECT_FALSE(parseKeyShortcut("F16"));
    EXPECT_FALSE(parseKeyShortcut("hyper+x"));
    EXPECT_FALSE(parseKeyShortcut(""));
}

TEST(PanelDefinition, PanelDefinitionTruncatesColourComponents)
{
    const std::string text = panelBarDefinition("Simulation Parameters", {280, 480}, {0.3f, 0.3f, 0.3f, 0.4f});
    EXPECT_EQ(text, "`Simulation Parameters` size='280 480' color='76 76 76' alpha=102");
    EXPECT_EQ(panelBarDefinition("x", {1, 2}, {1.0f, 0.0f, 0.999f, 0.5f}), "`x` size='1 2' color='255 0 254' alpha=127");

    const Definition def = parseDefinition(text, DefinitionTarget::Panel);
    EXPECT_TRUE(def.errors.empty());
    EXPECT_EQ(def.barName, "Simulation Parameters");
    EXPECT_EQ(*def.size, (std::array<int, 2>{280, 480}));
    EXPECT_EQ(*def.color, (std::array<int, 3>{76, 76, 76}));
    EXPECT_EQ(def.alpha, 102);
}

TEST(PanelKeys, SpecialKeysKeepTheirCodesOthersGoAsCharacters)
{
    EXPECT_EQ(panelKeyFor(key(KeyCode::Right, 0)), 275);
    EXPECT_EQ(panelKeyFor(key(KeyCode::Left, 0)), 276);
    EXPECT_EQ(panelKeyFor(key(KeyCode::F1 + 14, 0)), 296);
    EXPECT_EQ(panelKeyFor(key(KeyCode::PageDown, 0)), 281);
    EXPECT_EQ(panelKeyFor(key(KeyCode::Up, 0)), 0);
    EXPECT_EQ(panelKeyFor(key(KeyCode::Insert, 0)), 0);
    EXPECT_EQ(panelKeyFor(key(KeyCode::Return, 13)), 13);
    EXPECT_EQ(panelKeyFor(key(0, '-')), '-');
    EXPECT_EQ(panelKeyFor(key(0, static_cast<char>(0xE9))), -23);   // signed 8-bit
}

TEST(PanelKeys, WheelPositionIsTheTruncatedSum)
{
    WheelAccumulator wheel;
    EXPECT_EQ(wheel.add(1.0f), 1);
    EXPECT_EQ(wheel.position(), 1);
    wheel.add(1.0f);
    wheel.add(1.0f);
    EXPECT_EQ(wheel.position(), 3);
    EXPECT_EQ(wheel.add(0.5f), 0);
    EXPECT_EQ(wheel.add(0.5f), 1);
    EXPECT_EQ(wheel.add(-5.25f), -5);
    EXPECT_EQ(wheel.position(), -1);   // -1.25 truncates toward zero
}
