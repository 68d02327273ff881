// A desktop's screen locker, asked over the session bus.
#pragma once

#include "ScreenLocker.h"

#include <string>

namespace cendrel {

// The object a screen saver serves under its bus name: the name with its
// dots as slashes (org.mate.ScreenSaver: /org/mate/ScreenSaver).
std::string screenSaverPath(const std::string& name);

// Asks whether the name has an owner, then calls its Lock; evidence is its
// GetActive answering true, asked every quarter second from then on. Nothing
// when there is no session bus.
std::unique_ptr<LockRequest> askScreenSaver(const std::string& name, LockReplyHandler onReply);

} // namespace cendrel
