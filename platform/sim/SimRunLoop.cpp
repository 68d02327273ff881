// Simulated run loop. Gap: one thread, so "main thread only" holds trivially;
// the loop never runs on its own, only inside advance(), endMenuTracking() and
// runPendingBlocks().
#include "SimRunLoop.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <utility>

namespace cendrel {

class SimTimer final : public Timer {
public:
    SimTimer(const SimRunLoop* owner, std::int64_t firstFireDate, std::int64_t ticks, bool repeating,
             std::uint64_t order, std::function<void()> action)
        : loop(owner), fireDate(firstFireDate), interval(ticks), repeats(repeating), sequence(order),
          block(std::move(action))
    {
    }

    void invalidate() override
    {
        valid = false;
        // A block that invalidates its own timer is still running: let it finish.
        if (!firing)
            block = nullptr;
    }

    const SimRunLoop* const loop;
    std::int64_t fireDate;
    const std::int64_t interval;
    const bool repeats;
    const std::uint64_t sequence;
    std::function<void()> block;
    bool valid = true;
    bool commonModes = false;
    bool firing = false;
};

class SimEventMonitor final : public EventMonitor {
public:
    SimEventMonitor(bool isGlobal, std::uint64_t events) : global(isGlobal), mask(events) {}
    bool matches(const Event& event) const { return !removed && (mask & eventMask(event.type)) != 0; }

    const bool global;
    const std::uint64_t mask;
    std::function<void(const Event&)> globalHandler;
    std::function<std::optional<Event>(const Event&)> localHandler;
    bool removed = false;
};

namespace {
// NSTimer's floor on intervals.
constexpr std::int64_t minimumIntervalTicks = 100'000;
constexpr double ticksPerSecond = 1e9;
} // namespace

SimRunLoop::SimRunLoop() = default;
SimRunLoop::~SimRunLoop() = default;

SimRunLoop::Ticks SimRunLoop::toTicks(Seconds duration)
{
    return static_cast<Ticks>(std::llround(duration.count() * ticksPerSecond));
}

Seconds SimRunLoop::now() const
{
    return Seconds(static_cast<double>(now_) / ticksPerSecond);
}

std::shared_ptr<Timer> SimRunLoop::scheduledTimer(Seconds interval, bool repeats, std::function<void()> block)
{
    std::erase_if(timers_, [](const std::weak_ptr<SimTimer>& weak) {
        auto timer = weak.lock();
        return !timer || !timer->valid;
    });
    const Ticks ticks = std::max(toTicks(interval), minimumIntervalTicks);
    auto timer = std::make_shared<SimTimer>(this, now_ + ticks, ticks, repeats, nextSequence_++, std::move(block));
    timers_.push_back(timer);
    return timer;
}

void SimRunLoop::addTimerForCommonModes(const std::shared_ptr<Timer>& timer)
{
    auto* simTimer = dynamic_cast<SimTimer*>(timer.get());
    if (simTimer && simTimer->loop == this && simTimer->valid)
        simTimer->commonModes = true;
}

void SimRunLoop::postToMainQueue(std::function<void()> block)
{
    mainQueue_.push_back(std::move(block));
}

std::shared_ptr<EventMonitor> SimRunLoop::addGlobalMonitor(std::uint64_t mask,
                                                           std::function<void(const Event&)> handler)
{
    if (globalInstallFails_)
        return nullptr;
    auto monitor = std::make_shared<SimEventMonitor>(true, mask);
    monitor->globalHandler = std::move(handler);
    monitors_.push_back(monitor);
    return monitor;
}

std::shared_ptr<EventMonitor> SimRunLoop::addLocalMonitor(std::uint64_t mask,
                                                          std::function<std::optional<Event>(const Event&)> handler)
{
    if (localInstallFails_)
        return nullptr;
    auto monitor = std::make_shared<SimEventMonitor>(false, mask);
    monitor->localHandler = std::move(handler);
    monitors_.push_back(monitor);
    return monitor;
}

void SimRunLoop::removeMonitor(const std::shared_ptr<EventMonitor>& monitor)
{
    auto found = std::find(monitors_.begin(), monitors_.end(), monitor);
    if (found == monitors_.end())
        return;
    // The handler may be the caller: it is released with the last token, not here.
    (*found)->removed = true;
    monitors_.erase(found);
}

std::shared_ptr<SimTimer> SimRunLoop::nextDueTimer(Ticks limit) const
{
    std::shared_ptr<SimTimer> next;
    for (const auto& weak : timers_) {
        auto timer = weak.lock();
        if (!timer || !timer->valid || timer->fireDate > limit || (trackingMenu_ && !timer->commonModes))
            continue;
        if (!next || timer->fireDate < next->fireDate ||
            (timer->fireDate == next->fireDate && timer->sequence < next->sequence))
            next = std::move(timer);
    }
    return next;
}

void SimRunLoop::fire(SimTimer& timer)
{
    timer.firing = true;
    // A one-shot is spent from the moment it fires: its own block already
    // counts it out of scheduledTimerCount().
    if (!timer.repeats)
        timer.valid = false;
    if (timer.block)
        timer.block();
    timer.firing = false;
    if (timer.valid && timer.repeats) {
        const Ticks missed = (now_ - timer.fireDate) / timer.interval;
        timer.fireDate += (missed + 1) * timer.interval;
    } else {
        timer.valid = false;
        timer.block = nullptr;
    }
}

void SimRunLoop::advance(Seconds duration)
{
    assert(!advancing_ && "advance() called from inside the run loop");
    advancing_ = true;
    const Ticks target = now_ + std::max(toTicks(duration), Ticks{0});
    runPendingBlocks();
    while (auto timer = nextDueTimer(target)) {
        now_ = std::max(now_, timer->fireDate);
        fire(*timer);
        runPendingBlocks();
    }
    now_ = target;
    runPendingBlocks();
    advancing_ = false;
}

std::size_t SimRunLoop::scheduledTimerCount() const
{
    return static_cast<std::size_t>(std::count_if(timers_.begin(), timers_.end(), [](const auto& weak) {
        auto timer = weak.lock();
        return timer && timer->valid;
    }));
}

std::vector<SimTimerInfo> SimRunLoop::liveTimers() const
{
    std::vector<std::shared_ptr<SimTimer>> live;
    for (const auto& weak : timers_)
        if (auto timer = weak.lock(); timer && timer->valid)
            live.push_back(std::move(timer));
    std::stable_sort(live.begin(), live.end(), [](const auto& a, const auto& b) {
        return a->fireDate < b->fireDate || (a->fireDate == b->fireDate && a->sequence < b->sequence);
    });
    std::vector<SimTimerInfo> infos;
    for (const auto& timer : live)
        infos.push_back({Seconds(static_cast<double>(timer->fireDate) / ticksPerSecond),
                         Seconds(static_cast<double>(timer->interval) / ticksPerSecond), timer->repeats,
                         timer->commonModes});
    return infos;
}

void SimRunLoop::beginMenuTracking()
{
    trackingMenu_ = true;
}

void SimRunLoop::endMenuTracking()
{
    endMenuTracking({});
}

void SimRunLoop::endMenuTracking(const std::function<void()>& beforeResuming)
{
    trackingMenu_ = false;
    if (beforeResuming)
        beforeResuming();
    // Inside advance() the outer loop picks the overdue timers up itself.
    if (!advancing_)
        advance(Seconds(0));
}

void SimRunLoop::runPendingBlocks()
{
    while (!mainQueue_.empty()) {
        auto block = std::move(mainQueue_.front());
        mainQueue_.pop_front();
        if (block)
            block();
    }
}

void SimRunLoop::sendEventToOtherApplication(const Event& event)
{
    const auto snapshot = monitors_;
    for (const auto& monitor : snapshot)
        if (monitor->global && monitor->globalHandler && monitor->matches(event))
            monitor->globalHandler(event);
}

bool SimRunLoop::sendEventToApplication(const Event& event)
{
    const auto snapshot = monitors_;
    std::optional<Event> current = event;
    for (const auto& monitor : snapshot) {
        if (monitor->global || !monitor->localHandler || !monitor->matches(*current))
            continue;
        current = monitor->localHandler(*current);
        if (!current)
            return false;
    }
    dispatched_.push_back(*current);
    return true;
}

std::size_t SimRunLoop::monitorCount(bool global) const
{
    return static_cast<std::size_t>(std::count_if(monitors_.begin(), monitors_.end(),
                                                  [global](const auto& monitor) { return monitor->global == global; }));
}

std::size_t SimRunLoop::globalMonitorCount() const
{
    return monitorCount(true);
}
std::size_t SimRunLoop::localMonitorCount() const
{
    return monitorCount(false);
}

} // namespace cendrel
