// The one global keyboard shortcut: a key by its position and a set of
// modifiers, with its stored form and the text the user sees.
#pragma once

#include "Keys.h"

#include <cstdint>
#include <optional>
#include <string>

namespace cendrel {

struct Shortcut {
    // The preference entries, both integers; the modifiers are stored as a
    // Carbon mask, which is what the first versions wrote.
    static constexpr const char* keyCodeKey = "shortcut.keyCode";
    static constexpr const char* carbonModifiersKey = "shortcut.carbonModifiers";

    // A position on the keyboard (see KeyCode). 32 bits wide because the
    // stored form is; one built from a key press never exceeds 65535.
    std::uint32_t keyCode = 37;
    // Control, Option, Shift and Command; Caps Lock too when stored so.
    Modifiers modifiers{Modifier::command, Modifier::option};

    // Key 37 (L on an ANSI keyboard) with Command and Option.
    static constexpr Shortcut defaultShortcut() { return Shortcut{}; }

    // The stored shortcut, or the default when nothing usable is stored: a
    // value out of range, one without Control, Option, Shift or Command, which
    // would take a plain key away from every other program, or one that
    // takesTypedText(). Never fails; reports nothing.
    static Shortcut load();
    // Writes both entries; false when either could not be written.
    bool save() const;

    // The shortcut a key press stands for, or nothing when it carries none of
    // Command, Option, Control and Shift.
    static std::optional<Shortcut> from(const KeyPress& press);

    // Shift alone with a key that types a character: held as a global
    // shortcut, it takes that character's capital (or shifted sign) away
    // from everyone's typing. Shift alone with a key that types nothing (F1,
    // an arrow) takes nothing.
    bool takesTypedText() const;

    // The Carbon mask of the stored form (Command 0x100, Shift 0x200,
    // Caps Lock 0x400, Option 0x800, Control 0x1000) and back; other bits
    // have no modifier.
    std::uint32_t carbonModifiers() const;
    static Modifiers modifiersFromCarbon(std::uint32_t mask);

    // Modifiers then key name, in the current keyboard layout: "⌥⌘L" on macOS,
    // "Alt+Super+L" on Linux. Computed afresh at each call; never empty.
    std::string displayString() const;
    // The key as desktops write it in their shortcut settings ("l", "comma":
    // the system's name for what it types), or its display name where the
    // system has no such names.
    std::string keySymbol() const;

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

private:
    static std::string keyName(std::uint32_t keyCode);
    static std::optional<std::string> character(std::uint32_t keyCode);
    static bool typesCharacter(std::uint32_t keyCode);
};

} // namespace cendrel
