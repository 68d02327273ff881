// Where the desktop's portal looks for which program is asking: outside a
// sandbox, xdg-desktop-portal names a program by the systemd unit it runs in
// (app-<id>-<random>.scope, as launchers start programs). A program started
// from a terminal or an autostart entry runs in no such unit, so the portal
// gives it an empty id, and KDE's then binds its shortcuts to nothing.
#pragma once

#include <string>

namespace cendrel {

// True when a /proc/<pid>/cgroup text places the process in a unit made for
// `applicationId` ("…/app-org.cendrel.Cendrel-123.scope").
bool runsInApplicationUnit(const std::string& cgroups, const std::string& applicationId);

// Moves this process into a new transient scope of the user's systemd
// manager named for `applicationId`, unless it already runs in one. Waits up
// to a second: the portal must find it there from its first call. The error,
// for the log; empty when done, not needed, or when no user manager answers
// (no systemd: no portal takes its ids from there either).
std::string placeInApplicationScope(const std::string& applicationId);

} // namespace cendrel
