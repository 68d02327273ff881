// Launch at login as an XDG autostart entry.
#pragma once

#include "LoginItems.h"

#include <string>

namespace cendrel {

// The absolute path of the running executable, as the entry names it.
std::string runningExecutablePath();
// The executable's path as /proc/self/exe reads, without the mark the kernel
// adds once the file has been replaced.
std::string executablePathFromLink(std::string path);

// The desktop entry installed beside `executable` (…/bin/cendrel with
// …/share/applications/org.cendrel.Cendrel.desktop), or empty for a program that was not
// installed, such as one in a build tree.
std::string installedDesktopEntry(const std::string& executable);

class XdgAutostart final : public LoginItems {
public:
    // `entryPath` is the desktop entry (…/autostart/org.cendrel.Cendrel.desktop)
    // that starts `executable`. An installed program's entry is a copy of
    // `installedEntry`, which starts it by name; otherwise it names the
    // executable's path. An entry of ours at `formerEntryPath` (where older
    // versions wrote it) is replaced by one at `entryPath` when next asked.
    XdgAutostart(std::string entryPath, std::string executable, std::string installedEntry = {},
                 std::string formerEntryPath = {});

    // The entry exists, starts this executable, and the session will run it.
    bool isEnabled() override;
    std::optional<LoginItemError> enable() override;
    std::optional<LoginItemError> disable() override;

private:
    void replaceFormerEntry();

    std::string entryPath_;
    std::string executable_;
    std::string installedEntry_;
    std::string formerEntryPath_;
};

} // namespace cendrel
