// What a key types in the layout the keyboard uses right now (its current
// group), without modifiers. Keys outside the position tables type nothing.
#include "LinuxKeyboardLayout.h"

#include "LinuxKeyCodes.h"

namespace cendrel {

std::optional<std::string> LinuxKeyboardLayout::characterForKey(std::uint16_t keyCode)
{
    const auto keycode = linux_keys::xKeycodeFromMacKeyCode(keyCode);
    if (!keycode || !x_) {
        return std::nullopt;
    }
    return x_->textForKey(*keycode);
}

} // namespace cendrel
