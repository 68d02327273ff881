// Long random sessions of a user, the system and chance, checking after each
// step what must always hold, whatever the order of events.
#include "Fixture.h"

#include <functional>
#include <random>
#include <tuple>

namespace cendrel {
namespace {

class RandomSessionTest : public ControllerTest, public ::testing::WithParamInterface<unsigned> {};

TEST_P(RandomSessionTest, InvariantsHoldAfterEveryStep)
{
    std::mt19937 random(GetParam());
    if (GetParam() % 2 != 0)
        sim.lockSteps["session"] = {{0.5, {LockReport::Outcome::failed, LockFailure::refused}}};
    launch();
    std::size_t totalLocks = 0;
    bool armed = false;
    double armingSince = 0;    // when the icon last turned to arming
    bool openingLocks = false; // choosing an entry opens the menu first, and that is a touch
    auto between = [&](double low, double high) { return std::uniform_real_distribution(low, high)(random); };
    // Each step says whether it may lock.
    const auto defaultTaken = decltype(sim.takenByOthers)::value_type{37, {Modifier::command, Modifier::option}};
    const std::vector<std::function<bool()>> choices{
        [&] { return pressDefault() && false; },
        [&] { return advance(between(0.0, 2.5)), true; }, // a drift seen by the poll
        [&] { return sim.pointer.x = between(0.0, 1440.0), sim.pointer.y = 450, false; },
        [&] { return sim.sendInput(), armed; },
        [&] { return sim.item.open ? sim.closeMenu() : (void)sim.openMenu(), armed; }, // an opening is a touch
        [&] { return sim.choose(toggleTitle()), openingLocks; },
        [&] { return sim.choose("Lock Screen Now"), true; },
        [&] { return sim.choose("Change Shortcut…"), openingLocks; },
        [&] { // typed into our own panel
            const auto key = static_cast<KeyCode>(random() % 60);
            return sim.pressKey(KeyPress{key, Shortcut::modifiersFromCarbon(random() & 0x1B00)}), armed;
        },
        [&] {
            return sim.pressKey(KeyPress{53, {}}), armed;
        },
        [&] { return sim.takenByOthers.assign(random() % 2, defaultTaken), false; },
        [&] { return sim.runLoop().runPending(), false; }};
    for (int step = 0; step < 50'000; ++step) {
        const auto iconBefore = sim.item.icon;
        armed = iconBefore == StatusIcon::armed;
        openingLocks = !sim.item.open && armed;
        // Kept short: only this step's locks are looked at.
        sim.lockEvents.clear();
        sim.log.clear();
        const auto choice = random() % choices.size();
        const bool menuWasOpen = sim.item.open;
        const bool mayLock = choices[choice]();
        const double now = sim.runLoop().now().count();
        if (sim.item.icon == StatusIcon::arming && iconBefore != StatusIcon::arming)
            armingSince = now;
        // No opening, close or hold left behind keeps an arming from ending.
        ASSERT_FALSE(choice == 1 && !menuWasOpen && sim.item.icon == StatusIcon::arming && now - armingSince > 2.0001)
            << "step " << step;
        // Input counts if armed; only a step that may lock does, once at most,
        // and leaves the guard idle; what the item shows agrees with itself
        // and with what is watched; one shortcut at most is registered.
        const bool idle = sim.item.icon == StatusIcon::idle;
        ASSERT_EQ(std::tuple(choice != 3 || sim.item.icon == (armed ? StatusIcon::idle : iconBefore),
                             mayLock || locks() == 0u, locks() <= 1u, locks() == 0u || idle,
                             sim.registered().size() <= 1u, toggleTitle(), sim.watches, sim.activities),
                  std::tuple(true, true, true, true, true, idle ? "Arm Now" : "Disarm",
                             sim.item.icon == StatusIcon::armed ? 1 : 0, idle ? 0 : 1))
            << "step " << step << " choice " << choice;
        totalLocks += locks();
    }
    EXPECT_GT(totalLocks, 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSessionTest, ::testing::Range(1u, 21u), ::testing::PrintToStringParamName());

} // namespace
} // namespace cendrel
