#include "Shortcut.h"

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace cendrel {
namespace {

constexpr const char* keyCodeKey = "shortcut.keyCode";
constexpr const char* modifiersKey = "shortcut.carbonModifiers";
const Shortcut defaultShortcut{37, 2304};

struct LoadCase {
    const char* what;
    std::optional<std::int64_t> storedKeyCode;
    std::optional<std::int64_t> storedModifiers;
    Shortcut expected;
};

class ShortcutLoadTest : public SimTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(ShortcutLoadTest, LoadsTheStoredShortcutOrTheDefault)
{
    const LoadCase& c = GetParam();
    if (c.storedKeyCode)
        sim().userDefaults().setValue(keyCodeKey, *c.storedKeyCode);
    if (c.storedModifiers)
        sim().userDefaults().setValue(modifiersKey, *c.storedModifiers);
    EXPECT_EQ(Shortcut::load(), c.expected) << c.what;
    EXPECT_TRUE(sim().userDefaults().writes().empty());
}

INSTANTIATE_TEST_SUITE_P(Stored, ShortcutLoadTest,
                         testing::Values(LoadCase{"nothing stored", std::nullopt, std::nullopt, defaultShortcut},
                                         LoadCase{"only the key code", 12, std::nullopt, defaultShortcut},
                                         LoadCase{"only the modifiers", std::nullopt, 256, defaultShortcut},
                                         LoadCase{"key code 0 is a key", 0, 256, {0, 256}},
                                         LoadCase{"zero modifiers", 12, 0, defaultShortcut},
                                         LoadCase{"Caps Lock bit alone is taken as stored", 5, 1024, {5, 1024}},
                                         LoadCase{"any non-zero mask is taken", 12, 0x1B00, {12, 0x1B00}},
                                         LoadCase{"widest key code", 4294967295, 256, {4294967295u, 256}},
                                         LoadCase{"widest mask", 12, 4294967295, {12, 4294967295u}},
                                         LoadCase{"negative key code", -1, 256, defaultShortcut},
                                         LoadCase{"negative mask", 12, -256, defaultShortcut},
                                         LoadCase{"key code wider than 32 bits", 4294967296, 256, defaultShortcut},
                                         LoadCase{"mask wider than 32 bits", 12, std::int64_t{1} << 40,
                                                  defaultShortcut},
                                         LoadCase{"lowest 64-bit mask", 12, INT64_MIN, defaultShortcut}));

TEST_F(ShortcutLoadTest, AbsentKeyCodeReadsNothingElse)
{
    sim().userDefaults().setValue(modifiersKey, 256);
    Shortcut::load();
    EXPECT_EQ(sim().userDefaults().reads(), std::vector<std::string>{"hasObject shortcut.keyCode"});
}

struct EventCase {
    std::uint16_t keyCode;
    std::uint64_t flags;
    std::optional<Shortcut> expected;
};

class ShortcutFromEventTest : public testing::TestWithParam<EventCase> {};

TEST_P(ShortcutFromEventTest, TakesOnlyTheFourModifiers)
{
    const EventCase& c = GetParam();
    EXPECT_EQ(Shortcut::from(Event{EventType::keyDown, c.keyCode, c.flags}), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Events, ShortcutFromEventTest,
                         testing::Values(EventCase{0, 0x20000, Shortcut{0, 512}}, EventCase{37, 0x180000, Shortcut{}},
                                         EventCase{12, 0x1E0000, Shortcut{12, 0x1B00}},
                                         EventCase{12, 0x40000, Shortcut{12, 0x1000}},
                                         EventCase{12, 0x80000, Shortcut{12, 0x800}}, EventCase{12, 0x10000, {}},
                                         EventCase{96, 0x800000, {}}, EventCase{96, 0x900000, Shortcut{96, 256}},
                                         EventCase{12, 0x110000, Shortcut{12, 0x100}},
                                         // Device-dependent low bits and the keypad/help flags count for nothing.
                                         EventCase{12, 0x60FFFF, {}}, EventCase{12, 0x6FFFFF, Shortcut{12, 0x1A00}},
                                         EventCase{53, 0x20000, Shortcut{53, 512}},
                                         EventCase{65535, 0x100000, Shortcut{65535, 256}}, EventCase{12, 0, {}}));

TEST_F(ShortcutLoadTest, SavedFormLoadsBackEqual)
{
    const auto made = Shortcut::from(Event{EventType::keyDown, 50, 0x1E0000});
    ASSERT_TRUE(made);
    sim().userDefaults().setInteger(made->keyCode, keyCodeKey);
    sim().userDefaults().setInteger(made->carbonModifiers, modifiersKey);
    EXPECT_EQ(Shortcut::load(), *made);
}

struct DisplayCase {
    Shortcut shortcut;
    std::string glyphs;
    std::string names;
};

class ShortcutDisplayTest : public SimTest, public testing::WithParamInterface<DisplayCase> {};

TEST_P(ShortcutDisplayTest, WritesModifiersThenKeyName)
{
    const DisplayCase& c = GetParam();
    EXPECT_EQ(c.shortcut.displayString(), c.glyphs);
    sim().keyboardLayout().setNotation(ShortcutNotation::names);
    EXPECT_EQ(c.shortcut.displayString(), c.names);
}

constexpr std::uint32_t cmd = 0x100, shift = 0x200, opt = 0x800, ctrl = 0x1000;

INSTANTIATE_TEST_SUITE_P(
    Modifiers, ShortcutDisplayTest,
    testing::Values(DisplayCase{{37, cmd | opt}, "⌥⌘L", "Alt+Super+L"},
                    DisplayCase{{49, ctrl | opt | shift | cmd}, "⌃⌥⇧⌘Space", "Ctrl+Alt+Shift+Super+Space"},
                    DisplayCase{{122, cmd}, "⌘F1", "Super+F1"}, DisplayCase{{53, opt}, "⌥⎋", "Alt+Escape"},
                    DisplayCase{{36, ctrl | shift}, "⌃⇧↩", "Ctrl+Shift+Return"},
                    DisplayCase{{0, shift}, "⇧A", "Shift+A"}, DisplayCase{{12, ctrl}, "⌃Q", "Ctrl+Q"},
                    DisplayCase{{12, opt | shift}, "⌥⇧Q", "Alt+Shift+Q"},
                    DisplayCase{{12, cmd | ctrl}, "⌃⌘Q", "Ctrl+Super+Q"},
                    // Only the four bits count, whatever else the mask holds.
                    DisplayCase{{37, 1024}, "L", "L"}, DisplayCase{{37, 0xFFFFFFFF}, "⌃⌥⇧⌘L", "Ctrl+Alt+Shift+Super+L"},
                    // Keys with no upper case show as the layout types them.
                    DisplayCase{{18, cmd}, "⌘1", "Super+1"}, DisplayCase{{44, cmd}, "⌘/", "Super+/"},
                    DisplayCase{{82, cmd}, "⌘0", "Super+0"}, DisplayCase{{67, cmd}, "⌘*", "Super+*"},
                    DisplayCase{{200, cmd}, "⌘Key 200", "Super+Key 200"},
                    DisplayCase{{4294967295u, cmd}, "⌘Key 4294967295", "Super+Key 4294967295"},
                    DisplayCase{{65536 + 37, cmd}, "⌘Key 65573", "Super+Key 65573"}));

struct SpecialKeyCase {
    std::uint32_t keyCode;
    std::string glyph;
    std::string name;
};

class ShortcutSpecialKeyTest : public SimTest, public testing::WithParamInterface<SpecialKeyCase> {};

TEST_P(ShortcutSpecialKeyTest, UsesTheFixedNameWithoutAskingTheLayout)
{
    const SpecialKeyCase& c = GetParam();
    const Shortcut shortcut{c.keyCode, cmd};
    EXPECT_EQ(shortcut.displayString(), "⌘" + c.glyph);
    sim().keyboardLayout().setNotation(ShortcutNotation::names);
    EXPECT_EQ(shortcut.displayString(), "Super+" + c.name);
    EXPECT_EQ(sim().keyboardLayout().translationCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Keys, ShortcutSpecialKeyTest,
                         testing::Values(SpecialKeyCase{36, "↩", "Return"}, SpecialKeyCase{48, "⇥", "Tab"},
                                         SpecialKeyCase{49, "Space", "Space"}, SpecialKeyCase{51, "⌫", "Backspace"},
                                         SpecialKeyCase{53, "⎋", "Escape"}, SpecialKeyCase{96, "F5", "F5"},
                                         SpecialKeyCase{97, "F6", "F6"}, SpecialKeyCase{98, "F7", "F7"},
                                         SpecialKeyCase{99, "F3", "F3"}, SpecialKeyCase{100, "F8", "F8"},
                                         SpecialKeyCase{101, "F9", "F9"}, SpecialKeyCase{103, "F11", "F11"},
                                         SpecialKeyCase{109, "F10", "F10"}, SpecialKeyCase{111, "F12", "F12"},
                                         SpecialKeyCase{115, "↖", "Home"}, SpecialKeyCase{116, "⇞", "Page Up"},
                                         SpecialKeyCase{117, "⌦", "Delete"}, SpecialKeyCase{118, "F4", "F4"},
                                         SpecialKeyCase{119, "↘", "End"}, SpecialKeyCase{120, "F2", "F2"},
                                         SpecialKeyCase{121, "⇟", "Page Down"}, SpecialKeyCase{122, "F1", "F1"},
                                         SpecialKeyCase{123, "←", "Left"}, SpecialKeyCase{124, "→", "Right"},
                                         SpecialKeyCase{125, "↓", "Down"}, SpecialKeyCase{126, "↑", "Up"}));

TEST_F(ShortcutDisplayTest, KeysInsideTheTableRangeButNotInItAskTheLayout)
{
    // 37 (L), 65 and 92 (keypad) lie between 36 and 126 but are not special.
    EXPECT_EQ(Shortcut(65, cmd).displayString(), "⌘.");
    EXPECT_EQ(Shortcut(92, cmd).displayString(), "⌘9");
    EXPECT_EQ(Shortcut(37, cmd).displayString(), "⌘L");
    EXPECT_EQ(sim().keyboardLayout().translationCount(), 3u);
}

TEST_F(ShortcutDisplayTest, FollowsTheLayoutActiveAtEachRead)
{
    const Shortcut z{6, cmd};
    EXPECT_EQ(z.displayString(), "⌘Z");
    sim().keyboardLayout().useLayout(SimKeyboardLayout::germanLayout());
    EXPECT_EQ(z.displayString(), "⌘Y");
    // Full upper-case mapping: one character may become two.
    EXPECT_EQ(Shortcut(27, cmd).displayString(), "⌘SS");
    EXPECT_EQ(Shortcut(33, opt).displayString(), "⌥Ü");
}

TEST_F(ShortcutDisplayTest, WithoutLayoutFallsBackToTheKeyNumber)
{
    sim().keyboardLayout().setUnavailable(true);
    EXPECT_EQ(Shortcut(37, cmd | opt).displayString(), "⌥⌘Key 37");
    EXPECT_EQ(Shortcut(200, cmd).displayString(), "⌘Key 200");
    EXPECT_EQ(Shortcut(0, 0).displayString(), "Key 0");
    // The table needs no layout.
    EXPECT_EQ(Shortcut(122, cmd).displayString(), "⌘F1");
}

TEST_F(ShortcutDisplayTest, EmptyTranslationCountsAsNone)
{
    sim().keyboardLayout().useLayout({{37, ""}});
    EXPECT_EQ(Shortcut(37, cmd).displayString(), "⌘Key 37");
}

TEST_F(ShortcutDisplayTest, LayoutTextIsUsedAsGiven)
{
    // Not trimmed, not filtered: a control character or a blank shows as is.
    sim().keyboardLayout().useLayout({{10, "\x10"}, {50, " "}});
    EXPECT_EQ(Shortcut(10, cmd).displayString(), "⌘\x10");
    EXPECT_EQ(Shortcut(50, cmd).displayString(), "⌘ ");
}

} // namespace
} // namespace cendrel
