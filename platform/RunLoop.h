// The main run loop: timers and work posted for a later pass. Everything here
// is main-thread only.
#pragma once

#include "Types.h"

#include <functional>
#include <memory>

namespace cendrel {

// A scheduled timer. Releasing it cancels it: the block is not called
// afterwards. It may be released from inside its own block.
class Timer {
public:
    Timer() = default;
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    virtual ~Timer() = default;
};

class RunLoop {
public:
    RunLoop() = default;
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;
    virtual ~RunLoop() = default;

    // Calls the block on the main thread after `interval`, then every
    // `interval` when it repeats. Timers keep firing while a menu is open.
    virtual std::unique_ptr<Timer> scheduleTimer(Seconds interval, bool repeats, std::function<void()> block) = 0;
    // Runs the block on a later pass of the loop, after the caller has
    // returned, in posting order.
    virtual void post(std::function<void()> block) = 0;
};

} // namespace cendrel
