// Launch at login as an XDG autostart entry.
#pragma once

#include "LoginItems.h"

#include <string>

namespace cendrel {

// $XDG_CONFIG_HOME/autostart/cendrel.desktop, ~/.config when unset.
std::string autostartFilePath();

// The autostart entry that starts the executable at this absolute path.
std::string autostartEntry(const std::string& executable);
// Whether an autostart file's text is an entry of ours that the session will
// start: its Exec names this executable, and it is neither Hidden nor turned
// off for GNOME.
bool autostartEntryIsEnabled(const std::string& contents, const std::string& executable);

class LinuxLoginItems final : public LoginItems {
public:
    LinuxLoginItems(std::string entryPath, std::string executable);

    std::int64_t status() override;
    std::optional<LoginItemError> registerMainApp() override;
    std::optional<LoginItemError> unregisterMainApp() override;

private:
    std::string entryPath_;
    std::string executable_;
};

} // namespace cendrel
