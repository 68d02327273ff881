// Launch at login as an XDG autostart entry.
#pragma once

#include "LoginItems.h"

#include <string>

namespace cendrel {

// The absolute path of the running executable, as the entry names it.
std::string runningExecutablePath();

// The desktop entry installed beside `executable` (…/bin/cendrel with
// …/share/applications/cendrel.desktop), or empty for a program that was not
// installed, such as one in a build tree.
std::string installedDesktopEntry(const std::string& executable);

class XdgAutostart final : public LoginItems {
public:
    // `entryPath` is the desktop entry (…/autostart/cendrel.desktop) that
    // starts `executable`. An installed program's entry is a copy of
    // `installedEntry`, which starts it by name; otherwise it names the
    // executable's path.
    XdgAutostart(std::string entryPath, std::string executable, std::string installedEntry = {});

    // The entry exists, starts this executable, and the session will run it.
    bool isEnabled() override;
    std::optional<LoginItemError> enable() override;
    std::optional<LoginItemError> disable() override;

private:
    std::string entryPath_;
    std::string executable_;
    std::string installedEntry_;
};

} // namespace cendrel
