// The arm state machine: idle, a grace period, then a watch on the pointer
// and on every click, key press and scroll that locks the screen. The pointer
// is checked when the backend reports that it moved, or polled where the
// backend cannot report motion.
#pragma once

#include "Application.h"
#include "Input.h"
#include "RunLoop.h"
#include "Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

namespace cendrel {

class ArmMonitor;

// One hold on the grace period, owned by what took it (one opening of the
// menu, one alert); its end releases it. Holds the monitor weakly.
class GraceHold {
public:
    GraceHold(std::weak_ptr<ArmMonitor> monitor, std::uint64_t serial) : monitor_(std::move(monitor)), serial_(serial)
    {
    }
    GraceHold(const GraceHold&) = delete;
    GraceHold& operator=(const GraceHold&) = delete;
    ~GraceHold();

private:
    std::weak_ptr<ArmMonitor> monitor_;
    std::uint64_t serial_;
};

class ArmMonitor : public std::enable_shared_from_this<ArmMonitor> {
public:
    enum class State { idle, arming, armed };

    // Between looks at the pointer where it is polled.
    static constexpr Seconds pollInterval{0.04};
    // Used for the threshold when there is no screen at all.
    static constexpr Rect fallbackScreen{0, 0, 1440, 900};

    ArmMonitor() = default;
    ArmMonitor(const ArmMonitor&) = delete;
    ArmMonitor& operator=(const ArmMonitor&) = delete;
    // Releases the timers and the watch; never notifies.
    ~ArmMonitor();

    State state() const { return state_; }

    // Told of every real change of state, after the state is stored,
    // synchronously from inside the operation that changed it; never for a
    // no-op and never at construction.
    std::function<void(State)> onStateChange;
    // Told when watched input has locked the screen, once the monitor is
    // idle again.
    std::function<void()> onTrigger;
    // Told when arming was refused because no input could be seen, and why.
    std::function<void(const std::string& why)> onRefusal;

    // Fraction of the screen diagonal the pointer may drift while armed.
    double driftTolerance = 0.03;
    double graceSeconds = 2.0;

    // Starts the grace period when idle and input can be seen; does nothing
    // otherwise: a guard that cannot see is not armed.
    void arm();
    // Cancels everything, every hold included, and returns to idle; safe in
    // every state.
    void disarm();
    // While any hold lives (a menu or an alert of ours is up), a grace period
    // that has run out waits, and ends when the last hold ends: the owner is
    // still at the computer. Each hold ends only itself, so a late end of an
    // earlier one never ends a newer one. Watching, once begun, is never
    // held.
    [[nodiscard]] std::unique_ptr<GraceHold> holdGracePeriod();
    // Ends every hold at once: what took them has been closed, or will never
    // say so.
    void dropGraceHolds();
    // Input the watch cannot see (a key press our own panel consumed, our
    // menu opening): locks like any watched input. True when it did.
    bool reportInput();

private:
    friend class GraceHold;
    void releaseGraceHold(std::uint64_t serial);
    void graceElapsed();
    void beginMonitoring();
    double computeThreshold(Point at) const;
    void pollTick();
    void checkDrift(Point p);
    void trigger();
    void releaseWatches();

    State state_ = State::idle;
    Point baseline{};
    double thresholdPoints = 0;
    std::set<std::uint64_t> graceHolds;
    std::uint64_t lastGraceHold = 0;
    bool graceOver = false;
    std::unique_ptr<Timer> pollTimer;
    std::unique_ptr<Timer> graceTimer;
    std::unique_ptr<InputWatch> globalMonitor;
    std::unique_ptr<InputWatch> motionWatch;
    // Keeps the system from stretching our timers from arming to disarming.
    std::unique_ptr<Activity> activity;
};

} // namespace cendrel
