// sway: the owner binds keys with `bindsym` lines in sway's config, which
// sway's IPC hands back (GET_CONFIG). Gap: a binding in a file the config
// includes is not seen.
#pragma once

#include "LinuxDesktop.h"

#include <QString>

namespace cendrel {

class SwayShortcuts final : public OwnerShortcuts {
public:
    BindingAdvice advice(const ShortcutWords& shortcut, const std::string& command) const override;
    // Asks the sway that $SWAYSOCK names.
    void findCommandKey(std::function<void(std::optional<std::string>)> onFound) override;
};

// The key combination that a `bindsym` or `bindcode` line of `config` binds to
// arming Cendrel, its variables ($mod) written out.
std::optional<std::string> swayCommandKey(const QString& config);

} // namespace cendrel
