#include "Fixture.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace cendrel {
namespace {

using Events = std::vector<std::string>;
using Lines = std::vector<std::string>;
constexpr LockReport accepted{LockReport::Outcome::accepted, LockFailure::refused};
constexpr LockReport locked{LockReport::Outcome::locked, LockFailure::refused};
constexpr LockReport failed(LockFailure failure)
{
    return {LockReport::Outcome::failed, failure};
}

const Events screenSavers{"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver", "org.mate.ScreenSaver",
                          "org.cinnamon.ScreenSaver"};
const Lines screenSaversUnreached{"Cendrel: could not reach the screen saver, falling back",
                                  "Cendrel: could not reach org.gnome.ScreenSaver, falling back",
                                  "Cendrel: could not reach org.mate.ScreenSaver, falling back",
                                  "Cendrel: could not reach org.cinnamon.ScreenSaver, falling back"};
constexpr const char* onlyDisplayOff = "Cendrel: only the display is off; the screen is NOT locked";

class ScreenLockTest : public SimTest {
protected:
    void SetUp() override
    {
        sim.install(SystemFlavor::freedesktop);
        sim.lockSteps.clear();
        sim.lockPrograms = x11Programs;
    }
    // As an X11 session has them, and a Wayland one.
    const ScreenLocker::LockPrograms x11Programs{{{"xdg-screensaver", "lock"}}, true};
    const ScreenLocker::LockPrograms waylandPrograms{{{"swaylock", "-f"}, {"hyprlock"}}, false};
    bool told() const { return !sim.notifications.empty(); }
    bool asked(const std::string& step) const { return std::ranges::count(sim.lockEvents, step) == 1; }
};

struct StepFailure {
    SystemFlavor flavor;
    const char* step;
    std::optional<LockFailure> failure; // nothing: unavailable at once
    const char* line;
    const char* nextStep;
    bool wayland = false;
    friend void PrintTo(const StepFailure& row, std::ostream* out) { *out << row.line; }
};

class StepFailureTest : public ScreenLockTest, public ::testing::WithParamInterface<StepFailure> {};

TEST_P(StepFailureTest, HasItsLineAndTheNextStepStartsAtOnce)
{
    sim.install(GetParam().flavor);
    if (GetParam().wayland)
        sim.lockPrograms = waylandPrograms;
    if (GetParam().failure)
        sim.lockSteps[GetParam().step] = {{0.2, failed(*GetParam().failure)}};
    ScreenLock::lock();
    EXPECT_EQ(asked(GetParam().nextStep), !GetParam().failure);
    advance(0.2);
    EXPECT_TRUE(asked(GetParam().nextStep));
    EXPECT_EQ(std::ranges::count(sim.log, GetParam().line), 1);
    // macOS asks for the password when the display wakes.
    EXPECT_EQ(told(), GetParam().flavor == SystemFlavor::freedesktop);
}

constexpr auto mac = SystemFlavor::macOS, xdg = SystemFlavor::freedesktop;
INSTANTIATE_TEST_SUITE_P(
    Lines, StepFailureTest,
    ::testing::ValuesIn(std::vector<StepFailure>{
        {mac, "session", std::nullopt, "Cendrel: could not open login.framework, falling back", "display off"},
        {mac, "session", LockFailure::missing, "Cendrel: SACLockScreenImmediate not found, falling back",
         "display off"},
        {xdg, "session", std::nullopt, "Cendrel: could not reach login1, falling back", "org.freedesktop.ScreenSaver"},
        {xdg, "session", LockFailure::missing, "Cendrel: login1 Lock not found, falling back",
         "org.freedesktop.ScreenSaver"},
        {xdg, "session", LockFailure::refused, "Cendrel: login1 Lock failed, falling back",
         "org.freedesktop.ScreenSaver"},
        {xdg, "org.freedesktop.ScreenSaver", LockFailure::missing, "Cendrel: screen saver Lock not found, falling back",
         "org.gnome.ScreenSaver"},
        {xdg, "swaylock", LockFailure::refused, "Cendrel: swaylock -f failed, falling back", "hyprlock", true}}));

TEST_F(ScreenLockTest, EveryLockerIsAskedInOrderAndTheDisplayOffAloneIsTold)
{
    ScreenLock::lock();
    Events all{"session"};
    all.insert(all.end(), screenSavers.begin(), screenSavers.end());
    all.insert(all.end(), {"xdg-screensaver|lock", "display off"});
    EXPECT_EQ(sim.lockEvents, all);
    Lines lines{"Cendrel: could not reach login1, falling back"};
    lines.insert(lines.end(), screenSaversUnreached.begin(), screenSaversUnreached.end());
    lines.insert(lines.end(), {"Cendrel: could not start xdg-screensaver lock, falling back", onlyDisplayOff});
    EXPECT_EQ(sim.log, lines);
    ASSERT_EQ(sim.notifications.size(), 1u);
    EXPECT_EQ(std::tuple(sim.notifications[0].subject, sim.notifications[0].critical),
              std::tuple(NoticeSubject::screenLock, true));
}

TEST_F(ScreenLockTest, NoDisplayOffEitherIsToldEvenOnMacOS)
{
    sim.install(SystemFlavor::macOS);
    sim.displayOffFails = true;
    ScreenLock::lock();
    EXPECT_EQ(sim.log.back(), "Cendrel: could not put the display to sleep either; the screen is NOT locked");
    ASSERT_EQ(sim.notifications.size(), 1u);
    EXPECT_EQ(sim.notifications[0].title, "Cendrel could not lock the screen");
}

TEST_F(ScreenLockTest, AcceptedLockWithoutEvidenceMakesWayAfterItsPatienceAndIsToldAtTheDeadline)
{
    sim.lockSteps["session"] = {{0.1, accepted}};
    const double patience = ScreenLock::stepPatience.count();
    ScreenLock::lock();
    advance(patience - 0.05);
    EXPECT_EQ(sim.lockEvents, Events{"session"});
    advance(0.1);
    EXPECT_TRUE(asked("org.cinnamon.ScreenSaver"));
    EXPECT_EQ(sim.log.at(0), "Cendrel: login1 Lock accepted, but nothing shows the screen locked; going on");
    EXPECT_FALSE(asked("display off")) << "a late LockedHint may still come";
    advance(ScreenLock::evidenceDeadline.count() - patience - 0.1);
    EXPECT_FALSE(told());
    advance(0.1);
    EXPECT_EQ(sim.log.back(), onlyDisplayOff);
    EXPECT_TRUE(told());
    EXPECT_TRUE(asked("dropped session"));
}

struct Evidence {
    const char* name;
    std::map<std::string, std::vector<SimPlatform::LockReply>> steps;
    bool told;
    friend void PrintTo(const Evidence& evidence, std::ostream* out) { *out << evidence.name; }
};

class EvidenceTest : public ScreenLockTest, public ::testing::WithParamInterface<Evidence> {};

TEST_P(EvidenceTest, CountsFromAnyStepUntilTheDeadline)
{
    sim.lockSteps = GetParam().steps;
    ScreenLock::lock();
    advance(10);
    EXPECT_EQ(told(), GetParam().told);
    EXPECT_EQ(asked("display off"), GetParam().told);
    for (const auto& step : GetParam().steps)
        EXPECT_TRUE(std::ranges::any_of(sim.lockEvents, [&](const std::string& event) {
            return event.starts_with("dropped " + step.first);
        })) << "given back at the end";
    EXPECT_EQ(sim.runLoop().liveTimerCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, EvidenceTest,
    ::testing::Values(
        Evidence{"saver_slow", {{"org.freedesktop.ScreenSaver", {{1.5, accepted}, {1.6, locked}}}}, false},
        Evidence{"saver_just_in_time", {{"org.mate.ScreenSaver", {{3.9, locked}}}}, false},
        Evidence{"saver_too_late", {{"org.mate.ScreenSaver", {{4.1, locked}}}}, true},
        Evidence{"session_late_hint", {{"session", {{0.1, accepted}, {2.5, locked}}}}, false},
        Evidence{"session_accepted_then_failed",
                 {{"session", {{0.1, accepted}, {0.2, failed(LockFailure::refused)}}}},
                 true},
        // Passed over, then failed, while a later step still works.
        Evidence{
            "passed_over_then_failed",
            {{"session", {{0.1, accepted}, {2.0, failed(LockFailure::refused)}}}, {"xdg-screensaver", {{1.5, locked}}}},
            false},
        Evidence{"command_exits_0", {{"xdg-screensaver", {{0.5, locked}}}}, false},
        Evidence{"command_fails", {{"xdg-screensaver", {{0.5, failed(LockFailure::refused)}}}}, true}));

TEST_F(ScreenLockTest, KeyboardTakenByAnotherClientDuringTheLockIsEvidenceButNotBefore)
{
    sim.lockSteps["session"] = {{0.1, accepted}};
    ScreenLock::lock();
    advance(0.5);
    sim.keyboardHeldByOther = true;
    advance(10);
    EXPECT_FALSE(told());
    ScreenLock::lock();
    advance(10);
    EXPECT_TRUE(told()) << "held before the lock: an open menu, say";
}

// The lockers run as programs, all missing: each asked once, in order, after
// login1 and the screen savers; the owner's command first, or instead.
struct DesktopLockers {
    bool wayland;
    const char* written; // lock.command
    Events commands;
    friend void PrintTo(const DesktopLockers& row, std::ostream* out) { *out << row.written; }
};

class DesktopLockersTest : public ScreenLockTest, public ::testing::WithParamInterface<DesktopLockers> {};

TEST_P(DesktopLockersTest, AreAskedInOrderAfterTheBuses)
{
    sim.lockPrograms = GetParam().wayland ? waylandPrograms : x11Programs;
    sim.textPreferences["lock.command"] = GetParam().written;
    ScreenLock::lock();
    Events events{"session"};
    events.insert(events.end(), screenSavers.begin(), screenSavers.end());
    events.insert(events.end(), GetParam().commands.begin(), GetParam().commands.end());
    events.emplace_back("display off");
    EXPECT_EQ(sim.lockEvents, events);
}

INSTANTIATE_TEST_SUITE_P(Desktops, DesktopLockersTest,
                         ::testing::Values(DesktopLockers{true, "", {"swaylock|-f", "hyprlock"}},
                                           DesktopLockers{true, "x -n", {"x|-n", "swaylock|-f", "hyprlock"}},
                                           DesktopLockers{false, "", {"xdg-screensaver|lock"}},
                                           DesktopLockers{false, "x", {"x"}}));

struct CommandCase {
    const char* name;
    const char* written;
    const char* asked;
    bool unreadable;
    friend void PrintTo(const CommandCase& row, std::ostream* out) { *out << row.name; }
};

class LockCommandTest : public ScreenLockTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(LockCommandTest, IsSplitIntoWordsWithoutAShell)
{
    sim.textPreferences["lock.command"] = GetParam().written;
    ScreenLock::lock();
    EXPECT_TRUE(asked(GetParam().asked)) << ::testing::PrintToString(sim.lockEvents);
    EXPECT_EQ(sim.log.front() == "Cendrel: the lock command in the preferences cannot be read; using "
                                 "xdg-screensaver lock",
              GetParam().unreadable);
}

INSTANTIATE_TEST_SUITE_P(
    Words, LockCommandTest,
    ::testing::Values(CommandCase{"one_word", "slock", "slock", false},
                      CommandCase{"blanks", " i3lock\t-c  000000 ", "i3lock|-c|000000", false},
                      CommandCase{"quotes", "'my locker' \"a b\" c\\ d ''", "my locker|a b|c d|", false},
                      CommandCase{"nothing_expanded", "sh -c 'x; $y' \"\\\"\" '\\'", "sh|-c|x; $y|\"|\\", false},
                      CommandCase{"empty", "", "xdg-screensaver|lock", false},
                      CommandCase{"open_quote", "lock 'open", "xdg-screensaver|lock", true}));

} // namespace
} // namespace cendrel
