// Input on macOS: NSEvent's global and local monitors, the pointer position,
// and the Accessibility trust that key presses in other applications need.
// Gap: keys typed into secure fields, or under Secure Keyboard Entry, never
// reach a monitor; canWatchKeyPresses() says so while it is on.
#import <AppKit/AppKit.h>
#import <ApplicationServices/ApplicationServices.h>
#import <Carbon/Carbon.h>

#include "MacBackend.h"
#include "MacRules.h"

#include <utility>

namespace cendrel {

namespace {

// Button presses, key presses and scrolls; releases, drags, moves and
// modifier keys on their own are left out.
constexpr NSEventMask watchedEvents = NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown | NSEventMaskOtherMouseDown |
                                      NSEventMaskKeyDown | NSEventMaskScrollWheel;
static_assert(watchedEvents == 0x240040A);

class MacInputWatch final : public InputWatch {
public:
    MacInputWatch(id globalMonitor, id localMonitor) : globalMonitor_(globalMonitor), localMonitor_(localMonitor) {}
    ~MacInputWatch() override
    {
        if (globalMonitor_ != nil) {
            [NSEvent removeMonitor:globalMonitor_];
        }
        if (localMonitor_ != nil) {
            [NSEvent removeMonitor:localMonitor_];
        }
    }

private:
    id globalMonitor_;
    id localMonitor_;
};

class MacInput final : public Input {
public:
    // The global monitor sees only input sent to other applications; the
    // local one adds the input sent to Cendrel's own status item and windows,
    // which must lock just the same, and drops the event that locked.
    std::unique_ptr<InputWatch> watchInput(std::function<bool()> onInput) override
    {
        auto handler = std::make_shared<std::function<bool()>>(std::move(onInput));
        // The handler may release the watch, and AppKit the block with it: the
        // closure is held by a local copy while it runs.
        id globalMonitor = [NSEvent addGlobalMonitorForEventsMatchingMask:watchedEvents
                                                                  handler:^(NSEvent*) {
                                                                    std::shared_ptr<std::function<bool()>> report =
                                                                        handler;
                                                                    if (*report) {
                                                                        (*report)();
                                                                    }
                                                                  }];
        id localMonitor = [NSEvent addLocalMonitorForEventsMatchingMask:watchedEvents
                                                                handler:^NSEvent*(NSEvent* event) {
                                                                  std::shared_ptr<std::function<bool()>> report =
                                                                      handler;
                                                                  return mac::afterInputWatch(event, *report);
                                                                }];
        if (globalMonitor == nil && localMonitor == nil) {
            return nullptr;
        }
        return std::make_unique<MacInputWatch>(globalMonitor, localMonitor);
    }

    // Mouse buttons and scrolls come without any of this.
    bool canWatchKeyPresses() override { return keyWatch_.keyPressesVisible(); }

    Point pointerLocation() override
    {
        NSPoint location = NSEvent.mouseLocation;
        return Point{location.x, location.y};
    }

    // The pointer is polled here: a global monitor of every mouse move
    // would wake the program far more often than the poll does.
    std::unique_ptr<InputWatch> watchPointerMotion(std::function<void(Point)>) override { return nullptr; }

private:
    mac::KeyWatchCheck keyWatch_{{
        [] { return AXIsProcessTrusted() != 0; },
        [] {
            NSDictionary* options = [NSDictionary dictionaryWithObject:[NSNumber numberWithBool:YES]
                                                                forKey:(__bridge NSString*)kAXTrustedCheckOptionPrompt];
            return AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options) != 0;
        },
        [] { return IsSecureEventInputEnabled() != 0; },
    }};
};

} // namespace

std::shared_ptr<Input> makeMacInput()
{
    return std::make_shared<MacInput>();
}

} // namespace cendrel
