#include "ScreenLock.h"

#include "Platform.h"

#include <string>

namespace cendrel {

namespace {

const ScreenLock::Recipe macRecipe{
    "/System/Library/PrivateFrameworks/login.framework/Versions/Current/login",
    loaderModeNow,
    "SACLockScreenImmediate",
    "Cendrel: could not open login.framework, falling back",
    "Cendrel: SACLockScreenImmediate not found, falling back",
    "",
    "/usr/bin/pmset",
    {"displaysleepnow"},
};

// The login manager locks the caller's session over the system bus, as
// `loginctl lock-session` does; without it the display is switched off.
const ScreenLock::Recipe freedesktopRecipe{
    "org.freedesktop.login1",
    loaderModeNow,
    "Lock",
    "Cendrel: could not reach login1, falling back",
    "Cendrel: login1 Lock not found, falling back",
    "Cendrel: login1 Lock failed, falling back",
    "xset",
    {"dpms", "force", "off"},
};

} // namespace

const ScreenLock::Recipe& ScreenLock::recipe()
{
    return platform().flavor == SystemFlavor::freedesktop ? freedesktopRecipe : macRecipe;
}

void ScreenLock::lock()
{
    const Platform& system = platform();
    const Recipe& how = recipe();
    Loader& loader = *system.loader;
    LibraryHandle library = loader.open(std::string(how.library), how.openMode);
    if (!library) {
        system.systemLog->log(how.openFailedLine);
        fallbackLock();
        return;
    }
    if (FunctionHandle function = loader.lookup(library, std::string(how.function))) {
        const bool called = loader.call(function);
        if (!called && !how.callFailedLine.empty()) {
            system.systemLog->log(how.callFailedLine);
            fallbackLock();
        }
    } else {
        system.systemLog->log(how.functionMissingLine);
        fallbackLock();
    }
    loader.close(library);
}

void ScreenLock::fallbackLock()
{
    const Recipe& how = recipe();
    std::vector<std::string> arguments(how.fallbackArguments.begin(), how.fallbackArguments.end());
    // A start failure is dropped: the line that led here is already logged.
    (void)platform().loader->startProcess(std::string(how.fallbackExecutable), arguments);
}

} // namespace cendrel
