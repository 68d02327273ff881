#include "ScreenLock.h"

#include "Platform.h"

#include <string_view>

namespace cendrel {

namespace {

// What the log says when the system's own lock does not happen, by system.
struct FailureLines {
    std::string_view unavailable;
    std::string_view missing;
    std::string_view refused;
};

constexpr FailureLines macLines{
    "Cendrel: could not open login.framework, falling back",
    "Cendrel: SACLockScreenImmediate not found, falling back",
    // A plain C function cannot refuse; should a backend say so anyway, the
    // lock still falls back.
    "Cendrel: SACLockScreenImmediate failed, falling back",
};

constexpr FailureLines freedesktopLines{
    "Cendrel: could not reach login1, falling back",
    "Cendrel: login1 Lock not found, falling back",
    "Cendrel: login1 Lock failed, falling back",
};

constexpr FailureLines screenSaverLines{
    "Cendrel: could not reach the screen saver, falling back",
    "Cendrel: screen saver Lock not found, falling back",
    "Cendrel: screen saver Lock failed, falling back",
};

bool isFreedesktop()
{
    return platform().flavor == SystemFlavor::freedesktop;
}

std::string_view lineFor(const FailureLines& lines, LockFailure failure)
{
    switch (failure) {
    case LockFailure::unavailable:
        return lines.unavailable;
    case LockFailure::missing:
        return lines.missing;
    case LockFailure::refused:
        return lines.refused;
    }
    return lines.refused;
}

} // namespace

void ScreenLock::lock()
{
    platform().screenLocker->lockSession([](LockFailure failure) {
        const Platform& system = platform();
        system.systemLog->log(lineFor(isFreedesktop() ? freedesktopLines : macLines, failure));
        // Desktops without a login manager that locks (or with one that
        // refuses) often still have a screen locker of their own.
        if (isFreedesktop()) {
            const auto screenSaver = system.screenLocker->lockScreenSaver();
            if (!screenSaver)
                return;
            system.systemLog->log(lineFor(screenSaverLines, *screenSaver));
        }
        fallbackLock();
    });
}

void ScreenLock::fallbackLock()
{
    const Platform& system = platform();
    if (system.screenLocker->sleepDisplay())
        return;
    // A guard that could not lock must never stay quiet about it.
    system.systemLog->log("Cendrel: could not put the display to sleep either; the screen is NOT locked");
    system.application->notify({NoticeSubject::screenLock, true, "Cendrel could not lock the screen",
                                "Neither the session lock nor the display sleep worked. Lock the screen yourself."});
}

} // namespace cendrel
