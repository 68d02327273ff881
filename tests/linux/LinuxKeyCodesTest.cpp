#include "LinuxKeyCodes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace cendrel::linux_keys {
namespace {

struct KeyRow {
    const char* name;
    std::uint16_t mac;
    std::uint16_t evdev;
};

// Rows picked from each block; the evdev numbers are the kernel's KEY_* codes.
const KeyRow knownKeys[] = {
    {"A", 0x00, 30},
    {"L", 0x25, 38},
    {"Q", 0x0C, 16},
    {"Z", 0x06, 44},
    {"1", 0x12, 2},
    {"0", 0x1D, 11},
    {"grave", 0x32, 41},
    {"ISO extra", 0x0A, 86},
    {"backslash", 0x2A, 43},
    {"Return", 0x24, 28},
    {"Tab", 0x30, 15},
    {"Space", 0x31, 57},
    {"Backspace", 0x33, 14},
    {"Escape", 0x35, 1},
    {"Super L", 0x37, 125},
    {"Alt L", 0x3A, 56},
    {"Control L", 0x3B, 29},
    {"Shift L", 0x38, 42},
    {"Caps Lock", 0x39, 58},
    {"F1", 0x7A, 59},
    {"F5", 0x60, 63},
    {"F12", 0x6F, 88},
    {"F13", 0x69, 183},
    {"F20", 0x5A, 190},
    {"Help/Insert", 0x72, 110},
    {"Home", 0x73, 102},
    {"Page Up", 0x74, 104},
    {"Delete", 0x75, 111},
    {"End", 0x77, 107},
    {"Page Down", 0x79, 109},
    {"Left", 0x7B, 105},
    {"Right", 0x7C, 106},
    {"Down", 0x7D, 108},
    {"Up", 0x7E, 103},
    {"KP 0", 0x52, 82},
    {"KP 7", 0x59, 71},
    {"KP 8", 0x5B, 72},
    {"KP Enter", 0x4C, 96},
    {"KP Clear/NumLock", 0x47, 69},
    {"KP =", 0x51, 117},
};

TEST(LinuxKeyCodesTest, KnownKeysMapBothWays)
{
    for (const auto& row : knownKeys) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(evdevFromMacKeyCode(row.mac), row.evdev);
        EXPECT_EQ(macKeyCodeFromEvdev(row.evdev), row.mac);
        EXPECT_EQ(xKeycodeFromMacKeyCode(row.mac), row.evdev + 8);
        EXPECT_EQ(macKeyCodeFromXKeycode(row.evdev + 8u), row.mac);
    }
}

TEST(LinuxKeyCodesTest, TableIsOneToOneAndRoundTrips)
{
    std::map<std::uint16_t, std::uint32_t> macOfEvdev;
    for (std::uint32_t mac = 0; mac < 256; ++mac) {
        const auto evdev = evdevFromMacKeyCode(mac);
        if (!evdev) {
            continue;
        }
        EXPECT_TRUE(macOfEvdev.emplace(*evdev, mac).second) << "evdev " << *evdev << " claimed twice";
        EXPECT_EQ(macKeyCodeFromEvdev(*evdev), mac);
    }
    // Letters, digits, punctuation, editing, modifiers, F1-F20, navigation,
    // keypad: the whole of an ANSI/ISO board.
    EXPECT_GE(macOfEvdev.size(), 105u);
}

TEST(LinuxKeyCodesTest, EveryFunctionKeyIsPlaced)
{
    std::set<std::uint16_t> evdevCodes;
    for (const int mac : {0x7A, 0x78, 0x63, 0x76, 0x60, 0x61, 0x62, 0x64, 0x65, 0x6D,
                          0x67, 0x6F, 0x69, 0x6B, 0x71, 0x6A, 0x40, 0x4F, 0x50, 0x5A}) {
        const auto evdev = evdevFromMacKeyCode(static_cast<std::uint32_t>(mac));
        ASSERT_TRUE(evdev.has_value()) << mac;
        evdevCodes.insert(*evdev);
    }
    // KEY_F1..KEY_F10 are 59..68, F11/F12 87/88, F13..F20 183..190.
    const std::set<std::uint16_t> expected{59, 60, 61,  62,  63,  64,  65,  66,  67,  68,
                                           87, 88, 183, 184, 185, 186, 187, 188, 189, 190};
    EXPECT_EQ(evdevCodes, expected);
}

TEST(LinuxKeyCodesTest, UnknownCodesMapToNothing)
{
    EXPECT_FALSE(evdevFromMacKeyCode(0x34).has_value()); // unused
    EXPECT_FALSE(evdevFromMacKeyCode(0x3F).has_value()); // Fn has no X key code
    EXPECT_FALSE(evdevFromMacKeyCode(200).has_value());
    EXPECT_FALSE(evdevFromMacKeyCode(0x10025).has_value()); // a stored code wider than 16 bits
    EXPECT_FALSE(macKeyCodeFromEvdev(0).has_value());
    EXPECT_FALSE(macKeyCodeFromEvdev(240).has_value());
    EXPECT_FALSE(macKeyCodeFromXKeycode(0).has_value());
    EXPECT_FALSE(macKeyCodeFromXKeycode(7).has_value());
}

TEST(LinuxKeyCodesTest, CarbonModifiersBecomeXModifiers)
{
    struct Row {
        std::uint32_t carbon;
        std::uint16_t x;
    };
    const Row rows[] = {
        {0x100, xMod4Mask},                                          // Command is Super
        {0x200, xShiftMask},                                         // Shift
        {0x800, xMod1Mask},                                          // Option is Alt
        {0x1000, xControlMask},                                      // Control
        {0x900, xMod4Mask | xMod1Mask},                              // the default, Super+Alt
        {0x1B00, xMod4Mask | xMod1Mask | xShiftMask | xControlMask}, // all four
        {0x400, 0},                                                  // Carbon's Caps Lock bit has no part
        {0x0, 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(xModifiersFromCarbon(row.carbon), row.x) << std::hex << row.carbon;
    }
}

TEST(LinuxKeyCodesTest, XStateBecomesEventFlags)
{
    struct Row {
        std::uint32_t state;
        std::uint64_t flags;
    };
    const Row rows[] = {
        {xShiftMask, 0x20000},
        {xControlMask, 0x40000},
        {xMod1Mask, 0x80000},
        {xMod4Mask, 0x100000},
        {xLockMask, 0x10000},
        {xMod4Mask | xMod1Mask, 0x180000},
        {0x10, 0},  // Num Lock
        {0x80, 0},  // Mod5 (AltGr)
        {0x100, 0}, // button 1 held
        {0x4D, 0x1E0000},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(eventFlagsFromXState(row.state), row.flags) << std::hex << row.state;
    }
}

} // namespace
} // namespace cendrel::linux_keys
