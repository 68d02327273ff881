// What the macOS lock steps decide, in plain C++ with the system calls passed
// in, so that the decisions are built and run on any system.
#pragma once

#include "ScreenLocker.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace cendrel {

struct MacLockCalls {
    std::function<void*(const char* path, int mode)> openLibrary;
    std::function<void*(void* library, const char* name)> lookUp;
    // Calls a function that takes no arguments and returns an int.
    std::function<int(void* function)> callFunction;
    std::function<void(void* library)> closeLibrary;
    // Starts a program without waiting for it; false when it did not start.
    std::function<bool(const std::string& executable, const std::vector<std::string>& arguments)> startProcess;
};

// SACLockScreenImmediate from login.framework, opened anew at each lock and
// closed before returning. Nothing when the framework cannot be opened;
// otherwise `missing`, `refused` when the function returned non-zero, or
// `accepted`: only the session saying its screen is locked is evidence.
std::optional<LockReport> lockWithLoginFramework(const MacLockCalls& calls);
// The one lock step, in the log's words; `later` hands a report to the
// handler on a later pass.
LockStep loginFrameworkStep(MacLockCalls calls,
                            std::function<std::unique_ptr<LockRequest>(LockReport, LockReplyHandler)> later);
// /usr/bin/pmset displaysleepnow, started and not waited for.
bool sleepDisplayWithPmset(const MacLockCalls& calls);

} // namespace cendrel
