// Hyprland: the owner binds keys with `bind =` lines in hyprland.conf; its
// request socket lists them all as JSON ("j/binds").
#pragma once

#include "LinuxDesktop.h"

#include <QByteArray>

namespace cendrel {

class HyprlandShortcuts final : public OwnerShortcuts {
public:
    BindingAdvice advice(const ShortcutWords& shortcut, const std::string& command) const override;
    // Asks the Hyprland that $HYPRLAND_INSTANCE_SIGNATURE names.
    void findCommandKey(std::function<void(std::optional<std::string>)> onFound) override;
};

// The combination, in hyprland.conf's words ("ALT SUPER, L"), that a list of
// binds in Hyprland's JSON binds to arming Cendrel.
std::optional<std::string> hyprlandCommandKey(const QByteArray& binds);

} // namespace cendrel
