// The order of the macOS lock steps: open, look up, call, close; then pmset.
#include "MacLockSteps.h"

#include <dlfcn.h>

namespace cendrel {

namespace {
constexpr const char* loginFramework = "/System/Library/PrivateFrameworks/login.framework/Versions/Current/login";
}

std::optional<LockReport> lockWithLoginFramework(const MacLockCalls& calls)
{
    void* library = calls.openLibrary(loginFramework, RTLD_NOW);
    if (library == nullptr)
        return std::nullopt;
    LockReport report{LockReport::Outcome::failed, LockFailure::missing};
    if (void* function = calls.lookUp(library, "SACLockScreenImmediate")) {
        calls.callFunction(function);
        report = {LockReport::Outcome::locked, LockFailure::refused};
    }
    calls.closeLibrary(library);
    return report;
}

bool sleepDisplayWithPmset(const MacLockCalls& calls)
{
    return calls.startProcess("/usr/bin/pmset", {"displaysleepnow"});
}

} // namespace cendrel
