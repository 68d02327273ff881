// The simulated run loop. No gap: every timer fires on the virtual clock.
#include "SimRunLoop.h"

#include <algorithm>
#include <cmath>

namespace cendrel {

struct SimRunLoop::Entry {
    Ticks due = 0;
    Ticks interval = 0;
    bool repeats = false;
    bool live = true;
    std::uint64_t sequence = 0;
    std::function<void()> block;
};

class SimRunLoop::Token final : public Timer {
public:
    explicit Token(std::shared_ptr<Entry> entry) : entry_(std::move(entry)) {}
    ~Token() override { entry_->live = false; }

private:
    std::shared_ptr<Entry> entry_;
};

std::unique_ptr<Timer> SimRunLoop::scheduleTimer(Seconds interval, bool repeats, std::function<void()> block)
{
    auto entry = std::make_shared<Entry>();
    // As NSTimer does, intervals below 0.1 ms are taken as 0.1 ms.
    entry->interval = std::max<Ticks>(100'000, static_cast<Ticks>(std::llround(interval.count() * 1e9)));
    entry->due = now_ + entry->interval;
    entry->repeats = repeats;
    entry->sequence = sequence_++;
    entry->block = std::move(block);
    timers_.push_back(entry);
    return std::make_unique<Token>(std::move(entry));
}

std::shared_ptr<SimRunLoop::Entry> SimRunLoop::nextDue(Ticks limit) const
{
    std::shared_ptr<Entry> next;
    for (const auto& entry : timers_) {
        if (entry->live && entry->due <= limit &&
            (!next || entry->due < next->due || (entry->due == next->due && entry->sequence < next->sequence)))
            next = entry;
    }
    return next;
}

void SimRunLoop::advance(Seconds duration)
{
    const Ticks end = now_ + static_cast<Ticks>(std::llround(duration.count() * 1e9));
    runPending();
    while (auto entry = nextDue(end)) {
        now_ = entry->due;
        if (entry->repeats)
            entry->due += entry->interval;
        else
            entry->live = false;
        // A copy: the block may release its own timer.
        auto block = entry->block;
        block();
        runPending();
        std::erase_if(timers_, [](const auto& timer) { return !timer->live; });
    }
    now_ = end;
    runPending();
}

void SimRunLoop::runPending()
{
    while (!posted_.empty()) {
        auto block = std::move(posted_.front());
        posted_.pop_front();
        block();
    }
}

std::size_t SimRunLoop::liveTimerCount() const
{
    return static_cast<std::size_t>(
        std::count_if(timers_.begin(), timers_.end(), [](const auto& t) { return t->live; }));
}

} // namespace cendrel
