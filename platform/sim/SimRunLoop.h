// The simulated main run loop: a virtual clock, timers in two modes, the main
// queue, event monitors and the pointer. Nothing here reads the wall clock;
// time moves only through advance().
#pragma once

#include "RunLoop.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace cendrel {

class SimTimer;
class SimEventMonitor;

// What a test can see of a live timer.
struct SimTimerInfo {
    Seconds fireDate{0};
    Seconds interval{0};
    bool repeats = false;
    // Added with addTimerForCommonModes: also fires while a menu is tracked.
    bool commonModes = false;
    friend bool operator==(const SimTimerInfo&, const SimTimerInfo&) = default;
};

class SimRunLoop final : public RunLoop {
public:
    SimRunLoop();
    ~SimRunLoop() override;

    // --- RunLoop ---------------------------------------------------------
    // Intervals below 0.1 ms are taken as 0.1 ms, as NSTimer does.
    std::shared_ptr<Timer> scheduledTimer(Seconds interval, bool repeats, std::function<void()> block) override;
    // A timer of another loop, or one already spent or invalidated, is ignored.
    void addTimerForCommonModes(const std::shared_ptr<Timer>& timer) override;
    void postToMainQueue(std::function<void()> block) override;
    // The loop, like AppKit, keeps an installed monitor until removeMonitor():
    // dropping the token alone leaves it installed.
    std::shared_ptr<EventMonitor> addGlobalMonitor(std::uint64_t mask,
                                                   std::function<void(const Event&)> handler) override;
    std::shared_ptr<EventMonitor> addLocalMonitor(std::uint64_t mask,
                                                  std::function<std::optional<Event>(const Event&)> handler) override;
    // Unknown, null or already removed tokens are ignored.
    void removeMonitor(const std::shared_ptr<EventMonitor>& monitor) override;
    // Never allocates.
    Point mouseLocation() override { return mouseLocation_; }

    // --- Clock and timers ------------------------------------------------
    // Virtual time since the loop was made; starts at 0.
    Seconds now() const;
    // Moves the clock forward by `duration`. Due timers fire one at a time in
    // deadline order (ties in scheduling order), with now() set to each
    // deadline; blocks posted meanwhile run before the next firing. Pending
    // blocks also run first and at the end. Default-mode timers wait while a
    // menu is tracked. A repeating timer that fell behind fires once and
    // skips the firings it missed. Must not be called from inside the loop.
    void advance(Seconds duration);
    // Timers that can still fire: one-shots that have not begun firing,
    // repeating ones not invalidated, neither released.
    std::size_t scheduledTimerCount() const;
    // The live timers, soonest first.
    std::vector<SimTimerInfo> liveTimers() const;

    // --- Modes -----------------------------------------------------------
    // Enters the menu-tracking mode: only common-mode timers fire.
    void beginMenuTracking();
    // Back to the default mode, after which the loop runs a pass at the
    // current time: overdue timers fire once each, then pending blocks run.
    void endMenuTracking();
    // As endMenuTracking(), with `beforeResuming` run after tracking has ended
    // and before the loop's pass: AppKit sends a chosen menu entry's action
    // at that point.
    void endMenuTracking(const std::function<void()>& beforeResuming);
    bool isTrackingMenu() const { return trackingMenu_; }

    // --- Main queue ------------------------------------------------------
    // Runs posted blocks in posting order until none is left, including the
    // ones they post.
    void runPendingBlocks();
    void drainMainQueue() { runPendingBlocks(); }
    std::size_t pendingBlockCount() const { return mainQueue_.size(); }

    // --- Event monitors --------------------------------------------------
    // Delivers a copy of the event to each global monitor whose mask matches,
    // in installation order.
    void sendEventToOtherApplication(const Event& event);
    // Passes the event through the matching local monitors in installation
    // order, each seeing what the previous one returned. True, and the event
    // recorded in dispatchedEvents(), when no monitor consumed it.
    bool sendEventToApplication(const Event& event);
    // Events that reached the application past its local monitors, as dispatched.
    const std::vector<Event>& dispatchedEvents() const { return dispatched_; }
    std::size_t globalMonitorCount() const;
    std::size_t localMonitorCount() const;
    // Makes the next installations give no token (until set back to false).
    void setGlobalMonitorInstallFails(bool fails) { globalInstallFails_ = fails; }
    void setLocalMonitorInstallFails(bool fails) { localInstallFails_ = fails; }

    // --- Pointer ---------------------------------------------------------
    void setMouseLocation(Point location) { mouseLocation_ = location; }

private:
    using Ticks = std::int64_t; // nanoseconds: repeated intervals add up exactly

    static Ticks toTicks(Seconds duration);
    std::shared_ptr<SimTimer> nextDueTimer(Ticks limit) const;
    void fire(SimTimer& timer);
    std::size_t monitorCount(bool global) const;

    Ticks now_ = 0;
    std::uint64_t nextSequence_ = 0;
    bool trackingMenu_ = false;
    bool advancing_ = false;
    std::vector<std::weak_ptr<SimTimer>> timers_;
    std::deque<std::function<void()>> mainQueue_;
    std::vector<std::shared_ptr<SimEventMonitor>> monitors_;
    std::vector<Event> dispatched_;
    bool globalInstallFails_ = false;
    bool localInstallFails_ = false;
    Point mouseLocation_;
};

} // namespace cendrel
