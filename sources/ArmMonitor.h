// The arm state machine: idle, a grace period, then a watch on the pointer
// and on every click, key press and scroll that locks the screen. The pointer
// is checked when the backend reports that it moved, or polled where the
// backend cannot report motion.
#pragma once

#include "Application.h"
#include "Input.h"
#include "RunLoop.h"
#include "Types.h"

#include <functional>
#include <memory>
#include <string>

namespace cendrel {

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
    // Cancels everything and returns to idle; safe in every state.
    void disarm();
    // While any hold is on (a menu or an alert of ours is up), a grace period
    // that has run out waits, and ends when the last hold is released: the
    // owner is still at the computer. Holds are counted, so a late release of
    // an earlier one never ends a newer one. Watching, once begun, is never
    // held.
    void holdGracePeriod();
    void releaseGracePeriod();
    // Input the watch cannot see (a key press our own panel consumed, our
    // menu opening): locks like any watched input. True when it did.
    bool reportInput();

private:
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
    int graceHolds = 0;
    bool graceOver = false;
    std::unique_ptr<Timer> pollTimer;
    std::unique_ptr<Timer> graceTimer;
    std::unique_ptr<InputWatch> globalMonitor;
    std::unique_ptr<InputWatch> motionWatch;
    // Keeps the system from stretching our timers from arming to disarming.
    std::unique_ptr<Activity> activity;
};

} // namespace cendrel
