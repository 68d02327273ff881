// ScreenLocker on macOS: SACLockScreenImmediate from the private
// login.framework, loaded at each lock, and pmset to sleep the display; the
// decisions are in MacLockSteps. Gap: the private function reports nothing,
// so its return is the only evidence of a lock, and a lock it could not make
// is not seen.
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
    // A plain C function without arguments. Its result is not documented
    // and not needed; the arm64 calling convention lets it be called as
    // returning nothing.
    calls.callFunction = [](void* function) { reinterpret_cast<void (*)()>(function)(); };
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
    MacLockRequest(LockReport report, LockReplyHandler onReply)
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
    std::unique_ptr<LockRequest> lockSession(LockReplyHandler onReply) override
    {
        const auto report = lockWithLoginFramework(systemCalls());
        if (!report)
            return nullptr;
        return std::make_unique<MacLockRequest>(*report, std::move(onReply));
    }

    bool switchDisplayOff() override { return sleepDisplayWithPmset(systemCalls()); }
};

} // namespace

std::shared_ptr<ScreenLocker> makeMacScreenLocker()
{
    return std::make_shared<MacScreenLocker>();
}

} // namespace cendrel
