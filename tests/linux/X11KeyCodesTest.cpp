// Positions are checked against two sources independent of the table: the
// kernel's key numbers and Apple's kVK_ANSI_* values.
#include "x11/X11KeyCodes.h"

#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

namespace cendrel::x11_keys {
namespace {

// clang-format off
const std::pair<std::uint32_t, std::uint32_t> ansiKeys[] = { // kVK_ANSI_A = 0x00, …
    {0x00, KEY_A}, {0x01, KEY_S}, {0x02, KEY_D}, {0x03, KEY_F}, {0x04, KEY_H}, {0x05, KEY_G}, {0x06, KEY_Z},
    {0x07, KEY_X}, {0x08, KEY_C}, {0x09, KEY_V}, {0x0B, KEY_B}, {0x0C, KEY_Q}, {0x0D, KEY_W}, {0x0E, KEY_E},
    {0x0F, KEY_R}, {0x10, KEY_Y}, {0x11, KEY_T}, {0x1F, KEY_O}, {0x20, KEY_U}, {0x22, KEY_I}, {0x23, KEY_P},
    {0x25, KEY_L}, {0x26, KEY_J}, {0x28, KEY_K}, {0x2D, KEY_N}, {0x2E, KEY_M}, {0x12, KEY_1}, {0x13, KEY_2},
    {0x14, KEY_3}, {0x15, KEY_4}, {0x16, KEY_6}, {0x17, KEY_5}, {0x19, KEY_9}, {0x1A, KEY_7}, {0x1C, KEY_8},
    {0x1D, KEY_0},
};
// clang-format on

TEST(X11KeyCodesTest, LettersAndDigitsSitWhereTheKernelPutsThem)
{
    for (const auto& [mac, evdev] : ansiKeys) {
        EXPECT_EQ(xKeyCodeFromKeyCode(mac), evdev + 8) << "macOS key " << mac;
        EXPECT_EQ(keyCodeFromXKeyCode(evdev + 8), mac) << "evdev key " << evdev;
    }
    EXPECT_FALSE(xKeyCodeFromKeyCode(0x3F));    // Fn: no X key
    EXPECT_FALSE(xKeyCodeFromKeyCode(0x10025)); // a stored code wider than a key code
}

TEST(X11KeyCodesTest, CommandIsSuperAndOptionIsAlt)
{
    for (const auto& [modifier, state] : {std::pair{Modifier::command, 0x40},
                                          {Modifier::option, 0x08},
                                          {Modifier::control, 0x04},
                                          {Modifier::shift, 0x01}}) {
        EXPECT_EQ(xStateFromModifiers({modifier}), state);
        EXPECT_EQ(modifiersFromXState(static_cast<std::uint32_t>(state)), Modifiers{modifier});
    }
    // Num Lock (Mod2) and AltGr (Mod5) are no modifiers; Caps Lock is, but is never grabbed.
    EXPECT_EQ(modifiersFromXState(0x10 | 0x80 | 0x02), Modifiers{Modifier::capsLock});
    EXPECT_EQ(xStateFromModifiers({Modifier::capsLock, Modifier::function}), 0);
}

} // namespace
} // namespace cendrel::x11_keys
