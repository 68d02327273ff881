// The one global keyboard shortcut: a key by its position and a set of
// modifiers, in the forms the hot-key registration and the preferences take.
#pragma once

#include "RunLoop.h"

#include <cstdint>
#include <optional>
#include <string>

namespace cendrel {

struct Shortcut {
    // Carbon's modifier bits, as the hot-key registration takes them.
    static constexpr std::uint32_t cmdKey = 0x100;
    static constexpr std::uint32_t shiftKey = 0x200;
    static constexpr std::uint32_t optionKey = 0x800;
    static constexpr std::uint32_t controlKey = 0x1000;

    // The preference entries, both integers.
    static constexpr const char* keyCodeKey = "shortcut.keyCode";
    static constexpr const char* carbonModifiersKey = "shortcut.carbonModifiers";

    // A macOS virtual key code: a position on the keyboard, not a character.
    std::uint32_t keyCode = 37;
    std::uint32_t carbonModifiers = cmdKey | optionKey;

    constexpr Shortcut() = default;
    constexpr Shortcut(std::uint32_t keyCode_, std::uint32_t carbonModifiers_)
        : keyCode(keyCode_), carbonModifiers(carbonModifiers_)
    {
    }

    // Key 37 (L on an ANSI keyboard) with Command and Option.
    static constexpr Shortcut defaultShortcut() { return Shortcut{}; }

    // The stored shortcut, or the default when nothing usable is stored.
    // Never fails and reports nothing.
    static Shortcut load();

    // The shortcut a key-down event stands for, or nothing when the event
    // carries none of Command, Option, Control and Shift.
    static std::optional<Shortcut> from(const Event& event);

    // Modifiers then key name, in the current keyboard layout: "⌥⌘L" on macOS,
    // "Alt+Super+L" on Linux. Computed afresh at each call; never empty.
    std::string displayString() const;

    friend bool operator==(const Shortcut&, const Shortcut&) = default;

private:
    static std::string keyName(std::uint32_t keyCode);
    static std::optional<std::string> character(std::uint32_t keyCode);
};

} // namespace cendrel
