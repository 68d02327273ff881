// Application on macOS: NSApplication, an Objective-C delegate that hands
// applicationDidFinishLaunching: to the core's delegate, and NSAlert. No gap.
#import <AppKit/AppKit.h>

#include "MacBackend.h"
#include "MacStrings.h"

#include <utility>

// NSApplication holds its delegate weakly; MacApplication owns this one.
@interface CNDApplicationDelegate : NSObject <NSApplicationDelegate>
- (instancetype)initWithDelegate:(const std::weak_ptr<cendrel::ApplicationDelegate>&)delegate;
@end

@implementation CNDApplicationDelegate {
    std::weak_ptr<cendrel::ApplicationDelegate> _delegate;
}

- (instancetype)initWithDelegate:(const std::weak_ptr<cendrel::ApplicationDelegate>&)delegate
{
    self = [super init];
    if (self != nil) {
        _delegate = delegate;
    }
    return self;
}

- (void)applicationDidFinishLaunching:(NSNotification*)notification
{
    (void)notification;
    if (std::shared_ptr<cendrel::ApplicationDelegate> delegate = _delegate.lock()) {
        delegate->applicationDidFinishLaunching();
    }
}

@end

namespace cendrel {

namespace {

static_assert(static_cast<NSInteger>(ActivationPolicy::regular) == NSApplicationActivationPolicyRegular);
static_assert(static_cast<NSInteger>(ActivationPolicy::accessory) == NSApplicationActivationPolicyAccessory);
static_assert(static_cast<NSInteger>(ActivationPolicy::prohibited) == NSApplicationActivationPolicyProhibited);

class MacApplication final : public Application {
public:
    void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) override
    {
        delegate_ = [[CNDApplicationDelegate alloc] initWithDelegate:std::move(delegate)];
        NSApplication.sharedApplication.delegate = delegate_;
    }

    void run() override { [NSApplication.sharedApplication run]; }

    void setActivationPolicy(ActivationPolicy policy) override
    {
        [NSApplication.sharedApplication setActivationPolicy:static_cast<NSApplicationActivationPolicy>(policy)];
    }

    void terminate() override { [NSApplication.sharedApplication terminate:nil]; }

    void activateIgnoringOtherApps(bool flag) override
    {
        [NSApplication.sharedApplication activateIgnoringOtherApps:flag];
    }

    void runModalAlert(const std::string& messageText, const std::string& informativeText) override
    {
        NSAlert* alert = [[NSAlert alloc] init];
        alert.messageText = toNSString(messageText);
        alert.informativeText = toNSString(informativeText);
        [alert runModal];
    }

private:
    CNDApplicationDelegate* delegate_ = nil;
};

} // namespace

std::shared_ptr<Application> makeMacApplication()
{
    return std::make_shared<MacApplication>();
}

} // namespace cendrel
