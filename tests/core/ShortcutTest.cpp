#include "Shortcut.h"
#include "Fixture.h"

#include <optional>

namespace cendrel {
namespace {

struct LoadCase {
    std::optional<std::int64_t> keyCode;
    std::optional<std::int64_t> carbonModifiers;
    Shortcut expected;
};

class ShortcutLoadTest : public SimTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(ShortcutLoadTest, LoadsWhatIsStoredOrTheDefault)
{
    const LoadCase& c = GetParam();
    sim.layout[76] = "\r";
    sim.layout[84] = "2";
    if (c.keyCode)
        sim.preferences[Shortcut::keyCodeKey] = *c.keyCode;
    if (c.carbonModifiers)
        sim.preferences[Shortcut::carbonModifiersKey] = *c.carbonModifiers;
    EXPECT_EQ(Shortcut::load(), c.expected);
}

const Shortcut defaultShortcut = Shortcut::defaultShortcut();

INSTANTIATE_TEST_SUITE_P(
    Stored, ShortcutLoadTest,
    ::testing::Values(
        LoadCase{std::nullopt, std::nullopt, defaultShortcut}, LoadCase{12, std::nullopt, defaultShortcut},
        LoadCase{std::nullopt, 256, defaultShortcut}, LoadCase{0, 256, {0, {Modifier::command}}},
        LoadCase{12, 0, defaultShortcut},
        LoadCase{40, 0x1B00, {40, {Modifier::control, Modifier::option, Modifier::shift, Modifier::command}}},
        // Caps Lock is kept as stored, but is not a modifier of its
        // own; other bits are dropped.
        LoadCase{5, 0x900 | 0x400, {5, {Modifier::command, Modifier::option, Modifier::capsLock}}},
        LoadCase{5, 0x500, {5, {Modifier::command, Modifier::capsLock}}}, LoadCase{5, 0x101, {5, {Modifier::command}}},
        LoadCase{5, 1024, defaultShortcut}, LoadCase{37, 1, defaultShortcut},
        LoadCase{4294967295, 0x1000, {4294967295u, {Modifier::control}}}, LoadCase{4294967296, 0x100, defaultShortcut},
        LoadCase{-1, 0x100, defaultShortcut}, LoadCase{40, 0x100000100, defaultShortcut},
        // Shift alone: kept only on a key that types nothing (a control
        // character); keys 50 and 65 are not in the layout, as with none.
        LoadCase{0, 0x600, defaultShortcut}, LoadCase{49, 0x200, defaultShortcut}, LoadCase{84, 0x200, defaultShortcut},
        LoadCase{50, 0x200, defaultShortcut}, LoadCase{0, 0x1200, {0, {Modifier::control, Modifier::shift}}},
        LoadCase{122, 0x200, {122, {Modifier::shift}}}, LoadCase{76, 0x200, {76, {Modifier::shift}}},
        LoadCase{65, 0x200, {65, {Modifier::shift}}}, LoadCase{70000, 0x200, {70000, {Modifier::shift}}}));

TEST_F(SimTest, SavedShortcutLoadsEqualAndAFailedWriteIsReported)
{
    const Shortcut recorded{45, {Modifier::control, Modifier::shift}};
    EXPECT_TRUE(recorded.save());
    EXPECT_EQ(sim.preferences[Shortcut::carbonModifiersKey], 0x1200);
    EXPECT_EQ(Shortcut::load(), recorded);
    const Shortcut stored{5, {Modifier::command, Modifier::capsLock}};
    EXPECT_TRUE(stored.save());
    EXPECT_EQ(sim.preferences[Shortcut::carbonModifiersKey], 0x500);
    sim.failingPreference = Shortcut::carbonModifiersKey;
    EXPECT_FALSE(Shortcut{}.save());
}

TEST(ShortcutFromKeyPress, NeedsOneOfTheFourModifiersAndKeepsOnlyThem)
{
    EXPECT_EQ(Shortcut::from({0, {Modifier::shift}}), (Shortcut{0, {Modifier::shift}}));
    EXPECT_EQ(Shortcut::from({37, {Modifier::command, Modifier::capsLock, Modifier::option}}), defaultShortcut);
    EXPECT_EQ(Shortcut::from({53, {Modifier::shift}}), (Shortcut{53, {Modifier::shift}}));
    EXPECT_EQ(Shortcut::from({96, {Modifier::function, Modifier::control}}), (Shortcut{96, {Modifier::control}}));
    EXPECT_EQ(Shortcut::from({37, {Modifier::capsLock}}), std::nullopt);
    EXPECT_EQ(Shortcut::from({96, {Modifier::function}}), std::nullopt);
    EXPECT_EQ(Shortcut::from({37, {}}), std::nullopt);
}

struct DisplayCase {
    ShortcutNotation notation;
    Shortcut shortcut;
    const char* expected;
};

constexpr auto mac = ShortcutNotation::glyphs;
constexpr auto names = ShortcutNotation::names;
const Modifiers all{Modifier::command, Modifier::shift, Modifier::option, Modifier::control};
const Modifiers cmd{Modifier::command};

// Modifiers in order, then the key's name. Key 40 is not in the table though
// in its range: the layout names it. Caps Lock has no text of its own.
TEST_F(SimTest, ShortcutDisplayNamesModifiersInOrderThenTheKey)
{
    sim.layout[50] = "`";
    sim.layout[42] = "";
    for (const DisplayCase& c : std::initializer_list<DisplayCase>{
             DisplayCase{mac, defaultShortcut, "⌥⌘L"}, DisplayCase{mac, {49, all}, "⌃⌥⇧⌘Space"},
             DisplayCase{mac, {122, cmd}, "⌘F1"}, DisplayCase{mac, {53, {Modifier::option}}, "⌥⎋"},
             DisplayCase{mac, {36, {Modifier::control, Modifier::shift}}, "⌃⇧↩"},
             DisplayCase{mac, {126, {Modifier::shift}}, "⇧↑"}, DisplayCase{mac, {40, cmd}, "⌘K"},
             DisplayCase{mac, {50, cmd}, "⌘`"}, DisplayCase{mac, {37, {Modifier::command, Modifier::capsLock}}, "⌘L"},
             DisplayCase{names, {37, {Modifier::capsLock, Modifier::shift}}, "Shift+L"},
             DisplayCase{mac, {42, cmd}, "⌘\\"}, DisplayCase{names, {1, cmd}, "Super+S"},
             DisplayCase{mac, {200, cmd}, "⌘Key 200"}, DisplayCase{mac, {65536 + 37, cmd}, "⌘Key 65573"},
             DisplayCase{names, defaultShortcut, "Alt+Super+L"},
             DisplayCase{names, {49, all}, "Ctrl+Alt+Shift+Super+Space"},
             DisplayCase{names, {117, {Modifier::control}}, "Ctrl+Delete"}}) {
        sim.install(c.notation);
        EXPECT_EQ(c.shortcut.displayString(), c.expected);
    }
}

} // namespace
} // namespace cendrel
