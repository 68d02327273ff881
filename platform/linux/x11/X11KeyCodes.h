// Pure tables between Cendrel's keys and X's: key codes matched by physical
// position, and the X modifier state. Gap: X key codes are taken to be evdev
// codes + 8, true of every server on the evdev keymap (Xorg with libinput or
// evdev, Xvfb, XWayland) but not of old keymaps such as "xfree86".
#pragma once

#include "Keys.h"

#include <cstdint>
#include <optional>

namespace cendrel::x11_keys {

// The X key code at the position of the key; nothing for keys the tables do
// not place, or codes wider than a key code (a stored preference may hold one).
std::optional<std::uint8_t> xKeyCodeFromKeyCode(std::uint32_t keyCode);
std::optional<KeyCode> keyCodeFromXKeyCode(std::uint32_t xKeyCode);

// X core modifier bits.
constexpr std::uint16_t xShiftMask = 0x01;
constexpr std::uint16_t xLockMask = 0x02;
constexpr std::uint16_t xControlMask = 0x04;
constexpr std::uint16_t xMod1Mask = 0x08; // Alt
constexpr std::uint16_t xMod4Mask = 0x40; // Super
// What a shortcut can carry; the rest of a state (Num Lock, Caps Lock, Mod3,
// Mod5, the pointer buttons) never decides whether a combination matches.
constexpr std::uint16_t xShortcutModifiers = xShiftMask | xControlMask | xMod1Mask | xMod4Mask;

// Command is Super, Option is Alt; Caps Lock and the function flag have no
// part in a grab.
std::uint16_t xStateFromModifiers(Modifiers modifiers);
// Caps Lock comes along (it keeps a plain Escape from cancelling the
// recorder); Num Lock, which is on for most users, does not.
Modifiers modifiersFromXState(std::uint32_t state);

} // namespace cendrel::x11_keys
