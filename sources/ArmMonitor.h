// The arm state machine: idle, a grace period, then a watch on the pointer
// and on every click, key press and scroll that locks the screen.
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
    // Told when watched input has disarmed the monitor, right before the
    // screen lock is requested.
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
    // While held (the status menu is open), a grace period that has run out
    // waits, and ends when the hold is released: the owner is still at the
    // computer. Watching, once begun, is never held.
    void holdGracePeriod(bool held);
    // Input the watch cannot see (a key press our own panel consumed): locks
    // like any watched input. True when it did.
    bool reportInput();

private:
    void graceElapsed();
    void beginMonitoring();
    double computeThreshold(Point at) const;
    void pollTick();
    void inputReceived();
    void trigger();
    void releaseWatches();

    State state_ = State::idle;
    Point baseline{};
    double thresholdPoints = 0;
    bool graceHeld = false;
    bool graceOver = false;
    std::unique_ptr<Timer> pollTimer;
    std::unique_ptr<Timer> graceTimer;
    std::unique_ptr<InputWatch> globalMonitor;
    // Keeps the system from stretching our timers from arming to disarming.
    std::unique_ptr<Activity> activity;
};

} // namespace cendrel
