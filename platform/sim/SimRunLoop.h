// The simulated main run loop: a virtual clock, timers and posted work.
// Nothing here reads the wall clock; time moves only through advance().
#pragma once

#include "RunLoop.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace cendrel {

class SimRunLoop final : public RunLoop {
public:
    std::unique_ptr<Timer> scheduleTimer(Seconds interval, bool repeats, std::function<void()> block) override;
    void post(std::function<void()> block) override { posted_.push_back(std::move(block)); }

    Seconds now() const { return Seconds{double(now_) / 1e9}; }
    // Moves the clock forward, firing due timers one at a time in deadline
    // order (ties in scheduling order) with now() at each deadline; posted
    // work runs before each firing and at the end.
    void advance(Seconds duration);
    // Runs posted work, including what it posts, until none is left.
    void runPending();
    std::size_t liveTimerCount() const;

private:
    struct Entry;
    class Token;
    using Ticks = std::int64_t; // nanoseconds: repeated intervals add up exactly

    std::shared_ptr<Entry> nextDue(Ticks limit) const;

    Ticks now_ = 0;
    std::uint64_t sequence_ = 0;
    std::vector<std::shared_ptr<Entry>> timers_;
    std::deque<std::function<void()>> posted_;
};

} // namespace cendrel
