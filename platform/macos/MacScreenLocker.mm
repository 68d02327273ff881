// ScreenLocker on macOS: SACLockScreenImmediate from the private
// login.framework, loaded at each lock, and pmset to sleep the display. Gap:
// the private function reports nothing, so a lock it could not make is not
// seen.
#import <Foundation/Foundation.h>
#include <dlfcn.h>

#include "MacBackend.h"

namespace cendrel {

namespace {

constexpr const char* loginFramework = "/System/Library/PrivateFrameworks/login.framework/Versions/Current/login";

class MacScreenLocker final : public ScreenLocker {
public:
    // Opened anew at every lock and closed before returning: nothing of the
    // private framework stays loaded between locks.
    void lockSession(const std::function<void(LockFailure)>& onFailure) override
    {
        void* library = dlopen(loginFramework, RTLD_NOW);
        if (library == nullptr) {
            report(onFailure, LockFailure::unavailable);
            return;
        }
        void* function = dlsym(library, "SACLockScreenImmediate");
        if (function != nullptr) {
            // A plain C function without arguments. Its result is not
            // documented and not needed; the arm64 calling convention lets it
            // be called as returning nothing.
            reinterpret_cast<void (*)()>(function)();
        } else {
            report(onFailure, LockFailure::missing);
        }
        dlclose(library);
    }

    // Only the executable and the argument are set: the child inherits the
    // rest, is not waited for and is not kept.
    bool sleepDisplay() override
    {
        NSTask* task = [[NSTask alloc] init];
        task.executableURL = [NSURL fileURLWithPath:@"/usr/bin/pmset"];
        task.arguments = @[ @"displaysleepnow" ];
        return [task launchAndReturnError:nil];
    }

private:
    static void report(const std::function<void(LockFailure)>& onFailure, LockFailure failure)
    {
        if (onFailure) {
            onFailure(failure);
        }
    }
};

} // namespace

std::shared_ptr<ScreenLocker> makeMacScreenLocker()
{
    return std::make_shared<MacScreenLocker>();
}

} // namespace cendrel
