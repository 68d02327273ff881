// ScreenLocker on macOS: SACLockScreenImmediate from the private
// login.framework, loaded at each lock, and pmset to sleep the display; the
// decisions are in MacLockSteps. The evidence is the session's own word:
// CGSessionCopyCurrentDictionary's CGSSessionScreenIsLocked, a CFBoolean
// present and true while the lock screen is up.
#include <CoreGraphics/CoreGraphics.h>
#import <Foundation/Foundation.h>
#include <dispatch/dispatch.h>
#include <dlfcn.h>

#include "MacBackend.h"
#include "MacLockSteps.h"
#include "MacStrings.h"

#include <memory>
#include <vector>

namespace cendrel {

namespace {

MacLockCalls systemCalls()
{
    MacLockCalls calls;
    calls.openLibrary = [](const char* path, int mode) { return dlopen(path, mode); };
    calls.lookUp = [](void* library, const char* name) { return dlsym(library, name); };
    // A plain C function without arguments, returning 0 when it went
    // through; anything else is a refusal.
    calls.callFunction = [](void* function) { return reinterpret_cast<int (*)()>(function)(); };
    calls.closeLibrary = [](void* library) { dlclose(library); };
    // Only the executable and the arguments are set: the child inherits the
    // rest, is not waited for and is not kept.
    calls.startProcess = [](const std::string& executable, const std::vector<std::string>& arguments) {
        NSTask* task = [[NSTask alloc] init];
        task.executableURL = [NSURL fileURLWithPath:toNSString(executable)];
        std::vector<NSString*> words;
        for (const std::string& argument : arguments)
            words.push_back(toNSString(argument));
        task.arguments = [NSArray arrayWithObjects:words.data() count:words.size()];
        return static_cast<bool>([task launchAndReturnError:nil]);
    };
    return calls;
}

// The report goes out on a later pass of the main queue, unless the request
// was given back first.
class MacLockRequest final : public LockRequest {
public:
    MacLockRequest(LockReport report, const LockReplyHandler& onReply)
    {
        std::weak_ptr<bool> alive = alive_;
        dispatch_async(dispatch_get_main_queue(), ^{
          if (alive.lock())
              onReply(report);
        });
    }

private:
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class MacScreenLocker final : public ScreenLocker {
public:
    std::vector<LockStep> lockSteps() override
    {
        std::vector<LockStep> steps;
        steps.push_back(loginFrameworkStep(systemCalls(), [](LockReport report, LockReplyHandler onReply) {
            return std::make_unique<MacLockRequest>(report, std::move(onReply));
        }));
        return steps;
    }

    bool screenLooksLocked() override
    {
        CFDictionaryRef session = CGSessionCopyCurrentDictionary();
        if (session == nullptr)
            return false;
        const void* value = CFDictionaryGetValue(session, CFSTR("CGSSessionScreenIsLocked"));
        const bool locked = value != nullptr && CFGetTypeID(value) == CFBooleanGetTypeID() &&
                            CFBooleanGetValue(static_cast<CFBooleanRef>(value));
        CFRelease(session);
        return locked;
    }

    bool switchDisplayOff() override { return sleepDisplayWithPmset(systemCalls()); }

    // The display asleep asks for the password when it wakes.
    bool displayOffLocks() const override { return true; }
};

} // namespace

std::shared_ptr<ScreenLocker> makeMacScreenLocker()
{
    return std::make_shared<MacScreenLocker>();
}

} // namespace cendrel
