// Input on macOS: NSEvent's global and local monitors, the pointer position,
// and the Accessibility trust that key presses in other applications need.
// Gap: keys typed into secure fields, or under Secure Keyboard Entry, never
// reach a monitor; canWatchKeyPresses() says so while it is on.
#import <AppKit/AppKit.h>
#import <ApplicationServices/ApplicationServices.h>
#import <Carbon/Carbon.h>

#include "MacBackend.h"
#include "MacKeys.h"
#include "MacRules.h"

#include <utility>

namespace cendrel {

namespace {

// Button presses, key presses and scrolls; releases, drags and moves are left
// out, and so are modifier keys on their own but Fn (see MacRules).
constexpr NSEventMask localEvents = NSEventMaskLeftMouseDown | NSEventMaskRightMouseDown | NSEventMaskOtherMouseDown |
                                    NSEventMaskKeyDown | NSEventMaskScrollWheel;
constexpr NSEventMask globalEvents = localEvents | NSEventMaskFlagsChanged | NSEventMaskSystemDefined;
static_assert(localEvents == mac::localEventMask && globalEvents == mac::globalEventMask);

// Each field is read only for the types that carry it: AppKit raises on the
// others.
mac::SeenEvent seenEvent(NSEvent* event)
{
    mac::SeenEvent seen;
    switch (event.type) {
    case NSEventTypeKeyDown:
    case NSEventTypeFlagsChanged:
        seen.kind =
            event.type == NSEventTypeKeyDown ? mac::SeenEvent::Kind::keyDown : mac::SeenEvent::Kind::flagsChanged;
        seen.key = KeyPress{event.keyCode, modifiersFromEventFlags(event.modifierFlags)};
        break;
    case NSEventTypeSystemDefined:
        seen.kind = mac::SeenEvent::Kind::systemDefined;
        seen.subtype = event.subtype;
        seen.data1 = event.data1;
        break;
    default:
        break;
    }
    return seen;
}

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
    explicit MacInput(std::shared_ptr<const mac::HotKeyPresses> hotKeyPresses)
        : hotKeyPresses_(std::move(hotKeyPresses))
    {
    }

    // The global monitor sees only input sent to other applications; the
    // local one adds the input sent to Cendrel's own status item and windows,
    // which must lock just the same, and drops the event that locked.
    std::unique_ptr<InputWatch> watchInput(std::function<bool()> onInput) override
    {
        auto handler = std::make_shared<std::function<bool()>>(std::move(onInput));
        // Held weakly: the hot keys outlive every watch, and a watch must not
        // keep them.
        std::weak_ptr<const mac::HotKeyPresses> weakPresses = hotKeyPresses_;
        auto watched = [weakPresses](NSEvent* event) {
            std::shared_ptr<const mac::HotKeyPresses> presses = weakPresses.lock();
            return !presses || mac::isWatchedInput(seenEvent(event), *presses);
        };
        // The handler may release the watch, and AppKit the block with it: the
        // closure is held by a local copy while it runs.
        id globalMonitor = [NSEvent addGlobalMonitorForEventsMatchingMask:globalEvents
                                                                  handler:^(NSEvent* event) {
                                                                    std::shared_ptr<std::function<bool()>> report =
                                                                        handler;
                                                                    if (*report && watched(event)) {
                                                                        (*report)();
                                                                    }
                                                                  }];
        id localMonitor = [NSEvent addLocalMonitorForEventsMatchingMask:localEvents
                                                                handler:^NSEvent*(NSEvent* event) {
                                                                  std::shared_ptr<std::function<bool()>> report =
                                                                      handler;
                                                                  if (!watched(event)) {
                                                                      return event;
                                                                  }
                                                                  return mac::afterInputWatch(event, *report);
                                                                }];
        if (globalMonitor == nil && localMonitor == nil) {
            return nullptr;
        }
        return std::make_unique<MacInputWatch>(globalMonitor, localMonitor);
    }

    // Mouse buttons and scrolls come without any of this.
    bool canWatchKeyPresses() override { return keyWatch_.keyPressesVisible(); }
    void offerKeyWatchPermission() override { keyWatch_.offerTrust(); }

    Point pointerLocation() override
    {
        NSPoint location = NSEvent.mouseLocation;
        return Point{location.x, location.y};
    }

    // The pointer is polled here: a global monitor of every mouse move
    // would wake the program far more often than the poll does.
    std::unique_ptr<InputWatch> watchPointerMotion(std::function<void(Point)>) override { return nullptr; }

private:
    std::shared_ptr<const mac::HotKeyPresses> hotKeyPresses_;
    mac::KeyWatchCheck keyWatch_{{
        [] { return AXIsProcessTrusted() != 0; },
        [] {
            NSDictionary* options = [NSDictionary dictionaryWithObject:[NSNumber numberWithBool:YES]
                                                                forKey:(__bridge NSString*)kAXTrustedCheckOptionPrompt];
            AXIsProcessTrustedWithOptions((__bridge CFDictionaryRef)options);
        },
        [] { return IsSecureEventInputEnabled() != 0; },
    }};
};

} // namespace

std::shared_ptr<Input> makeMacInput(std::shared_ptr<const mac::HotKeyPresses> hotKeyPresses)
{
    return std::make_shared<MacInput>(std::move(hotKeyPresses));
}

} // namespace cendrel
