#include "ArmMonitor.h"

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

using State = ArmMonitor::State;
using namespace std::chrono_literals;

const char* name(State state)
{
    switch (state) {
    case State::idle:
        return "idle";
    case State::arming:
        return "arming";
    case State::armed:
        return "armed";
    }
    return "?";
}

class ArmMonitorTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        runLoop().setMouseLocation({700, 450});
        monitor = std::make_shared<ArmMonitor>();
        monitor->onStateChange = [this](State state) {
            // What the lock path has done so far tells whether the lock came
            // before or after this notification.
            notes.push_back(std::string(name(state)) + "@" + std::to_string(sim().loader().entries().size()));
            stateInCallback.push_back(monitor->state());
            timersInCallback.push_back(runLoop().scheduledTimerCount());
            watchesInCallback.push_back(runLoop().globalMonitorCount());
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
        runLoop().advance(2s);
        ASSERT_EQ(monitor->state(), State::armed);
    }
    std::size_t lockRequests() const
    {
        std::size_t opens = 0;
        for (const auto& entry : sim().loader().entries())
            if (entry.rfind("open ", 0) == 0)
                ++opens;
        return opens;
    }
    SimPlatform& sim() const { return const_cast<ArmMonitorTest*>(this)->SimTest::sim(); }
    void tick() { runLoop().advance(ArmMonitor::pollInterval); }
    void expectIdleAndReleased()
    {
        EXPECT_EQ(monitor->state(), State::idle);
        EXPECT_EQ(runLoop().scheduledTimerCount(), 0u);
        EXPECT_EQ(runLoop().globalMonitorCount(), 0u);
    }

    std::shared_ptr<ArmMonitor> monitor;
    std::vector<std::string> notes;
    std::vector<State> stateInCallback;
    std::vector<std::size_t> timersInCallback;
    std::vector<std::size_t> watchesInCallback;
};

TEST_F(ArmMonitorTest, ConstructionNotifiesAndSchedulesNothing)
{
    EXPECT_EQ(monitor->state(), State::idle);
    EXPECT_TRUE(notes.empty());
    expectIdleAndReleased();
}

TEST_F(ArmMonitorTest, FullCycleNotifiesInOrderAndLocksAfterIdle)
{
    monitor->arm();
    runLoop().advance(1999ms);
    EXPECT_EQ(monitor->state(), State::arming);
    runLoop().advance(1ms);
    EXPECT_EQ(monitor->state(), State::armed);
    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});

    EXPECT_EQ(notes, (std::vector<std::string>{"arming@0", "armed@0", "idle@0"}));
    EXPECT_EQ(stateInCallback, (std::vector<State>{State::arming, State::armed, State::idle}));
    // The grace timer is scheduled after the arming notification; the watches
    // are installed after the armed one; both are gone before idle is told.
    EXPECT_EQ(timersInCallback, (std::vector<std::size_t>{0, 0, 0}));
    EXPECT_EQ(watchesInCallback, (std::vector<std::size_t>{0, 0, 0}));
    EXPECT_EQ(lockRequests(), 1u);
    expectIdleAndReleased();
}

TEST_F(ArmMonitorTest, SecondArmChangesNothing)
{
    monitor->arm();
    monitor->arm();
    EXPECT_EQ(runLoop().scheduledTimerCount(), 1u);
    runLoop().advance(2s);
    monitor->arm();
    EXPECT_EQ(notes, (std::vector<std::string>{"arming@0", "armed@0"}));
    EXPECT_EQ(runLoop().scheduledTimerCount(), 1u); // the poll only
    EXPECT_EQ(runLoop().globalMonitorCount(), 1u);
}

TEST_F(ArmMonitorTest, DisarmWhileIdleIsSilent)
{
    monitor->disarm();
    EXPECT_TRUE(notes.empty());
    expectIdleAndReleased();
}

TEST_F(ArmMonitorTest, DisarmWhileIdleStillCancelsAGraceTimer)
{
    // A callback that disarms inside arm() leaves the grace timer to be
    // scheduled after it; the next disarm, idle or not, must cancel it.
    auto notify = monitor->onStateChange;
    monitor->onStateChange = [&](State state) {
        notify(state);
        if (state == State::arming)
            monitor->disarm();
    };
    monitor->arm();
    monitor->disarm();
    runLoop().advance(5s);
    EXPECT_EQ(notes, (std::vector<std::string>{"arming@0", "idle@0"}));
    expectIdleAndReleased();
}

TEST_F(ArmMonitorTest, CancelledGracePeriodNeverReachesTheArmedEntry)
{
    monitor->arm();
    runLoop().advance(1500ms);
    monitor->disarm();
    runLoop().advance(10s);
    runLoop().setMouseLocation({0, 0});
    runLoop().advance(1s);
    EXPECT_EQ(notes, (std::vector<std::string>{"arming@0", "idle@0"}));
    EXPECT_EQ(lockRequests(), 0u);
    expectIdleAndReleased();
}

TEST_F(ArmMonitorTest, OnlyTheSecondGraceTimerFiresAfterArmDisarmArm)
{
    monitor->arm();
    runLoop().advance(500ms);
    monitor->disarm();
    monitor->arm();
    runLoop().advance(1900ms); // 2.4 s after the first arm
    EXPECT_EQ(monitor->state(), State::arming);
    runLoop().advance(100ms);
    EXPECT_EQ(monitor->state(), State::armed);
    EXPECT_EQ(notes, (std::vector<std::string>{"arming@0", "idle@0", "arming@0", "armed@0"}));
}

TEST_F(ArmMonitorTest, GraceTimerWaitsWhileMenuIsTrackedButPollKeepsRunning)
{
    monitor->arm();
    runLoop().beginMenuTracking();
    runLoop().advance(5s);
    EXPECT_EQ(monitor->state(), State::arming);
    runLoop().endMenuTracking();
    EXPECT_EQ(monitor->state(), State::armed);

    runLoop().beginMenuTracking();
    runLoop().setMouseLocation({900, 450});
    tick();
    EXPECT_EQ(monitor->state(), State::idle);
    EXPECT_EQ(lockRequests(), 1u);
}

TEST_F(ArmMonitorTest, MovementDuringGraceIsIgnoredAndBaselineIsTakenAtItsEnd)
{
    monitor->arm();
    runLoop().setMouseLocation({0, 0});
    runLoop().advance(1s);
    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});
    runLoop().setMouseLocation({1400, 880});
    runLoop().advance(1s);
    EXPECT_EQ(monitor->state(), State::armed);
    runLoop().advance(1s);
    EXPECT_EQ(monitor->state(), State::armed);
    EXPECT_EQ(lockRequests(), 0u);
}

TEST_F(ArmMonitorTest, DriftExactlyAtTheThresholdDoesNotFire)
{
    // A 1600 × 1200 screen has a 2000-point diagonal: the threshold is exactly 60.
    sim().screens().setScreens({{0, 0, 1600, 1200}});
    armFully();
    runLoop().setMouseLocation({700 + 36, 450 + 48});
    runLoop().advance(1s);
    EXPECT_EQ(monitor->state(), State::armed);
    runLoop().setMouseLocation({700 + 60, 450});
    tick();
    EXPECT_EQ(monitor->state(), State::armed);
    runLoop().setMouseLocation({700 + 60.001, 450});
    tick();
    EXPECT_EQ(monitor->state(), State::idle);
    EXPECT_EQ(lockRequests(), 1u);
}

TEST_F(ArmMonitorTest, ExcursionBetweenTwoTicksIsNotSeen)
{
    armFully();
    runLoop().advance(10ms);
    runLoop().setMouseLocation({1000, 800});
    runLoop().advance(10ms);
    runLoop().setMouseLocation({700, 450});
    runLoop().advance(1s);
    EXPECT_EQ(monitor->state(), State::armed);
}

struct ThresholdCase {
    const char* what;
    std::vector<Rect> screens;
    std::optional<Rect> mainScreen;
    Point baseline;
    double threshold;
};

class ArmMonitorThresholdTest : public ArmMonitorTest, public testing::WithParamInterface<ThresholdCase> {};

TEST_P(ArmMonitorThresholdTest, ThresholdFollowsTheScreenUnderThePointer)
{
    const ThresholdCase& c = GetParam();
    sim().screens().setScreens(c.screens);
    sim().screens().setMainScreen(c.mainScreen);
    runLoop().setMouseLocation(c.baseline);
    armFully();
    runLoop().setMouseLocation({c.baseline.x, c.baseline.y - c.threshold * (1 - 1e-9)});
    tick();
    EXPECT_EQ(monitor->state(), State::armed) << c.what;
    runLoop().setMouseLocation({c.baseline.x, c.baseline.y - c.threshold * (1 + 1e-9)});
    tick();
    EXPECT_EQ(monitor->state(), State::idle) << c.what;
}

const Rect laptop{0, 0, 1440, 900};
const Rect external{1440, 0, 1920, 1080};
const Rect big{0, 0, 2560, 1440};
constexpr double laptopThreshold = 50.94349811310566;
constexpr double externalThreshold = 66.08721510246895;
constexpr double bigThreshold = 88.11628680329193;

INSTANTIATE_TEST_SUITE_P(
    Screens, ArmMonitorThresholdTest,
    testing::Values(
        ThresholdCase{"inside the second screen", {laptop, external}, laptop, {2000, 500}, externalThreshold},
        ThresholdCase{
            "right edge of the first is outside it", {laptop, external}, laptop, {1440, 500}, externalThreshold},
        ThresholdCase{"left and top edges are inside", {laptop, external}, big, {0, 900}, laptopThreshold},
        ThresholdCase{"bottom edge is outside: main screen", {laptop}, big, {100, 0}, bigThreshold},
        ThresholdCase{"off every screen: main screen", {laptop, external}, big, {-50, 300}, bigThreshold},
        ThresholdCase{"no screen listed: main screen", {}, external, {100, 100}, externalThreshold},
        ThresholdCase{"no screen at all: 1440 × 900", {}, std::nullopt, {100, 100}, laptopThreshold}));

struct WatchedCase {
    EventType type;
    bool fires;
};

class ArmMonitorWatchTest : public ArmMonitorTest, public testing::WithParamInterface<WatchedCase> {};

TEST_P(ArmMonitorWatchTest, OnlyPressesAndScrollsFire)
{
    armFully();
    runLoop().sendEventToOtherApplication({GetParam().type, 0, 0});
    EXPECT_EQ(monitor->state(), GetParam().fires ? State::idle : State::armed);
    EXPECT_EQ(lockRequests(), GetParam().fires ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Events, ArmMonitorWatchTest,
    testing::Values(WatchedCase{EventType::leftMouseDown, true}, WatchedCase{EventType::rightMouseDown, true},
                    WatchedCase{EventType::otherMouseDown, true}, WatchedCase{EventType::scrollWheel, true},
                    WatchedCase{EventType::keyDown, true}, WatchedCase{EventType::keyUp, false},
                    WatchedCase{EventType::leftMouseUp, false}, WatchedCase{EventType::rightMouseUp, false},
                    WatchedCase{EventType::flagsChanged, false}, WatchedCase{EventType::mouseMoved, false},
                    WatchedCase{EventType::leftMouseDragged, false}));

TEST_F(ArmMonitorTest, InputToThisApplicationIsNotWatched)
{
    armFully();
    runLoop().sendEventToApplication({EventType::leftMouseDown});
    EXPECT_EQ(monitor->state(), State::armed);
}

TEST_F(ArmMonitorTest, EventAndDriftInTheSameInstantLockOnce)
{
    armFully();
    runLoop().setMouseLocation({0, 0});
    runLoop().sendEventToOtherApplication({EventType::keyDown, 4, 0});
    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});
    tick();
    EXPECT_EQ(notes, (std::vector<std::string>{"arming@0", "armed@0", "idle@0"}));
    EXPECT_EQ(lockRequests(), 1u);
    expectIdleAndReleased();
}

TEST_F(ArmMonitorTest, WithoutAnInputWatchThePollStillGuards)
{
    runLoop().setGlobalMonitorInstallFails(true);
    armFully();
    EXPECT_EQ(runLoop().globalMonitorCount(), 0u);
    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});
    EXPECT_EQ(monitor->state(), State::armed);
    runLoop().setMouseLocation({0, 0});
    tick();
    EXPECT_EQ(monitor->state(), State::idle);
    EXPECT_EQ(lockRequests(), 1u);
}

TEST_F(ArmMonitorTest, DisarmWhileArmedReleasesEverythingWithoutLocking)
{
    armFully();
    monitor->disarm();
    expectIdleAndReleased();
    runLoop().setMouseLocation({0, 0});
    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});
    runLoop().advance(1s);
    EXPECT_EQ(lockRequests(), 0u);
}

TEST_F(ArmMonitorTest, RearmingTakesAFreshBaselineAndThreshold)
{
    sim().screens().setScreens({laptop, external});
    armFully();
    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});
    runLoop().setMouseLocation({2000, 500});
    armFully();
    // 60 points: beyond the laptop's threshold but within the external one's.
    runLoop().setMouseLocation({2060, 500});
    tick();
    EXPECT_EQ(monitor->state(), State::armed);
    runLoop().setMouseLocation({2067, 500});
    tick();
    EXPECT_EQ(monitor->state(), State::idle);
    EXPECT_EQ(lockRequests(), 2u);
}

TEST_F(ArmMonitorTest, ClosuresDoNothingOnceTheMonitorIsGone)
{
    armFully();
    monitor.reset();
    EXPECT_EQ(runLoop().scheduledTimerCount(), 0u);
    EXPECT_EQ(runLoop().globalMonitorCount(), 0u);
    runLoop().setMouseLocation({0, 0});
    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});
    runLoop().advance(5s);
    EXPECT_EQ(lockRequests(), 0u);
}

} // namespace
} // namespace cendrel
