// GNOME: the owner binds a key to a command under Settings' Custom Shortcuts,
// which GNOME keeps in GSettings (the media-keys plugin's custom-keybindings,
// one relocatable custom-keybinding per path).
#pragma once

#include "LinuxDesktop.h"

#include <string>
#include <utility>
#include <vector>

namespace cendrel {

class GnomeShortcuts final : public OwnerShortcuts {
public:
    BindingAdvice advice(const ShortcutWords& shortcut, const std::string& command) const override;
    // Read through GIO, as GNOME's own programs read them: local, no bus.
    void findCommandKey(std::function<void(std::optional<std::string>)> onFound) override;
};

// Of custom shortcuts as (binding, command) pairs ("<Super><Alt>l",
// "cendrel --toggle"), the key of the first that arms Cendrel, as GNOME's
// Settings shows it ("Super+Alt+L").
std::optional<std::string> gnomeCommandKey(const std::vector<std::pair<std::string, std::string>>& shortcuts);

} // namespace cendrel
