// The keyboard layout through xkbcommon, keys placed by physical position.
#pragma once

#include "KeyboardLayout.h"
#include "LinuxXConnection.h"

#include <memory>

namespace cendrel {

class LinuxKeyboardLayout final : public KeyboardLayout {
public:
    explicit LinuxKeyboardLayout(std::shared_ptr<LinuxXConnection> x) : x_(std::move(x)) {}
    std::optional<std::string> characterForKey(std::uint16_t keyCode) override;
    ShortcutNotation notation() override { return ShortcutNotation::names; }

private:
    std::shared_ptr<LinuxXConnection> x_;
};

} // namespace cendrel
