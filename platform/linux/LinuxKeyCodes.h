// Pure tables between macOS virtual key codes (the stored form of a shortcut)
// and Linux evdev / X key codes, matched by physical position, plus the
// modifier conversions between Carbon masks, X modifier state and AppKit's
// event flags. No X connection is needed: X key codes are evdev codes + 8 on
// every server that uses the evdev keymap (Xorg with libinput/evdev, Xvfb,
// XWayland).
#pragma once

#include <cstdint>
#include <optional>

namespace cendrel::linux_keys {

// The evdev code of the key at the position of the macOS key code, if the
// tables know that key.
std::optional<std::uint16_t> evdevFromMacKeyCode(std::uint32_t macKeyCode);
// The macOS key code at the position of the evdev key, if any.
std::optional<std::uint16_t> macKeyCodeFromEvdev(std::uint32_t evdevCode);

constexpr std::uint32_t xKeycodeOffset = 8;
std::optional<std::uint8_t> xKeycodeFromMacKeyCode(std::uint32_t macKeyCode);
std::optional<std::uint16_t> macKeyCodeFromXKeycode(std::uint32_t xKeycode);

// X core modifier bits.
constexpr std::uint16_t xShiftMask = 0x01;
constexpr std::uint16_t xLockMask = 0x02;
constexpr std::uint16_t xControlMask = 0x04;
constexpr std::uint16_t xMod1Mask = 0x08; // Alt
constexpr std::uint16_t xMod4Mask = 0x40; // Super
// The four bits a shortcut can carry; everything else in an X state is noise
// for matching (Num Lock, Caps Lock, Mod3, Mod5, button bits).
constexpr std::uint16_t xShortcutModifiers = xShiftMask | xControlMask | xMod1Mask | xMod4Mask;

// Command is Super, Option is Alt, Control is Control, Shift is Shift. Carbon
// bits other than those four have no X counterpart and are dropped.
std::uint16_t xModifiersFromCarbon(std::uint32_t carbonModifiers);
// AppKit's device-independent flags for an X modifier state: Caps Lock
// 0x10000, Shift 0x20000, Control 0x40000, Option 0x80000, Command 0x100000.
std::uint64_t eventFlagsFromXState(std::uint32_t xState);

} // namespace cendrel::linux_keys
