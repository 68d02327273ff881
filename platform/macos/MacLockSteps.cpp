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
        report = calls.callFunction(function) == 0 ? LockReport{LockReport::Outcome::accepted, LockFailure::refused}
                                                   : LockReport{LockReport::Outcome::failed, LockFailure::refused};
    }
    calls.closeLibrary(library);
    return report;
}

LockStep loginFrameworkStep(MacLockCalls calls,
                            std::function<std::unique_ptr<LockRequest>(LockReport, LockReplyHandler)> later)
{
    auto start = [calls = std::move(calls),
                  later = std::move(later)](LockReplyHandler onReply) -> std::unique_ptr<LockRequest> {
        const auto report = lockWithLoginFramework(calls);
        if (!report)
            return nullptr;
        return later(*report, std::move(onReply));
    };
    return {std::move(start),
            {"could not open login.framework", "SACLockScreenImmediate not found", "SACLockScreenImmediate failed",
             "SACLockScreenImmediate"},
            false,
            std::nullopt};
}

bool sleepDisplayWithPmset(const MacLockCalls& calls)
{
    return calls.startProcess("/usr/bin/pmset", {"displaysleepnow"});
}

} // namespace cendrel
