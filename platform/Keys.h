// Keys and modifiers in Cendrel's own terms. Every backend translates its
// system's key events into these once, at its edge.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace cendrel {

// A key by its position on the keyboard, not by what it types. The values are
// macOS virtual key codes (kVK_ANSI_L is 37), the form the preferences store,
// so a stored shortcut means the same key on every system.
using KeyCode = std::uint16_t;

enum class Modifier : std::uint8_t {
    control = 1 << 0,
    option = 1 << 1, // Alt on PC keyboards
    shift = 1 << 2,
    command = 1 << 3, // Super on PC keyboards
    // Held or locked, but never part of a shortcut: they only keep a plain
    // Escape from cancelling the recorder. `function` also stands for the
    // other flags a system may set on a key press (keypad, help).
    capsLock = 1 << 4,
    function = 1 << 5,
};

// A set of modifiers; compares by value.
class Modifiers {
public:
    constexpr Modifiers() = default;
    constexpr Modifiers(std::initializer_list<Modifier> modifiers)
    {
        for (Modifier modifier : modifiers)
            bits_ = static_cast<std::uint8_t>(bits_ | static_cast<std::uint8_t>(modifier));
    }

    constexpr bool contains(Modifier modifier) const { return (bits_ & static_cast<std::uint8_t>(modifier)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }
    constexpr void insert(Modifier modifier)
    {
        bits_ = static_cast<std::uint8_t>(bits_ | static_cast<std::uint8_t>(modifier));
    }
    // Control, Option, Shift and Command only: what a shortcut can carry.
    constexpr Modifiers shortcutModifiers() const
    {
        Modifiers kept;
        kept.bits_ = static_cast<std::uint8_t>(bits_ & 0x0F);
        return kept;
    }

    friend constexpr bool operator==(Modifiers, Modifiers) = default;

private:
    std::uint8_t bits_ = 0;
};

// One key going down, as the recorder sees it. Modifier keys pressed on their
// own are not key presses.
struct KeyPress {
    KeyCode keyCode = 0;
    Modifiers modifiers;
    friend bool operator==(const KeyPress&, const KeyPress&) = default;
};

} // namespace cendrel
