// Locks the screen at once: the system's own lock, or the display put to
// sleep when that is not available.
#pragma once

namespace cendrel {

class ScreenLock {
public:
    ScreenLock() = delete;

    // Returns as soon as the lock has been requested; never waits for the
    // screen to lock or for a fallback to finish. Reports nothing to the
    // caller; when even the fallback cannot start, the owner is told.
    static void lock();

private:
    static void fallbackLock();
};

} // namespace cendrel
