#include "Fixture.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace cendrel {
namespace {

using Events = std::vector<std::string>;
constexpr LockReport accepted{LockReport::Outcome::accepted, LockFailure::refused};
constexpr LockReport locked{LockReport::Outcome::locked, LockFailure::refused};
constexpr LockReport failed(LockFailure failure)
{
    return {LockReport::Outcome::failed, failure};
}

constexpr const char* onlyDisplayOff = "Cendrel: only the display is off; the screen is NOT locked";
constexpr const char* notConfirmed = "Cendrel: the screen lock was not confirmed, putting the display to sleep";
const std::string acceptedLine = " Lock accepted, but nothing shows the screen locked; going on";

class ScreenLockTest : public SimTest {
protected:
    void SetUp() override
    {
        sim.install();
        sim.lockSteps.clear();
        sim.lockers = {{"a"}, {"b"}, {"c"}};
    }
    bool told() const { return !sim.notifications.empty(); }
    bool asked(const std::string& step) const { return std::ranges::count(sim.lockEvents, step) == 1; }
};

struct StepFailure {
    std::optional<LockFailure> failure; // nothing: unavailable at once
    const char* line;
};

class StepFailureTest : public ScreenLockTest, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(StepFailureTest, HasItsLineAndTheNextStepStartsAtOnce)
{
    if (GetParam().failure)
        sim.lockSteps["a"] = {{0.2, failed(*GetParam().failure)}};
    ScreenLock::lock();
    EXPECT_EQ(asked("b"), !GetParam().failure);
    advance(0.2);
    EXPECT_EQ(std::tuple(asked("b"), sim.log.at(0)), std::tuple(true, GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(Lines, StepFailureTest,
                         ::testing::Values(StepFailure{std::nullopt, "Cendrel: could not reach a, falling back"},
                                           StepFailure{LockFailure::missing, "Cendrel: a Lock not found, falling back"},
                                           StepFailure{LockFailure::refused, "Cendrel: a Lock failed, falling back"}));

TEST_F(ScreenLockTest, EveryStepIsAskedInOrderAndTheDisplayOffAloneOrNoneAtAllIsTold)
{
    ScreenLock::lock();
    EXPECT_EQ(sim.lockEvents, (Events{"a", "b", "c", "display off"}));
    EXPECT_EQ(std::tuple(sim.log.back(), sim.notifications.size(), sim.notifications.at(0).subject,
                         sim.notifications.at(0).critical),
              std::tuple(onlyDisplayOff, 1u, NoticeSubject::screenLock, true));
    // No display off either is told too, even where the display off locks.
    sim.displayOffLocks = true;
    sim.displayOffFails = true;
    ScreenLock::lock();
    EXPECT_EQ(sim.log.back(), "Cendrel: could not put the display to sleep either; the screen is NOT locked");
    EXPECT_EQ(std::tuple(sim.notifications.size(), sim.notifications.at(1).title),
              std::tuple(2u, "Cendrel could not lock the screen"));
}

TEST_F(ScreenLockTest, AcceptedLockWithoutEvidenceMakesWayAfterItsPatienceAndIsToldAtTheDeadline)
{
    sim.lockSteps["a"] = {{0.1, accepted}};
    // Asked, but silent: it never accepted, so nothing is said of it.
    sim.lockSteps["b"] = {};
    const double patience = ScreenLock::stepPatience.count();
    ScreenLock::lock();
    advance(patience - 0.05);
    EXPECT_EQ(sim.lockEvents, Events{"a"});
    advance(0.1);
    EXPECT_EQ(std::tuple(asked("b"), sim.log), std::tuple(true, Events{"Cendrel: a" + acceptedLine}));
    advance(patience);
    // b never accepted, and a late answer may still come.
    EXPECT_EQ(std::tuple(asked("c"), sim.log.size(), asked("display off")), std::tuple(true, 2u, false));
    advance(ScreenLock::evidenceDeadline.count() - 2 * patience - 0.1);
    EXPECT_FALSE(told());
    advance(0.1);
    EXPECT_EQ(std::tuple(sim.log.back(), told(), asked("dropped a")), std::tuple(onlyDisplayOff, true, true));
}

// Steps that go with the one before start with it; one that cannot start
// lets the next take its place; the rest wait for the round to fail.
TEST_F(ScreenLockTest, StepsThatGoTogetherStartTogether)
{
    sim.lockers = {{"a"}, {"b", true}, {"c", true}, {"d"}, {"e"}};
    sim.lockSteps = {{"a", {{0.1, accepted}}},
                     {"b", {{0.3, failed(LockFailure::refused)}}},
                     {"d", {{0.2, failed(LockFailure::refused)}}}};
    ScreenLock::lock();
    EXPECT_EQ(sim.lockEvents, (Events{"a", "b", "c", "d"}));
    advance(0.5);
    EXPECT_FALSE(asked("e")) << "a is still live in the round";
    advance(ScreenLock::stepPatience.count());
    EXPECT_TRUE(asked("e"));
}

// The window runs from the first acceptance.
TEST_F(ScreenLockTest, AnAcceptedStepWhoseWindowClosesEndsTheLockEarly)
{
    sim.displayOffLocks = true;
    sim.lockers = {{"a", false, 0.5}, {"b", true}};
    sim.lockSteps = {{"a", {{0.1, accepted}, {0.3, accepted}}}, {"b", {{0.2, failed(LockFailure::refused)}}}};
    ScreenLock::lock();
    advance(0.55);
    EXPECT_FALSE(asked("display off"));
    advance(0.1);
    EXPECT_TRUE(asked("display off")) << "nothing left that could bring evidence";
    EXPECT_EQ(sim.log, (Events{"Cendrel: b Lock failed, falling back", "Cendrel: a" + acceptedLine, notConfirmed}));
}

struct Evidence {
    std::map<std::string, std::vector<SimPlatform::LockReply>> steps;
    bool told;
};

class EvidenceTest : public ScreenLockTest, public ::testing::WithParamInterface<Evidence> {};

TEST_P(EvidenceTest, CountsFromAnyStepUntilTheDeadline)
{
    sim.lockSteps = GetParam().steps;
    ScreenLock::lock();
    advance(10);
    EXPECT_EQ(std::tuple(told(), asked("display off")), std::tuple(GetParam().told, GetParam().told));
    for (const auto& step : GetParam().steps)
        EXPECT_TRUE(asked("dropped " + step.first)) << "given back at the end";
    EXPECT_EQ(sim.runLoop().liveTimerCount(), 0u);
}

// Slow; just in time; too late; a late hint; accepted then failed; passed
// over then failed while a later step works; the last step failing.
INSTANTIATE_TEST_SUITE_P(
    Steps, EvidenceTest,
    ::testing::Values(Evidence{{{"a", {{1.5, accepted}, {1.6, locked}}}}, false},
                      Evidence{{{"b", {{3.9, locked}}}}, false}, Evidence{{{"b", {{4.1, locked}}}}, true},
                      Evidence{{{"a", {{0.1, accepted}, {2.5, locked}}}}, false},
                      Evidence{{{"a", {{0.1, accepted}, {0.2, failed(LockFailure::refused)}}}}, true},
                      // Passed over, then failed, while a later step still works.
                      Evidence{{{"a", {{0.1, accepted}, {2.0, failed(LockFailure::refused)}}}, {"c", {{1.5, locked}}}},
                               false},
                      Evidence{{{"c", {{0.5, failed(LockFailure::refused)}}}}, true}));

TEST_F(ScreenLockTest, KeyboardTakenByAnotherClientDuringTheLockIsEvidenceButNotBefore)
{
    sim.lockSteps["a"] = {{0.1, accepted}};
    ScreenLock::lock();
    advance(0.5);
    sim.keyboardHeldByOther = true;
    advance(10);
    EXPECT_FALSE(told());
    ScreenLock::lock();
    advance(10);
    EXPECT_TRUE(told()) << "held before the lock: an open menu, say";
}

// Where the display asleep asks for the password, it stands in silently; an
// accepted lock that nothing confirmed gets its own line.
TEST_F(ScreenLockTest, WhereTheDisplayOffLocksOnlyAnUnconfirmedLockIsSaid)
{
    sim.displayOffLocks = true;
    sim.lockers = {{"a"}};
    for (const bool confirmed : {false, true}) {
        sim.lockEvents.clear();
        sim.log.clear();
        sim.keyboardHeldByOther = false;
        sim.lockSteps["a"] = {{0.1, accepted}};
        ScreenLock::lock();
        advance(3.0);
        sim.keyboardHeldByOther = confirmed;
        EXPECT_FALSE(asked("display off"));
        advance(1.2);
        EXPECT_EQ(std::tuple(asked("display off"), std::ranges::count(sim.log, notConfirmed) == 1),
                  std::tuple(!confirmed, !confirmed));
    }
    sim.lockSteps["a"] = {{0.1, failed(LockFailure::refused)}};
    sim.lockEvents.clear();
    ScreenLock::lock();
    advance(0.2);
    EXPECT_EQ(std::tuple(asked("display off"), sim.log.back(), told()),
              std::tuple(true, "Cendrel: a Lock failed, falling back", false));
}

} // namespace
} // namespace cendrel
