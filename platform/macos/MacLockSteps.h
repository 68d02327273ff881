// What the macOS lock steps decide, in plain C++ with the system calls passed
// in, so that the decisions are built and run on any system.
#pragma once

#include "ScreenLocker.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cendrel {

struct MacLockCalls {
    std::function<void*(const char* path, int mode)> openLibrary;
    std::function<void*(void* library, const char* name)> lookUp;
    // Calls a function that takes no arguments and whose result is not used.
    std::function<void(void* function)> callFunction;
    std::function<void(void* library)> closeLibrary;
    // Starts a program without waiting for it; false when it did not start.
    std::function<bool(const std::string& executable, const std::vector<std::string>& arguments)> startProcess;
};

// SACLockScreenImmediate from login.framework, opened anew at each lock and
// closed before returning. Nothing when the framework cannot be opened;
// otherwise `locked` when the function was called (it reports nothing, and
// returns once it has locked), or `missing`.
std::optional<LockReport> lockWithLoginFramework(const MacLockCalls& calls);
// /usr/bin/pmset displaysleepnow, started and not waited for.
bool sleepDisplayWithPmset(const MacLockCalls& calls);

} // namespace cendrel
