// The desktop's own screen locker, asked over the session bus.
#pragma once

#include "ScreenLocker.h"

#include <chrono>
#include <optional>

namespace cendrel {

// Asks org.freedesktop.ScreenSaver to lock now and waits at most `limit`
// for the answer, without running the event loop meanwhile; nothing when it
// locked.
std::optional<LockFailure> lockScreenSaver(std::chrono::milliseconds limit);

} // namespace cendrel
