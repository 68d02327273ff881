// A desktop's screen locker, asked over the session bus.
#pragma once

#include "ScreenLocker.h"

#include <string>
#include <vector>

namespace cendrel {

// The object a screen saver serves under its bus name: the name with its
// dots as slashes (org.mate.ScreenSaver: /org/mate/ScreenSaver).
std::string screenSaverPath(const std::string& name);

// Calls its Lock (with an empty message where `lockTakesMessage`), starting
// it if the bus can; evidence is its GetActive answering true, asked every
// quarter second from then on. Nothing when there is no session bus.
std::unique_ptr<LockRequest> askScreenSaver(const std::string& name, bool lockTakesMessage, LockReplyHandler onReply);
// Whether one of these names is owned on the session bus, or can be started.
bool screenSaverFound(const std::vector<std::string>& names);

} // namespace cendrel
