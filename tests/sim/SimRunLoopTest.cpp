#include "SimRunLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

using namespace std::chrono_literals;

class SimRunLoopTest : public ::testing::Test {
protected:
    // Schedules a timer that logs "<name>@<now in ms>" at each firing.
    std::shared_ptr<Timer> timer(const std::string& name, Seconds interval, bool repeats = false)
    {
        return loop.scheduledTimer(interval, repeats, [this, name] { log.push_back(name + "@" + nowMs()); });
    }
    std::string nowMs() const { return std::to_string(std::lround(loop.now().count() * 1000)); }

    SimRunLoop loop;
    std::vector<std::string> log;
};

TEST_F(SimRunLoopTest, FiresInDeadlineOrderWithTiesInSchedulingOrder)
{
    auto c = timer("c", 3s);
    auto a = timer("a", 1s);
    auto b = timer("b", 1s);
    auto x = timer("x", 2s);
    loop.advance(10s);
    EXPECT_EQ(log, (std::vector<std::string>{"a@1000", "b@1000", "x@2000", "c@3000"}));
    EXPECT_EQ(loop.now(), 10s);
}

TEST_F(SimRunLoopTest, FiresNothingBeforeItsDeadline)
{
    auto t = timer("t", 1s);
    loop.advance(999ms);
    EXPECT_TRUE(log.empty());
    loop.advance(1ms);
    EXPECT_EQ(log, std::vector<std::string>{"t@1000"});
    loop.advance(5s);
    EXPECT_EQ(log.size(), 1u) << "a one-shot fires once";
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST_F(SimRunLoopTest, FiringOneShotNoLongerCountsButRepeatingOneDoes)
{
    std::vector<std::size_t> counts;
    auto once = loop.scheduledTimer(1s, false, [&] { counts.push_back(loop.scheduledTimerCount()); });
    auto repeating = loop.scheduledTimer(2s, true, [&] { counts.push_back(loop.scheduledTimerCount()); });
    loop.advance(2s);
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 1}));
}

TEST_F(SimRunLoopTest, RepeatingIntervalsAddUpWithoutDrift)
{
    auto poll = timer("p", 40ms, true);
    loop.advance(400ms);
    EXPECT_EQ(log.size(), 10u);
    EXPECT_EQ(log.back(), "p@400");
    for (int i = 0; i < 25; ++i)
        loop.advance(40ms);
    EXPECT_EQ(log.size(), 35u);
    EXPECT_EQ(loop.scheduledTimerCount(), 1u);
}

TEST_F(SimRunLoopTest, InvalidatedOrReleasedTimersNeverFire)
{
    auto invalidated = timer("invalidated", 1s);
    auto released = timer("released", 1s);
    auto spent = timer("spent", 500ms);
    EXPECT_EQ(loop.scheduledTimerCount(), 3u);
    invalidated->invalidate();
    invalidated->invalidate();
    released.reset();
    loop.advance(2s);
    spent->invalidate();
    EXPECT_EQ(log, std::vector<std::string>{"spent@500"});
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST_F(SimRunLoopTest, TimerMayInvalidateOrReleaseItselfWhileFiring)
{
    int ticks = 0;
    std::shared_ptr<Timer> self;
    self = loop.scheduledTimer(1s, true, [&, guard = std::make_shared<int>(7)] {
        ticks += *guard;
        self->invalidate();
        self.reset();
        ticks += *guard; // the block and its captures outlive the release
    });
    loop.advance(5s);
    EXPECT_EQ(ticks, 14);
    EXPECT_EQ(loop.scheduledTimerCount(), 0u);
}

TEST_F(SimRunLoopTest, DefaultModeTimersWaitWhileMenuIsTracked)
{
    auto oneShot = timer("once", 100ms);
    auto repeating = timer("rep", 300ms, true);
    auto common = timer("common", 200ms, true);
    loop.addTimerForCommonModes(common);

    loop.beginMenuTracking();
    EXPECT_TRUE(loop.isTrackingMenu());
    loop.advance(1000ms);
    EXPECT_EQ(log, (std::vector<std::string>{"common@200", "common@400", "common@600", "common@800", "common@1000"}));

    log.clear();
    loop.advance(50ms);
    loop.endMenuTracking();
    EXPECT_FALSE(loop.isTrackingMenu());
    // Overdue: each fires once on return, the repeating one then keeps to its
    // own schedule (1200 ms) instead of catching up.
    EXPECT_EQ(log, (std::vector<std::string>{"once@1050", "rep@1050"}));
    loop.advance(200ms);
    EXPECT_EQ(log, (std::vector<std::string>{"once@1050", "rep@1050", "rep@1200", "common@1200"}));
}

TEST_F(SimRunLoopTest, ActionBeforeResumingRunsAheadOfOverdueTimers)
{
    auto grace = timer("grace", 100ms);
    loop.beginMenuTracking();
    loop.advance(1s);
    loop.endMenuTracking([this] {
        EXPECT_FALSE(loop.isTrackingMenu());
        log.push_back("action");
    });
    EXPECT_EQ(log, (std::vector<std::string>{"action", "grace@1000"}));
}

TEST_F(SimRunLoopTest, CommonModesIgnoresSpentTimers)
{
    auto spent = timer("spent", 10ms);
    loop.advance(20ms);
    loop.addTimerForCommonModes(spent);
    auto live = timer("live", 10ms, true);
    loop.addTimerForCommonModes(live);
    EXPECT_EQ(loop.liveTimers(), (std::vector<SimTimerInfo>{{30ms, 10ms, true, true}}));
}

TEST_F(SimRunLoopTest, MainQueueRunsLaterInPostingOrder)
{
    loop.postToMainQueue([&] {
        log.push_back("1");
        loop.postToMainQueue([&] { log.push_back("3"); });
    });
    loop.postToMainQueue([&] { log.push_back("2"); });
    EXPECT_TRUE(log.empty()) << "posting never runs the block";
    EXPECT_EQ(loop.pendingBlockCount(), 2u);
    loop.runPendingBlocks();
    EXPECT_EQ(log, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(loop.pendingBlockCount(), 0u);
}

TEST_F(SimRunLoopTest, BlocksPostedByATimerRunBeforeTheNextFiring)
{
    auto first = loop.scheduledTimer(1s, false, [&] {
        log.push_back("first");
        loop.postToMainQueue([&] { log.push_back("posted@" + nowMs()); });
    });
    auto second = timer("second", 1s);
    loop.advance(1s);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "posted@1000", "second@1000"}));
}

TEST_F(SimRunLoopTest, AdvanceRunsBlocksPostedBeforeIt)
{
    loop.postToMainQueue([&] { log.push_back("posted@" + nowMs()); });
    loop.advance(0s);
    EXPECT_EQ(log, std::vector<std::string>{"posted@0"});
}

TEST_F(SimRunLoopTest, TimerScheduledDuringAdvanceFiresWithinIt)
{
    std::shared_ptr<Timer> later;
    auto first = loop.scheduledTimer(1s, false, [&] { later = timer("later", 1s); });
    loop.advance(3s);
    EXPECT_EQ(log, std::vector<std::string>{"later@2000"});
}

// --- Event monitors ----------------------------------------------------------

const Event click{EventType::leftMouseDown, 0, 0};
const Event keyA{EventType::keyDown, 0, 0};
const Event scroll{EventType::scrollWheel, 0, 0};

TEST_F(SimRunLoopTest, GlobalMonitorsGetOnlyMatchingEventsOfOtherApplications)
{
    std::vector<EventType> seen;
    auto monitor = loop.addGlobalMonitor(eventMask(EventType::leftMouseDown) | eventMask(EventType::keyDown),
                                         [&](const Event& e) { seen.push_back(e.type); });
    ASSERT_NE(monitor, nullptr);
    loop.sendEventToOtherApplication(click);
    loop.sendEventToOtherApplication(scroll);
    loop.sendEventToOtherApplication(keyA);
    EXPECT_TRUE(loop.sendEventToApplication(keyA)) << "our own events are not for global monitors";
    EXPECT_EQ(seen, (std::vector<EventType>{EventType::leftMouseDown, EventType::keyDown}));

    loop.removeMonitor(monitor);
    loop.sendEventToOtherApplication(click);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(loop.globalMonitorCount(), 0u);
}

TEST_F(SimRunLoopTest, RemovingUnknownOrRemovedTokensIsHarmless)
{
    int calls = 0;
    auto monitor = loop.addGlobalMonitor(~std::uint64_t{0}, [&](const Event&) { ++calls; });
    auto other = loop.addGlobalMonitor(~std::uint64_t{0}, [&](const Event&) { ++calls; });
    SimRunLoop elsewhere;
    auto foreign = elsewhere.addGlobalMonitor(~std::uint64_t{0}, [](const Event&) {});
    loop.removeMonitor(monitor);
    loop.removeMonitor(monitor);
    loop.removeMonitor(nullptr);
    loop.removeMonitor(foreign);
    EXPECT_EQ(loop.globalMonitorCount(), 1u);
    loop.sendEventToOtherApplication(click);
    EXPECT_EQ(calls, 1);
}

TEST_F(SimRunLoopTest, DroppingTheTokenLeavesTheMonitorInstalled)
{
    int calls = 0;
    loop.addGlobalMonitor(~std::uint64_t{0}, [&](const Event&) { ++calls; });
    loop.sendEventToOtherApplication(click);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(loop.globalMonitorCount(), 1u);
}

TEST_F(SimRunLoopTest, MonitorRemovedDuringDeliveryIsNotCalledAfter)
{
    std::vector<std::string> calls;
    std::shared_ptr<EventMonitor> second;
    auto first = loop.addGlobalMonitor(~std::uint64_t{0}, [&](const Event&) {
        calls.push_back("first");
        loop.removeMonitor(second);
    });
    second = loop.addGlobalMonitor(~std::uint64_t{0}, [&](const Event&) { calls.push_back("second"); });
    loop.sendEventToOtherApplication(click);
    EXPECT_EQ(calls, std::vector<std::string>{"first"});
}

TEST_F(SimRunLoopTest, HandlerMayRemoveItsOwnMonitor)
{
    int calls = 0;
    std::shared_ptr<EventMonitor> self;
    self = loop.addLocalMonitor(eventMask(EventType::keyDown), [&, guard = std::make_shared<int>(1)](const Event& e) {
        loop.removeMonitor(self);
        self.reset();
        calls += *guard;
        return std::optional<Event>(e);
    });
    EXPECT_TRUE(loop.sendEventToApplication(keyA));
    EXPECT_TRUE(loop.sendEventToApplication(keyA));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(loop.localMonitorCount(), 0u);
}

TEST_F(SimRunLoopTest, LocalMonitorsSeeEventsBeforeDispatchAndMayConsumeThem)
{
    std::vector<std::uint16_t> seenBySecond;
    auto rewrite = loop.addLocalMonitor(eventMask(EventType::keyDown), [](const Event& e) -> std::optional<Event> {
        if (e.keyCode == 53)
            return std::nullopt;
        Event changed = e;
        changed.keyCode = static_cast<std::uint16_t>(e.keyCode + 100);
        return changed;
    });
    auto second = loop.addLocalMonitor(eventMask(EventType::keyDown), [&](const Event& e) {
        seenBySecond.push_back(e.keyCode);
        return std::optional<Event>(e);
    });
    EXPECT_TRUE(loop.sendEventToApplication({EventType::keyDown, 1, 0}));
    EXPECT_FALSE(loop.sendEventToApplication({EventType::keyDown, 53, 0}));
    EXPECT_TRUE(loop.sendEventToApplication(click));
    loop.sendEventToOtherApplication(keyA);

    EXPECT_EQ(seenBySecond, std::vector<std::uint16_t>{101});
    ASSERT_EQ(loop.dispatchedEvents().size(), 2u);
    EXPECT_EQ(loop.dispatchedEvents()[0].keyCode, 101);
    EXPECT_EQ(loop.dispatchedEvents()[1].type, EventType::leftMouseDown);
}

TEST_F(SimRunLoopTest, InstallFailureGivesNoToken)
{
    loop.setGlobalMonitorInstallFails(true);
    loop.setLocalMonitorInstallFails(true);
    EXPECT_EQ(loop.addGlobalMonitor(~std::uint64_t{0}, [](const Event&) {}), nullptr);
    EXPECT_EQ(loop.addLocalMonitor(~std::uint64_t{0}, [](const Event& e) { return std::optional<Event>(e); }), nullptr);
    EXPECT_EQ(loop.globalMonitorCount() + loop.localMonitorCount(), 0u);

    loop.setGlobalMonitorInstallFails(false);
    EXPECT_NE(loop.addGlobalMonitor(~std::uint64_t{0}, [](const Event&) {}), nullptr);
    EXPECT_EQ(loop.globalMonitorCount(), 1u);
    EXPECT_EQ(loop.localMonitorCount(), 0u);
}

} // namespace
} // namespace cendrel
