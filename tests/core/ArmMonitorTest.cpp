#include "ArmMonitor.h"
#include "Fixture.h"

#include <vector>

namespace cendrel {
namespace {

using State = ArmMonitor::State;

class ArmMonitorTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        monitor = std::make_shared<ArmMonitor>();
        monitor->onStateChange = [this](State state) {
            // Stored before the callback, with nothing watched yet.
            EXPECT_EQ(monitor->state(), state);
            seen.push_back(state);
            watchesAtNotification.push_back(sim.watches);
        };
    }
    void TearDown() override
    {
        monitor.reset();
        SimTest::TearDown();
    }
    void armFully()
    {
        monitor->arm();
        advance(2.0);
    }

    std::shared_ptr<ArmMonitor> monitor;
    std::vector<State> seen;
    std::vector<int> watchesAtNotification;
};

TEST_F(ArmMonitorTest, FullCycleNotifiesInOrderAndLocksAfterIdle)
{
    armFully();
    EXPECT_EQ(seen, (std::vector{State::arming, State::armed}));
    EXPECT_EQ(watchesAtNotification.back(), 0);
    EXPECT_EQ(sim.watches, 1);
    EXPECT_EQ(sim.runLoop().liveTimerCount(), 1u) << "only the poll runs while armed";
    monitor->onTrigger = [this] {
        EXPECT_EQ(monitor->state(), State::idle);
        EXPECT_TRUE(sim.lockEvents.empty()) << "told before the lock";
        EXPECT_EQ(sim.runLoop().liveTimerCount(), 0u);
    };
    sim.sendInput();
    EXPECT_EQ(seen, (std::vector{State::arming, State::armed, State::idle}));
    EXPECT_EQ(sim.lockEvents, (std::vector<std::string>{"session"}));
    EXPECT_EQ(sim.watches, 0);
    sim.sendInput();
    EXPECT_EQ(std::count(sim.lockEvents.begin(), sim.lockEvents.end(), "session"), 1) << "one armed period, one lock";
}

TEST_F(ArmMonitorTest, GraceEndsExactlyAfterGraceSeconds)
{
    monitor->arm();
    monitor->arm();
    advance(1.999);
    EXPECT_EQ(monitor->state(), State::arming);
    advance(0.001);
    EXPECT_EQ(monitor->state(), State::armed);
    EXPECT_EQ(seen, (std::vector{State::arming, State::armed}));
}

TEST_F(ArmMonitorTest, DisarmCancelsTheGracePeriodAndOnlyTheNewOneRuns)
{
    monitor->arm();
    advance(1.5);
    monitor->disarm();
    monitor->disarm();
    monitor->arm();
    advance(1.5);
    EXPECT_EQ(monitor->state(), State::arming) << "the first grace timer must be gone";
    advance(0.5);
    EXPECT_EQ(seen, (std::vector{State::arming, State::idle, State::arming, State::armed}));
}

TEST_F(ArmMonitorTest, ActivityIsHeldFromArmingToEveryWayBackToIdle)
{
    monitor->arm();
    EXPECT_EQ(sim.activities, 1);
    monitor->disarm();
    EXPECT_EQ(sim.activities, 0);
    armFully();
    EXPECT_EQ(sim.activities, 1);
    sim.sendInput();
    EXPECT_EQ(sim.activities, 0);
}

TEST_F(ArmMonitorTest, CallbackThatDisarmsLeavesNothingRunning)
{
    for (State disarmOn : {State::arming, State::armed}) {
        monitor->onStateChange = [&, disarmOn](State state) {
            if (state == disarmOn)
                monitor->disarm();
        };
        monitor->arm();
        advance(5.0);
        EXPECT_EQ(monitor->state(), State::idle);
        EXPECT_EQ(sim.watches, 0);
        EXPECT_EQ(sim.activities, 0);
        EXPECT_EQ(sim.runLoop().liveTimerCount(), 0u);
    }
}

TEST_F(ArmMonitorTest, HeldGracePeriodWaitsForTheRelease)
{
    monitor->arm();
    monitor->holdGracePeriod(true);
    advance(10.0);
    // The menu opens again before the earlier release has run.
    monitor->holdGracePeriod(true);
    EXPECT_EQ(monitor->state(), State::arming);
    monitor->holdGracePeriod(false);
    EXPECT_EQ(monitor->state(), State::armed);
    // A hold once armed changes nothing: the poll goes on.
    monitor->holdGracePeriod(true);
    sim.pointer = {900, 450};
    advance(0.04);
    EXPECT_EQ(monitor->state(), State::idle);
    // Released before the grace period ran out: it still runs in full.
    monitor->holdGracePeriod(false);
    monitor->arm();
    monitor->holdGracePeriod(true);
    monitor->holdGracePeriod(false);
    advance(1.9);
    EXPECT_EQ(monitor->state(), State::arming);
}

TEST_F(ArmMonitorTest, DriftBeyondTheThresholdLocksAtTheNextTick)
{
    // One 1440×900 screen: 0.03 × 1698.1166… ≈ 50.943 points.
    armFully();
    sim.pointer = {700 + 50.9, 450};
    advance(0.2);
    EXPECT_EQ(monitor->state(), State::armed);
    sim.pointer = {700 + 30, 450 + 41.3};
    advance(0.039);
    EXPECT_EQ(monitor->state(), State::armed) << "no tick yet";
    advance(0.001);
    EXPECT_EQ(monitor->state(), State::idle);
    EXPECT_EQ(std::count(sim.lockEvents.begin(), sim.lockEvents.end(), "session"), 1);
}

TEST_F(ArmMonitorTest, DriftOfExactlyTheThresholdDoesNotLock)
{
    sim.screens = {{0, 0, 400, 300}}; // a diagonal of 500
    sim.pointer = {0, 150};
    armFully();
    sim.pointer = {0.03 * 500.0, 150};
    advance(0.04);
    EXPECT_EQ(monitor->state(), State::armed);
}

TEST_F(ArmMonitorTest, MovesDuringGraceDoNotCountAndTheBaselineIsTakenAtItsEnd)
{
    monitor->arm();
    sim.pointer = {100, 100};
    advance(2.0);
    advance(1.0);
    EXPECT_EQ(monitor->state(), State::armed);
}

struct ThresholdCase {
    std::vector<Rect> screens;
    std::optional<Rect> mainScreen;
    Point baseline;
    double expected;
};

class ThresholdTest : public SimTest, public ::testing::WithParamInterface<ThresholdCase> {};

// The drift allowed is read off when the lock fires: just below it holds,
// just beyond it locks.
TEST_P(ThresholdTest, AllowanceIsThreePercentOfTheChosenScreensDiagonal)
{
    const ThresholdCase& c = GetParam();
    sim.screens = c.screens;
    sim.mainScreen = c.mainScreen;
    sim.pointer = c.baseline;
    auto monitor = std::make_shared<ArmMonitor>();
    monitor->arm();
    advance(2.0);
    sim.pointer = {c.baseline.x, c.baseline.y - (c.expected - 0.01)};
    advance(0.04);
    EXPECT_EQ(monitor->state(), ArmMonitor::State::armed);
    sim.pointer = {c.baseline.x, c.baseline.y - (c.expected + 0.01)};
    advance(0.04);
    EXPECT_EQ(monitor->state(), ArmMonitor::State::idle);
}

const Rect laptop{0, 0, 1440, 900};
const Rect external{1440, 0, 1920, 1080};
const Rect big{0, 0, 3840, 2160}; // 0.03 × 4405.9…

INSTANTIATE_TEST_SUITE_P(Screens, ThresholdTest,
                         ::testing::Values(ThresholdCase{{laptop, external}, laptop, {2000, 500}, 66.087},
                                           // The left edge is inside, the right edge outside.
                                           ThresholdCase{{laptop, external}, laptop, {1440, 500}, 66.087},
                                           // The bottom edge is outside: the main screen stands in.
                                           ThresholdCase{{external}, big, {1600, 0}, 132.174},
                                           // Overlapping screens: the first that holds the point.
                                           ThresholdCase{{laptop, big}, laptop, {700, 450}, 50.943},
                                           ThresholdCase{{big, laptop}, laptop, {700, 450}, 132.174},
                                           ThresholdCase{{}, std::nullopt, {700, 450}, 50.943}));

TEST_F(ArmMonitorTest, WithoutAWatchThePointerStillGuards)
{
    sim.watchFails = true;
    armFully();
    EXPECT_EQ(monitor->state(), State::armed);
    sim.pointer = {800, 450};
    advance(0.04);
    EXPECT_EQ(monitor->state(), State::idle);
}

TEST_F(ArmMonitorTest, InputAndDriftInOneInstantLockOnce)
{
    armFully();
    sim.pointer = {900, 450};
    sim.sendInput();
    advance(0.1);
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(std::count(sim.lockEvents.begin(), sim.lockEvents.end(), "session"), 1);
}

TEST_F(ArmMonitorTest, ClosuresFindTheirMonitorGoneAndDoNothing)
{
    armFully();
    monitor.reset();
    sim.sendInput();
    advance(1.0);
    EXPECT_TRUE(sim.lockEvents.empty());
    EXPECT_EQ(sim.watches, 0);
}

} // namespace
} // namespace cendrel
