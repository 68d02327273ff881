// Key positions: macOS virtual key codes follow the USB HID usage of the key,
// and so do evdev codes; both sides of each row name the same physical key.
#include "X11KeyCodes.h"

#include <array>

namespace cendrel::x11_keys {

namespace {

struct KeyPair {
    KeyCode mac;
    std::uint16_t evdev;
};

// clang-format off
constexpr std::array keyPairs{
    // Letters, digits and punctuation of the ANSI block.
    KeyPair{0x00, 30},  KeyPair{0x01, 31},  KeyPair{0x02, 32},  KeyPair{0x03, 33},  // A S D F
    KeyPair{0x04, 35},  KeyPair{0x05, 34},  KeyPair{0x06, 44},  KeyPair{0x07, 45},  // H G Z X
    KeyPair{0x08, 46},  KeyPair{0x09, 47},  KeyPair{0x0B, 48},  KeyPair{0x0C, 16},  // C V B Q
    KeyPair{0x0D, 17},  KeyPair{0x0E, 18},  KeyPair{0x0F, 19},  KeyPair{0x10, 21},  // W E R Y
    KeyPair{0x11, 20},  KeyPair{0x12, 2},   KeyPair{0x13, 3},   KeyPair{0x14, 4},   // T 1 2 3
    KeyPair{0x15, 5},   KeyPair{0x16, 7},   KeyPair{0x17, 6},   KeyPair{0x18, 13},  // 4 6 5 =
    KeyPair{0x19, 10},  KeyPair{0x1A, 8},   KeyPair{0x1B, 12},  KeyPair{0x1C, 9},   // 9 7 - 8
    KeyPair{0x1D, 11},  KeyPair{0x1E, 27},  KeyPair{0x1F, 24},  KeyPair{0x20, 22},  // 0 ] O U
    KeyPair{0x21, 26},  KeyPair{0x22, 23},  KeyPair{0x23, 25},  KeyPair{0x25, 38},  // [ I P L
    KeyPair{0x26, 36},  KeyPair{0x27, 40},  KeyPair{0x28, 37},  KeyPair{0x29, 39},  // J ' K ;
    KeyPair{0x2A, 43},  KeyPair{0x2B, 51},  KeyPair{0x2C, 53},  KeyPair{0x2D, 49},  // \ , / N
    KeyPair{0x2E, 50},  KeyPair{0x2F, 52},  KeyPair{0x32, 41},                      // M . `
    // The ISO key beside the left Shift (HID "non-US backslash").
    KeyPair{0x0A, 86},
    // JIS extras; the keypad comma is where the kernel puts HID's keypad comma.
    KeyPair{0x5D, 124}, KeyPair{0x5E, 89},  KeyPair{0x5F, 121},                     // Yen, Ro, keypad comma
    // Editing and whitespace.
    KeyPair{0x24, 28},  KeyPair{0x30, 15},  KeyPair{0x31, 57},  KeyPair{0x33, 14},  // Return Tab Space Backspace
    KeyPair{0x35, 1},   KeyPair{0x6E, 127},                                         // Escape, Menu
    // Modifiers.
    KeyPair{0x37, 125}, KeyPair{0x36, 126}, KeyPair{0x38, 42},  KeyPair{0x3C, 54},  // Super L/R, Shift L/R
    KeyPair{0x3A, 56},  KeyPair{0x3D, 100}, KeyPair{0x3B, 29},  KeyPair{0x3E, 97},  // Alt L/R, Control L/R
    KeyPair{0x39, 58},                                                              // Caps Lock
    // Function keys.
    KeyPair{0x7A, 59},  KeyPair{0x78, 60},  KeyPair{0x63, 61},  KeyPair{0x76, 62},  // F1-F4
    KeyPair{0x60, 63},  KeyPair{0x61, 64},  KeyPair{0x62, 65},  KeyPair{0x64, 66},  // F5-F8
    KeyPair{0x65, 67},  KeyPair{0x6D, 68},  KeyPair{0x67, 87},  KeyPair{0x6F, 88},  // F9-F12
    KeyPair{0x69, 183}, KeyPair{0x6B, 184}, KeyPair{0x71, 185}, KeyPair{0x6A, 186}, // F13-F16
    KeyPair{0x40, 187}, KeyPair{0x4F, 188}, KeyPair{0x50, 189}, KeyPair{0x5A, 190}, // F17-F20
    // Navigation block; Help sits where PC keyboards have Insert.
    KeyPair{0x72, 110}, KeyPair{0x73, 102}, KeyPair{0x74, 104}, KeyPair{0x75, 111}, // Insert Home PgUp Delete
    KeyPair{0x77, 107}, KeyPair{0x79, 109},                                         // End PgDn
    KeyPair{0x7B, 105}, KeyPair{0x7C, 106}, KeyPair{0x7D, 108}, KeyPair{0x7E, 103}, // Left Right Down Up
    // Keypad; Clear sits where PC keyboards have Num Lock.
    KeyPair{0x52, 82},  KeyPair{0x53, 79},  KeyPair{0x54, 80},  KeyPair{0x55, 81},  // 0 1 2 3
    KeyPair{0x56, 75},  KeyPair{0x57, 76},  KeyPair{0x58, 77},  KeyPair{0x59, 71},  // 4 5 6 7
    KeyPair{0x5B, 72},  KeyPair{0x5C, 73},  KeyPair{0x41, 83},  KeyPair{0x43, 55},  // 8 9 . *
    KeyPair{0x45, 78},  KeyPair{0x4B, 98},  KeyPair{0x4C, 96},  KeyPair{0x4E, 74},  // + / Enter -
    KeyPair{0x51, 117}, KeyPair{0x47, 69},                                          // = Clear
    // Volume keys.
    KeyPair{0x48, 115}, KeyPair{0x49, 114}, KeyPair{0x4A, 113},
};
// clang-format on

constexpr std::uint32_t xKeyCodeOffset = 8;

} // namespace

std::optional<std::uint8_t> xKeyCodeFromKeyCode(std::uint32_t keyCode)
{
    for (const auto& pair : keyPairs) {
        // The core protocol carries 8-bit key codes: keys past 247 cannot be grabbed.
        if (pair.mac == keyCode && pair.evdev + xKeyCodeOffset <= 255)
            return static_cast<std::uint8_t>(pair.evdev + xKeyCodeOffset);
    }
    return std::nullopt;
}

std::optional<KeyCode> keyCodeFromXKeyCode(std::uint32_t xKeyCode)
{
    for (const auto& pair : keyPairs) {
        if (pair.evdev + xKeyCodeOffset == xKeyCode)
            return pair.mac;
    }
    return std::nullopt;
}

std::uint16_t xStateFromModifiers(Modifiers modifiers)
{
    std::uint16_t state = 0;
    if (modifiers.contains(Modifier::command))
        state |= xMod4Mask;
    if (modifiers.contains(Modifier::option))
        state |= xMod1Mask;
    if (modifiers.contains(Modifier::control))
        state |= xControlMask;
    if (modifiers.contains(Modifier::shift))
        state |= xShiftMask;
    // Only a stored shortcut carries it: the combination then needs Caps
    // Lock on, and the plain one stays free for every other program.
    if (modifiers.contains(Modifier::capsLock))
        state |= xLockMask;
    return state;
}

Modifiers modifiersFromXState(std::uint32_t state)
{
    Modifiers modifiers;
    if (state & xMod4Mask)
        modifiers.insert(Modifier::command);
    if (state & xMod1Mask)
        modifiers.insert(Modifier::option);
    if (state & xControlMask)
        modifiers.insert(Modifier::control);
    if (state & xShiftMask)
        modifiers.insert(Modifier::shift);
    if (state & xLockMask)
        modifiers.insert(Modifier::capsLock);
    return modifiers;
}

} // namespace cendrel::x11_keys
