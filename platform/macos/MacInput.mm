// Input on macOS: NSEvent's global and local monitors, the pointer position,
// and the Accessibility trust that key presses in other applications need.
// Gap: keys typed into secure fields, or under Secure Keyboard Entry, never
// reach a monitor.
#import <AppKit/AppKit.h>
#import <ApplicationServices/ApplicationServices.h>

#include "MacBackend.h"

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
    // which must lock just the same, and lets it through unchanged.
    std::unique_ptr<InputWatch> watchInput(std::function<void()> onInput) override
    {
        auto handler = std::make_shared<std::function<void()>>(std::move(onInput));
        // The handler may release the watch, and AppKit the block with it: the
        // closure is held by a local copy while it runs.
        id globalMonitor = [NSEvent addGlobalMonitorForEventsMatchingMask:watchedEvents
                                                                  handler:^(NSEvent*) {
                                                                    std::shared_ptr<std::function<void()>> report =
                                                                        handler;
                                                                    if (*report) {
                                                                        (*report)();
                                                                    }
                                                                  }];
        id localMonitor = [NSEvent addLocalMonitorForEventsMatchingMask:watchedEvents
                                                                handler:^NSEvent*(NSEvent* event) {
                                                                  std::shared_ptr<std::function<void()>> report =
                                                                      handler;
                                                                  if (*report) {
                                                                      (*report)();
                                                                  }
                                                                  return event;
                                                                }];
        if (globalMonitor == nil && localMonitor == nil) {
            return nullptr;
        }
        return std::make_unique<MacInputWatch>(globalMonitor, localMonitor);
    }

    // The global monitor gets key presses only from a process trusted for
    // Accessibility; mouse buttons and scrolls come without it.
    bool canWatchKeyPresses() override { return AXIsProcessTrusted() != 0; }

    Point pointerLocation() override
    {
        NSPoint location = NSEvent.mouseLocation;
        return Point{location.x, location.y};
    }

    // The pointer is polled here: a global monitor of every mouse move
    // would wake the program far more often than the poll does.
    std::unique_ptr<InputWatch> watchPointerMotion(std::function<void(Point)>) override { return nullptr; }
};

} // namespace

std::shared_ptr<Input> makeMacInput()
{
    return std::make_shared<MacInput>();
}

} // namespace cendrel
