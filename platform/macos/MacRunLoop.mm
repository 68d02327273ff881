// RunLoop on macOS: NSTimer on the main run loop, the main dispatch queue,
// NSEvent's global and local monitors and the pointer position. Gap: a local
// monitor cannot hand AppKit a different event, so when the handler lets an
// event through, the original NSEvent is dispatched.
#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>

#include "MacBackend.h"

#include <utility>

namespace cendrel {

namespace {

// The core's enumerations carry AppKit's numbers, so events convert by value.
static_assert(static_cast<NSUInteger>(EventType::leftMouseDown) == NSEventTypeLeftMouseDown);
static_assert(static_cast<NSUInteger>(EventType::leftMouseUp) == NSEventTypeLeftMouseUp);
static_assert(static_cast<NSUInteger>(EventType::rightMouseDown) == NSEventTypeRightMouseDown);
static_assert(static_cast<NSUInteger>(EventType::rightMouseUp) == NSEventTypeRightMouseUp);
static_assert(static_cast<NSUInteger>(EventType::mouseMoved) == NSEventTypeMouseMoved);
static_assert(static_cast<NSUInteger>(EventType::leftMouseDragged) == NSEventTypeLeftMouseDragged);
static_assert(static_cast<NSUInteger>(EventType::keyDown) == NSEventTypeKeyDown);
static_assert(static_cast<NSUInteger>(EventType::keyUp) == NSEventTypeKeyUp);
static_assert(static_cast<NSUInteger>(EventType::flagsChanged) == NSEventTypeFlagsChanged);
static_assert(static_cast<NSUInteger>(EventType::scrollWheel) == NSEventTypeScrollWheel);
static_assert(static_cast<NSUInteger>(EventType::otherMouseDown) == NSEventTypeOtherMouseDown);
static_assert(static_cast<NSUInteger>(EventType::otherMouseUp) == NSEventTypeOtherMouseUp);
static_assert(sizeof(NSEventMask) == sizeof(std::uint64_t));

Event toEvent(NSEvent* nsEvent)
{
    Event event;
    event.type = static_cast<EventType>(static_cast<int>(nsEvent.type));
    // NSEvent raises when keyCode is asked of anything but a key event.
    if (nsEvent.type == NSEventTypeKeyDown || nsEvent.type == NSEventTypeKeyUp ||
        nsEvent.type == NSEventTypeFlagsChanged) {
        event.keyCode = nsEvent.keyCode;
    }
    event.modifierFlags = nsEvent.modifierFlags;
    return event;
}

class MacTimer final : public Timer {
public:
    explicit MacTimer(std::function<void()> block) : block_(std::move(block)) {}
    ~MacTimer() override { [timer_ invalidate]; }

    void invalidate() override { [timer_ invalidate]; }

    void schedule(Seconds interval, bool repeats, std::weak_ptr<MacTimer> weakSelf)
    {
        // The run loop keeps the NSTimer, and the NSTimer its block: the block
        // holds this wrapper weakly so that dropping the wrapper ends the timer.
        timer_ = [NSTimer scheduledTimerWithTimeInterval:interval.count()
                                                 repeats:repeats
                                                   block:^(NSTimer*) {
                                                     std::shared_ptr<MacTimer> timer = weakSelf.lock();
                                                     if (!timer) {
                                                         return;
                                                     }
                                                     // The closure may drop the last outside reference to
                                                     // the timer; `timer` keeps it alive while it runs.
                                                     timer->block_();
                                                   }];
    }

    NSTimer* nativeTimer() const { return timer_; }

private:
    std::function<void()> block_;
    NSTimer* timer_ = nil;
};

class MacEventMonitor final : public EventMonitor {
public:
    explicit MacEventMonitor(id token) : token_(token) {}
    // The token, once: AppKit is not asked to remove a monitor twice.
    id takeToken()
    {
        id token = token_;
        token_ = nil;
        return token;
    }

private:
    id token_;
};

class MacRunLoop final : public RunLoop {
public:
    std::shared_ptr<Timer> scheduledTimer(Seconds interval, bool repeats, std::function<void()> block) override
    {
        auto timer = std::make_shared<MacTimer>(std::move(block));
        timer->schedule(interval, repeats, timer);
        return timer;
    }

    void addTimerForCommonModes(const std::shared_ptr<Timer>& timer) override
    {
        // A spent or invalidated timer stays so: it is not brought back.
        auto* macTimer = dynamic_cast<MacTimer*>(timer.get());
        if (macTimer == nullptr || !macTimer->nativeTimer().valid) {
            return;
        }
        [NSRunLoop.mainRunLoop addTimer:macTimer->nativeTimer() forMode:NSRunLoopCommonModes];
    }

    void postToMainQueue(std::function<void()> block) override
    {
        dispatch_async(dispatch_get_main_queue(), ^{
          block();
        });
    }

    // AppKit keeps the handler until removeMonitor:, as the interface says;
    // the handler itself holds its owner weakly.
    std::shared_ptr<EventMonitor> addGlobalMonitor(std::uint64_t mask,
                                                   std::function<void(const Event&)> handler) override
    {
        id token = [NSEvent addGlobalMonitorForEventsMatchingMask:mask
                                                          handler:^(NSEvent* nsEvent) {
                                                            handler(toEvent(nsEvent));
                                                          }];
        if (token == nil) {
            return nullptr;
        }
        return std::make_shared<MacEventMonitor>(token);
    }

    std::shared_ptr<EventMonitor> addLocalMonitor(std::uint64_t mask,
                                                  std::function<std::optional<Event>(const Event&)> handler) override
    {
        id token = [NSEvent addLocalMonitorForEventsMatchingMask:mask
                                                         handler:^NSEvent*(NSEvent* nsEvent) {
                                                           return handler(toEvent(nsEvent)) ? nsEvent : nil;
                                                         }];
        if (token == nil) {
            return nullptr;
        }
        return std::make_shared<MacEventMonitor>(token);
    }

    void removeMonitor(const std::shared_ptr<EventMonitor>& monitor) override
    {
        auto* macMonitor = dynamic_cast<MacEventMonitor*>(monitor.get());
        if (macMonitor == nullptr) {
            return;
        }
        id token = macMonitor->takeToken();
        if (token != nil) {
            [NSEvent removeMonitor:token];
        }
    }

    Point mouseLocation() override
    {
        NSPoint location = NSEvent.mouseLocation;
        return Point{location.x, location.y};
    }
};

} // namespace

std::shared_ptr<RunLoop> makeMacRunLoop()
{
    return std::make_shared<MacRunLoop>();
}

} // namespace cendrel
