// Application on macOS: NSApplication with an Objective-C delegate for the
// end of launching, NSAlert, and NSProcessInfo activities against App Nap.
// Gap: no desktop notice; a notice would need a permission asked at the worst
// moment, so the log line the core writes stands alone.
#import <AppKit/AppKit.h>

#include "MacBackend.h"
#include "MacRules.h"
#include "MacStrings.h"

#include <utility>

@interface CNDApplicationDelegate : NSObject <NSApplicationDelegate>
- (instancetype)initWithDidFinishLaunching:(std::function<void()>)didFinishLaunching;
@end

@implementation CNDApplicationDelegate {
    std::function<void()> _didFinishLaunching;
}

- (instancetype)initWithDidFinishLaunching:(std::function<void()>)didFinishLaunching
{
    self = [super init];
    if (self != nil) {
        _didFinishLaunching = std::move(didFinishLaunching);
    }
    return self;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification
{
    (void)notification;
    if (_didFinishLaunching) {
        _didFinishLaunching();
    }
}

// Without it macOS 14 and later log a warning at every launch; the program
// restores no windows, so the secure form costs nothing.
- (BOOL)applicationSupportsSecureRestorableState:(NSApplication*)app
{
    (void)app;
    return YES;
}

@end

namespace cendrel {

namespace {

class MacActivity final : public Activity {
public:
    explicit MacActivity(id<NSObject> token) : token_(token) {}
    ~MacActivity() override { [NSProcessInfo.processInfo endActivity:token_]; }

private:
    id<NSObject> token_;
};

class MacApplication final : public Application {
public:
    explicit MacApplication(void* startupPool) : startupPool_(startupPool) {}

    void run(std::function<void()> didFinishLaunching) override
    {
        // NSApplication holds its delegate weakly: this object keeps it.
        delegate_ = [[CNDApplicationDelegate alloc] initWithDidFinishLaunching:std::move(didFinishLaunching)];
        NSApplication.sharedApplication.delegate = delegate_;
        if (startupPool_ != nullptr) {
            objc_autoreleasePoolPop(startupPool_);
            startupPool_ = nullptr;
        }
        [NSApplication.sharedApplication run];
    }

    void becomeAccessory() override
    {
        [NSApplication.sharedApplication setActivationPolicy:NSApplicationActivationPolicyAccessory];
    }

    void terminate() override { [NSApplication.sharedApplication terminate:nil]; }

    void showAlert(const std::string& message, const std::string& information) override
    {
        runAlert(message, information, nil);
    }

    bool showAlertWithAction(const std::string& message, const std::string& information,
                             const std::string& actionTitle) override
    {
        return runAlert(message, information, toNSString(actionTitle)) == NSAlertSecondButtonReturn;
    }

    // Called from work posted to the main run loop, which runs inside the
    // alert's modal loop: runModal then returns, with NSModalResponseAbort.
    void closeAlert() override
    {
        NSApplication* app = NSApplication.sharedApplication;
        if (app.modalWindow != nil) {
            [app abortModal];
        }
    }

    void notify(const Notice&) override {}

    // App Nap would otherwise coalesce the timers of a program with no window
    // on screen, and the pointer poll would lag by seconds. Idle sleep stays
    // allowed: a guarded computer may still go to sleep.
    std::unique_ptr<Activity> beginActivity(std::string_view reason) override
    {
        id<NSObject> token =
            [NSProcessInfo.processInfo beginActivityWithOptions:NSActivityUserInitiatedAllowingIdleSystemSleep
                                                         reason:toNSString(reason)];
        return std::make_unique<MacActivity>(token);
    }

private:
    static NSModalResponse runAlert(const std::string& message, const std::string& information, NSString* action)
    {
        // An accessory application is not frontmost: without this the alert
        // opens behind the window the user is working in.
        bringApplicationForward();
        NSAlert* alert = [[NSAlert alloc] init];
        alert.messageText = toNSString(message);
        alert.informativeText = toNSString(information);
        if (action != nil) {
            // The default button first; the action second, so Return does not
            // send the owner off to System Settings.
            [alert addButtonWithTitle:@"OK"];
            [alert addButtonWithTitle:action];
        }
        const NSModalResponse response = [alert runModal];
        // Left frontmost with no window, the agent would keep the keyboard,
        // and the owner's typing would go nowhere. On a later pass, once the
        // alert's window is surely gone.
        postToMainRunLoop(&giveFocusBack);
        return response;
    }

    void* startupPool_;
    CNDApplicationDelegate* delegate_ = nil;
};

} // namespace

void bringApplicationForward()
{
    NSApplication* app = NSApplication.sharedApplication;
    mac::bringForward({
        [app] { return app.hidden != NO; },
        [app] { [app unhideWithoutActivation]; },
        [app] {
            if (@available(macOS 14.0, *)) {
                [app activate];
            } else {
                [app activateIgnoringOtherApps:YES];
            }
        },
    });
}

void giveFocusBack()
{
    NSApplication* app = NSApplication.sharedApplication;
    mac::hideUnlessShowing(
        [app] {
            if (app.modalWindow != nil) {
                return true;
            }
            // The status item's own window is always visible, but can never
            // be the key window: only a panel or an alert can.
            for (NSWindow* window in app.windows) {
                if (window.visible && window.canBecomeKeyWindow) {
                    return true;
                }
            }
            return false;
        },
        [app] { [app hide:nil]; });
}

std::shared_ptr<Application> makeMacApplication(void* startupPool)
{
    return std::make_shared<MacApplication>(startupPool);
}

} // namespace cendrel
