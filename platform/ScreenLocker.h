// Locking the user's session, and the stand-in when that cannot be done.
#pragma once

#include <functional>
#include <optional>

namespace cendrel {

// Why the system's own lock did not happen.
enum class LockFailure {
    // The lock service is not there (no library, no such bus name).
    unavailable,
    // The service is there but offers no lock (no such function, object or method).
    missing,
    // The service was asked and refused, or did not answer in time.
    refused,
};

class ScreenLocker {
public:
    ScreenLocker() = default;
    ScreenLocker(const ScreenLocker&) = delete;
    ScreenLocker& operator=(const ScreenLocker&) = delete;
    virtual ~ScreenLocker() = default;

    // Asks the system to lock the session now, and returns once it has been
    // asked; it never waits for the screen to lock. When it cannot be done,
    // `onFailure` is called once, before the request's resources are given
    // back.
    virtual void lockSession(const std::function<void(LockFailure)>& onFailure) = 0;
    // The desktop's own screen locker, where the session lock is not there
    // (freedesktop: org.freedesktop.ScreenSaver); nothing when it locked.
    // Systems without one never have it asked.
    virtual std::optional<LockFailure> lockScreenSaver() { return LockFailure::unavailable; }
    // The stand-in: puts the display to sleep at once. False when that could
    // not even be started.
    virtual bool sleepDisplay() = 0;
};

} // namespace cendrel
