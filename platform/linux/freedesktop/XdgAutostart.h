// Launch at login as an XDG autostart entry.
#pragma once

#include "LoginItems.h"

#include <string>

namespace cendrel {

// The absolute path of the running executable, as the entry names it.
std::string runningExecutablePath();

class XdgAutostart final : public LoginItems {
public:
    // `entryPath` is the desktop entry (…/autostart/cendrel.desktop) that
    // starts `executable`.
    XdgAutostart(std::string entryPath, std::string executable);

    // The entry exists, starts this executable, and the session will run it.
    bool isEnabled() override;
    std::optional<LoginItemError> enable() override;
    std::optional<LoginItemError> disable() override;

private:
    std::string entryPath_;
    std::string executable_;
};

} // namespace cendrel
