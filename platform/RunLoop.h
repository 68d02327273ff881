// The main run loop and what hangs off it: timers, the main queue, event
// monitors and the pointer position. Everything here is main-thread only.
#pragma once

#include "Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace cendrel {

// A scheduled timer. Releasing the last reference invalidates it, so a timer
// never outlives the one object that owns it.
class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer() = default;
    // No later firing. Harmless on a spent or already invalidated timer.
    virtual void invalidate() = 0;
};

// AppKit's event type numbers; an event mask bit is 1 shifted left by one.
enum class EventType : int {
    leftMouseDown = 1,
    leftMouseUp = 2,
    rightMouseDown = 3,
    rightMouseUp = 4,
    mouseMoved = 5,
    leftMouseDragged = 6,
    keyDown = 10,
    keyUp = 11,
    flagsChanged = 12,
    scrollWheel = 22,
    otherMouseDown = 25,
    otherMouseUp = 26,
};

constexpr std::uint64_t eventMask(EventType type)
{
    return std::uint64_t{1} << static_cast<int>(type);
}

struct Event {
    EventType type = EventType::keyDown;
    std::uint16_t keyCode = 0;
    // Device-independent flags in the high half (Caps Lock 0x10000 ... function
    // 0x800000), device-dependent bits in the low 16.
    std::uint64_t modifierFlags = 0;
};

// Opaque token of an installed event monitor; handed back to removeMonitor().
class EventMonitor {
public:
    virtual ~EventMonitor() = default;
};

class RunLoop {
public:
    RunLoop() = default;
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;
    virtual ~RunLoop() = default;

    // Scheduled in the default mode only: it waits while a menu is tracked.
    virtual std::shared_ptr<Timer> scheduledTimer(Seconds interval, bool repeats, std::function<void()> block) = 0;
    // Also fires in the common modes, so it keeps running while a menu is open.
    virtual void addTimerForCommonModes(const std::shared_ptr<Timer>& timer) = 0;
    // Runs later on the main thread, after the poster has returned, in posting order.
    virtual void postToMainQueue(std::function<void()> block) = 0;

    // Copies of matching events sent to other applications. Null when no
    // monitor could be installed.
    virtual std::shared_ptr<EventMonitor> addGlobalMonitor(std::uint64_t mask,
                                                           std::function<void(const Event&)> handler) = 0;
    // Matching events sent to this application, before dispatch: the event the
    // handler returns is dispatched, nothing consumes it. Null when none installed.
    virtual std::shared_ptr<EventMonitor>
    addLocalMonitor(std::uint64_t mask, std::function<std::optional<Event>(const Event&)> handler) = 0;
    // The handler is not called afterwards.
    virtual void removeMonitor(const std::shared_ptr<EventMonitor>& monitor) = 0;

    virtual Point mouseLocation() = 0;
};

} // namespace cendrel
