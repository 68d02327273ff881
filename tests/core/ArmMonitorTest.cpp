#include "ArmMonitor.h"
#include "Fixture.h"
#include "ScreenLock.h"

#include <tuple>
#include <vector>

namespace cendrel {
namespace {

using State = ArmMonitor::State;

// How the backend tells of the pointer: polled, or reported when it moves.
enum class Tracking { poll, motion };

std::string trackingName(const ::testing::TestParamInfo<Tracking>& info)
{
    return info.param == Tracking::poll ? "Polled" : "Reported";
}

// Each test runs with either backend: the threshold and the decision are the
// core's whichever way the pointer is seen.
class ArmMonitorTest : public SimTest, public ::testing::WithParamInterface<Tracking> {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        sim.reportsMotion = GetParam() == Tracking::motion;
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
    // The watches, motion watches, activities and timers left running.
    std::tuple<int, int, int, std::size_t> running()
    {
        return {sim.watches, sim.motionWatches, sim.activities, sim.runLoop().liveTimerCount()};
    }
    // Until the pointer's move has been looked at: the next poll, or the
    // report's delivery, which needs no time to pass.
    void settle() { advance(GetParam() == Tracking::poll ? 0.04 : 0.0); }

    std::shared_ptr<ArmMonitor> monitor;
    std::vector<State> seen;
    std::vector<int> watchesAtNotification;
};

TEST_P(ArmMonitorTest, FullCycleNotifiesInOrderAndLocksBeforeIdle)
{
    armFully();
    EXPECT_EQ(std::tuple(seen, watchesAtNotification.back()), std::tuple(std::vector{State::arming, State::armed}, 0));
    // Reported moves need no timer at all: a pointer at rest wakes nothing.
    const bool polled = GetParam() == Tracking::poll;
    EXPECT_EQ(running(), std::tuple(1, polled ? 0 : 1, 1, polled ? 1u : 0u));
    bool told = false;
    monitor->onTrigger = [&] { told = monitor->state() == State::idle; };
    sim.onLock = [&] { EXPECT_EQ(seen.size(), 2u) << "the lock comes before the idle notification"; };
    EXPECT_TRUE(sim.sendInput()) << "said it locked";
    EXPECT_TRUE(told);
    EXPECT_EQ(std::tuple(seen, sim.watches, sim.motionWatches),
              std::tuple(std::vector{State::arming, State::armed, State::idle}, 0, 0));
    EXPECT_FALSE(sim.sendInput());
    EXPECT_EQ(sim.lockEvents, (std::vector<std::string>{"session"})) << "one armed period, one lock";
    // Once the lock has ended, nothing of the armed period is left running.
    advance(ScreenLock::evidenceDeadline.count());
    EXPECT_EQ(sim.runLoop().liveTimerCount(), 0u);
}

TEST_P(ArmMonitorTest, GraceRunsExactlyFromTheLastArmingHoldsTheActivityAndItsMovesDoNotCount)
{
    monitor->arm();
    EXPECT_EQ(sim.activities, 1);
    advance(1.5);
    monitor->disarm();
    monitor->disarm();
    ASSERT_EQ(sim.activities, 0);
    monitor->arm();
    monitor->arm();
    sim.movePointer({100, 100});
    advance(1.999);
    EXPECT_EQ(monitor->state(), State::arming) << "the first grace timer must be gone";
    advance(0.001);
    EXPECT_EQ(std::tuple(seen, sim.activities),
              std::tuple(std::vector{State::arming, State::idle, State::arming, State::armed}, 1));
    advance(1.0);
    EXPECT_EQ(monitor->state(), State::armed) << "the baseline is taken at the end of the grace period";
    sim.sendInput();
    EXPECT_EQ(sim.activities, 0);
}

TEST_P(ArmMonitorTest, CallbackThatDisarmsLeavesNothingRunning)
{
    for (State disarmOn : {State::arming, State::armed}) {
        monitor->onStateChange = [&, disarmOn](State state) {
            if (state == disarmOn)
                monitor->disarm();
        };
        monitor->arm();
        advance(5.0);
        EXPECT_EQ(std::tuple(monitor->state(), running()), std::tuple(State::idle, std::tuple(0, 0, 0, 0u)));
    }
}

TEST_P(ArmMonitorTest, HeldGracePeriodWaitsForTheLastHoldAndDisarmingDropsThemAll)
{
    monitor->arm();
    auto first = monitor->holdGracePeriod();
    auto second = monitor->holdGracePeriod();
    advance(10.0);
    first.reset();
    EXPECT_EQ(monitor->state(), State::arming) << "one end never ends two holds";
    second.reset();
    EXPECT_EQ(monitor->state(), State::armed);
    // A hold once armed changes nothing: the watch goes on.
    auto late = monitor->holdGracePeriod();
    sim.movePointer({900, 450});
    settle();
    EXPECT_EQ(monitor->state(), State::idle);
    // Held past its end, then disarmed: neither the dropped hold nor the
    // spent grace period shortens the next one.
    monitor->arm();
    auto stale = monitor->holdGracePeriod();
    advance(3.0);
    monitor->disarm();
    monitor->arm();
    monitor->holdGracePeriod().reset();
    advance(1.9);
    EXPECT_EQ(monitor->state(), State::arming);
    advance(0.1);
    EXPECT_EQ(monitor->state(), State::armed) << "the hold from before disarming ended with it";
    monitor->disarm();
    monitor->arm();
    auto held = monitor->holdGracePeriod();
    advance(2.2);
    monitor->dropGraceHolds();
    EXPECT_EQ(monitor->state(), State::armed) << "dropped, the holds end at once";
}

TEST_P(ArmMonitorTest, DriftBeyondTheThresholdLocksAtTheNextLookEvenWhenBackAtTheBaseline)
{
    // One 1440×900 screen: 0.03 × 1698.1166… ≈ 50.943 points.
    armFully();
    sim.movePointer({700 + 50.9, 450});
    advance(0.2);
    EXPECT_EQ(monitor->state(), State::armed);
    sim.movePointer({700 + 30, 450 + 41.3});
    advance(GetParam() == Tracking::poll ? 0.039 : 0.0);
    EXPECT_EQ(monitor->state(), GetParam() == Tracking::poll ? State::armed : State::idle) << "no tick yet";
    advance(0.001);
    EXPECT_EQ(std::tuple(monitor->state(), std::ranges::count(sim.lockEvents, "session")), std::tuple(State::idle, 1));
    // Reports are not skipped because a later one is back within the
    // threshold: the far one alone locks.
    sim.movePointer({700, 450});
    armFully();
    sim.movePointer({700, 450 + 60});
    sim.movePointer({700, 450});
    settle();
    EXPECT_EQ(monitor->state(), GetParam() == Tracking::poll ? State::armed : State::idle);
}

// Without an input watch, the pointer still guards.
TEST_P(ArmMonitorTest, DriftOfExactlyTheThresholdDoesNotLockEvenWithoutAWatch)
{
    sim.watchFails = true;
    sim.screens = {{0, 0, 400, 300}}; // a diagonal of 500
    sim.pointer = {0, 150};
    armFully();
    sim.movePointer({0.03 * 500.0, 150});
    settle();
    EXPECT_EQ(monitor->state(), State::armed);
    sim.movePointer({0.03 * 500.0 + 0.01, 150});
    settle();
    EXPECT_EQ(monitor->state(), State::idle);
}

// The drift allowed is read off when the lock fires: just below it holds,
// just beyond it locks.
TEST_P(ArmMonitorTest, AllowanceIsThreePercentOfTheChosenScreensDiagonal)
{
    const Rect laptop{0, 0, 1440, 900}, external{1440, 0, 1920, 1080};
    const Rect big{0, 0, 3840, 2160}; // 0.03 × 4405.9…
    const std::tuple<const char*, std::vector<Rect>, std::optional<Rect>, Point, double> rows[] = {
        {"second screen", {laptop, external}, laptop, {2000, 500}, 66.087},
        // The left edge is inside, the right edge outside.
        {"left edge", {laptop, external}, laptop, {1440, 500}, 66.087},
        // The bottom edge is outside: the main screen stands in.
        {"bottom edge", {external}, big, {1600, 0}, 132.174},
        // Overlapping screens: the first that holds the point.
        {"first of overlapping", {laptop, big}, laptop, {700, 450}, 50.943},
        {"first of overlapping, big", {big, laptop}, laptop, {700, 450}, 132.174},
        {"no screen", {}, std::nullopt, {700, 450}, 50.943}};
    for (const auto& [name, screens, mainScreen, baseline, allowed] : rows) {
        sim.screens = screens;
        sim.mainScreen = mainScreen;
        sim.pointer = baseline;
        armFully();
        sim.movePointer({baseline.x, baseline.y - (allowed - 0.01)});
        advance(0.04);
        EXPECT_EQ(monitor->state(), State::armed) << name;
        sim.movePointer({baseline.x, baseline.y - (allowed + 0.01)});
        advance(0.04);
        EXPECT_EQ(monitor->state(), State::idle) << name;
    }
}

// Input and drift in one instant lock once; then, armed again, the closures
// find their monitor gone and do nothing.
TEST_P(ArmMonitorTest, InputAndDriftInOneInstantLockOnceAndClosuresOfAMonitorGoneDoNothing)
{
    armFully();
    sim.movePointer({900, 450});
    sim.sendInput();
    advance(0.1);
    EXPECT_EQ(std::tuple(seen.size(), std::ranges::count(sim.lockEvents, "session")), std::tuple(3u, 1));
    armFully();
    monitor.reset();
    sim.sendInput();
    advance(1.0);
    EXPECT_EQ(std::tuple(std::ranges::count(sim.lockEvents, "session"), sim.watches), std::tuple(1, 0));
}

INSTANTIATE_TEST_SUITE_P(Pointer, ArmMonitorTest, ::testing::Values(Tracking::poll, Tracking::motion), trackingName);

} // namespace
} // namespace cendrel
