// The user's current keyboard layout, and how the system writes shortcuts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cendrel {

// macOS writes modifier glyphs (⌥⌘L); Linux desktops write names (Alt+Super+L).
enum class ShortcutNotation { glyphs, names };

class KeyboardLayout {
public:
    KeyboardLayout() = default;
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;
    virtual ~KeyboardLayout() = default;

    // The UTF-8 text that the key (a macOS virtual key code) types without
    // modifiers in the current layout, as the layout gives it; nothing when
    // there is no layout or the translation fails or is empty. Asked afresh
    // each time: the user may switch layouts at any moment.
    virtual std::optional<std::string> characterForKey(std::uint16_t keyCode) = 0;
    virtual ShortcutNotation notation() = 0;
};

} // namespace cendrel
