// The user's current keyboard layout, and how the system writes shortcuts.
#pragma once

#include "Keys.h"

#include <optional>
#include <string>

namespace cendrel {

// macOS writes modifier glyphs (⌥⌘L); Linux desktops write names (Super+Alt+L).
enum class ShortcutNotation { glyphs, names };

class KeyboardLayout {
public:
    KeyboardLayout() = default;
    KeyboardLayout(const KeyboardLayout&) = delete;
    KeyboardLayout& operator=(const KeyboardLayout&) = delete;
    virtual ~KeyboardLayout() = default;

    // The UTF-8 text that the key types without modifiers in the current
    // layout, as the layout gives it; nothing when there is no layout or the
    // translation fails or is empty. Asked afresh each time: the user may
    // switch layouts at any moment.
    virtual std::optional<std::string> characterForKey(KeyCode keyCode) = 0;
    virtual ShortcutNotation notation() = 0;
    // The name the system's key tables give what the key types without
    // modifiers ("l", "comma", "Return": an X keysym name), as desktops write
    // keys in their shortcut settings; nothing where there are no such names.
    virtual std::optional<std::string> keySymbolName(KeyCode keyCode)
    {
        (void)keyCode;
        return std::nullopt;
    }
    // The text in upper case by the system's own rules ("ß" may become
    // "SS"), as printed on a key cap; text that is not UTF-8 comes back as
    // it is.
    virtual std::string uppercase(const std::string& text) = 0;
};

} // namespace cendrel
