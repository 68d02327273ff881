// Long random sessions against the real controller, checking after every step
// what must always hold. Seeds are fixed so that a failure reproduces.
#include "ControllerFixture.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace cendrel {
namespace {

using namespace std::chrono_literals;
using State = ArmMonitor::State;

enum class Step {
    pressHotKey,
    pressOtherCombination,
    chooseToggle,
    chooseLockNow,
    chooseChangeShortcut,
    chooseLaunchAtLogin,
    openOrCloseMenu,
    advanceClock,
    movePointer,
    watchedEvent,
    unwatchedEvent,
    typeIntoApplication,
    closeRecorder,
    changeLoginStatus,
    count
};

class ControllerRandomTest : public ControllerTest, public testing::WithParamInterface<unsigned> {
protected:
    State shownState() const
    {
        const std::string symbol = icon();
        if (symbol == "lock.open.fill")
            return State::arming;
        if (symbol == "eye.fill")
            return State::armed;
        EXPECT_EQ(symbol, "lock.fill");
        return State::idle;
    }

    void checkInvariants(Step step, State before, std::size_t locksBefore, const std::string& trace)
    {
        const State state = shownState();
        const auto menu = titles();
        ASSERT_EQ(menu.size(), 11u) << trace;
        switch (state) {
        case State::idle:
            EXPECT_EQ(menu[0], "Idle — press " + current.displayString() + " to arm") << trace;
            EXPECT_EQ(runLoop().scheduledTimerCount(), 0u) << trace;
            EXPECT_EQ(runLoop().globalMonitorCount(), 0u) << trace;
            break;
        case State::arming:
            EXPECT_EQ(menu[0], "Arming… take your hand off the trackpad") << trace;
            EXPECT_EQ(runLoop().scheduledTimerCount(), 1u) << trace;
            EXPECT_EQ(runLoop().globalMonitorCount(), 0u) << trace;
            break;
        case State::armed:
            EXPECT_EQ(menu[0], "● Armed — any input will lock") << trace;
            EXPECT_EQ(runLoop().scheduledTimerCount(), 1u) << trace;
            EXPECT_EQ(runLoop().globalMonitorCount(), 1u) << trace;
            break;
        }
        EXPECT_EQ(menu[2], state == State::idle ? "Arm Now" : "Disarm") << trace;
        EXPECT_EQ(menu[5], "Arm Shortcut:  " + current.displayString()) << trace;

        const std::size_t newLocks = locks() - locksBefore;
        EXPECT_LE(newLocks, 1u) << trace;
        if (newLocks == 1 && step != Step::chooseLockNow) {
            // Only the end of an armed period locks by itself, and it ends idle.
            EXPECT_EQ(before, State::armed) << trace;
            EXPECT_EQ(state, State::idle) << trace;
        }
        if (step == Step::chooseLaunchAtLogin) {
            const bool enabled = sim().loginItems().status() == loginItemStatusEnabled;
            EXPECT_EQ(item("Launch at Login")->state(), enabled ? MenuItemState::on : MenuItemState::off) << trace;
        }
    }

    Shortcut current;
};

TEST_P(ControllerRandomTest, InvariantsHoldThroughoutALongSession)
{
    std::mt19937 random(GetParam());
    auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
    const std::uint64_t modifierFlags[] = {0, 0x10000, 0x20000, 0x40000, 0x80000, 0x100000, 0x180000, 0x800000};
    const EventType watched[] = {EventType::leftMouseDown, EventType::rightMouseDown, EventType::otherMouseDown,
                                 EventType::scrollWheel, EventType::keyDown};
    const EventType unwatched[] = {EventType::leftMouseUp, EventType::keyUp, EventType::flagsChanged,
                                   EventType::mouseMoved, EventType::leftMouseDragged};

    launch();
    std::ostringstream trace;
    for (int i = 0; i < 3000; ++i) {
        const auto step = static_cast<Step>(pick(static_cast<unsigned>(Step::count)));
        const State before = shownState();
        const std::size_t locksBefore = locks();
        trace << i << ':' << static_cast<int>(step) << ' ';
        switch (step) {
        case Step::pressHotKey:
            press(current.keyCode, current.carbonModifiers);
            break;
        case Step::pressOtherCombination:
            press(pick(60), 0x100u << pick(5));
            break;
        case Step::chooseToggle:
            choose(before == State::idle ? "Arm Now" : "Disarm");
            break;
        case Step::chooseLockNow:
            choose("Lock Screen Now");
            break;
        case Step::chooseChangeShortcut:
            choose("Change Shortcut…");
            break;
        case Step::chooseLaunchAtLogin:
            sim().loginItems().failRegister(pick(4) == 0 ? std::optional<LoginItemError>({"refused", "No."})
                                                         : std::nullopt);
            choose("Launch at Login");
            break;
        case Step::openOrCloseMenu:
            if (sim().statusBar().isMenuOpen())
                sim().statusBar().closeMenu();
            else
                sim().statusBar().openMenu();
            break;
        case Step::advanceClock:
            runLoop().advance(std::chrono::milliseconds(1 + pick(3000)));
            break;
        case Step::movePointer: {
            const double reach = pick(3) == 0 ? 400 : 20;
            const Point p = runLoop().mouseLocation();
            runLoop().setMouseLocation(
                {p.x + (pick(1000) / 500.0 - 1) * reach, p.y + (pick(1000) / 500.0 - 1) * reach});
            break;
        }
        case Step::watchedEvent:
            runLoop().sendEventToOtherApplication({watched[pick(5)], 0, 0});
            break;
        case Step::unwatchedEvent:
            runLoop().sendEventToOtherApplication({unwatched[pick(5)], 0, 0});
            break;
        case Step::typeIntoApplication: {
            const Event key{EventType::keyDown, static_cast<std::uint16_t>(pick(4) == 0 ? 53 : pick(60)),
                            modifierFlags[pick(8)]};
            const bool recording = runLoop().localMonitorCount() > 0;
            const bool dispatched = runLoop().sendEventToApplication(key);
            EXPECT_EQ(dispatched, !recording);
            const bool cancel = key.keyCode == 53 && (key.modifierFlags & 0xFFFF0000) == 0;
            if (recording && !cancel) {
                if (auto captured = Shortcut::from(key))
                    current = *captured;
            }
            break;
        }
        case Step::closeRecorder:
            if (auto panel = sim().panels().lastPanel())
                panel->clickCloseButton();
            break;
        case Step::changeLoginStatus:
            sim().loginItems().setStatus(static_cast<std::int64_t>(pick(4)));
            break;
        case Step::count:
            break;
        }
        checkInvariants(step, before, locksBefore, trace.str());
        if (HasFailure())
            return;
    }
    // The session exercised what it should have.
    EXPECT_GT(locks(), 10u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ControllerRandomTest, testing::Values(1u, 7u, 42u, 1234u, 20261206u));

} // namespace
} // namespace cendrel
