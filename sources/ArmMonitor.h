// The arm state machine: idle, a grace period, then a watch on the pointer
// and on input sent to other applications that locks the screen.
#pragma once

#include "RunLoop.h"
#include "Types.h"

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace cendrel {

class ArmMonitor : public std::enable_shared_from_this<ArmMonitor> {
public:
    enum class State { idle, arming, armed };

    // Button presses, key presses and scrolls; releases, drags, plain moves and
    // modifier changes are left to the pointer poll or ignored.
    static constexpr std::uint64_t watchedEventMask =
        eventMask(EventType::leftMouseDown) | eventMask(EventType::rightMouseDown) | eventMask(EventType::keyDown) |
        eventMask(EventType::scrollWheel) | eventMask(EventType::otherMouseDown);
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

    // Fraction of the screen diagonal the pointer may drift while armed.
    double driftTolerance = 0.03;
    double graceSeconds = 2.0;

    // Starts the grace period when idle; does nothing otherwise.
    void arm();
    // Cancels everything and returns to idle; safe in every state.
    void disarm();

private:
    void beginMonitoring();
    double computeThreshold(Point at) const;
    void pollTick();
    void inputReceived();
    void trigger();
    void releaseWatches();

    State state_ = State::idle;
    Point baseline{};
    double thresholdPoints = 0;
    std::shared_ptr<Timer> pollTimer;
    std::shared_ptr<Timer> graceTimer;
    std::shared_ptr<EventMonitor> globalMonitor;
};

} // namespace cendrel
