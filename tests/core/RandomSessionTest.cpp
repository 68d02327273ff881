// Long random sessions of a user, the system and chance, checking after each
// step what must always hold, whatever the order of events.
#include "Fixture.h"

#include <random>

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
    constexpr int steps = 50'000;
    for (int step = 0; step < steps; ++step) {
        const auto iconBefore = sim.item.icon;
        // Kept short: only this step's locks are looked at.
        sim.lockEvents.clear();
        sim.log.clear();
        std::size_t locksBefore = 0;
        const int choice = static_cast<int>(random() % 12);
        bool mayLock = false;
        // Choosing an entry opens the menu first, and that is a touch.
        const bool openingLocks = !sim.item.open && iconBefore == StatusIcon::armed;
        switch (choice) {
        case 0:
            pressDefault();
            break;
        case 1:
            advance(std::uniform_real_distribution(0.0, 2.5)(random));
            mayLock = true; // a drift seen by the poll
            break;
        case 2:
            sim.pointer = {std::uniform_real_distribution(0.0, 1440.0)(random), 450};
            break;
        case 3:
            sim.sendInput();
            mayLock = iconBefore == StatusIcon::armed;
            ASSERT_EQ(sim.item.icon, mayLock ? StatusIcon::idle : iconBefore) << "input counts only when armed";
            break;
        case 4:
            if (sim.item.open)
                sim.closeMenu();
            else
                sim.openMenu();
            mayLock = iconBefore == StatusIcon::armed; // an opening is a touch
            break;
        case 5:
            sim.choose(toggleTitle());
            mayLock = openingLocks;
            break;
        case 6:
            sim.choose("Lock Screen Now");
            mayLock = true;
            break;
        case 7:
            sim.choose("Change Shortcut…");
            mayLock = openingLocks;
            break;
        case 8:
            mayLock = iconBefore == StatusIcon::armed; // typed into our own panel
            sim.pressKey({static_cast<KeyCode>(random() % 60), Shortcut::modifiersFromCarbon(random() & 0x1B00)});
            break;
        case 9:
            mayLock = iconBefore == StatusIcon::armed;
            sim.pressKey({53, {}});
            break;
        case 10:
            sim.takenByOthers.clear();
            if (random() % 2 == 0)
                sim.takenByOthers.push_back({37, {Modifier::command, Modifier::option}});
            break;
        default:
            sim.runLoop().runPending();
            break;
        }
        if (!mayLock) {
            ASSERT_EQ(locks(), locksBefore) << "step " << step << " choice " << choice;
        }
        ASSERT_LE(locks(), locksBefore + 1) << "one lock per step at most";
        // What the item shows agrees with itself and with what is watched.
        const bool idle = sim.item.icon == StatusIcon::idle;
        ASSERT_EQ(toggleTitle(), idle ? "Arm Now" : "Disarm") << "step " << step;
        ASSERT_EQ(sim.watches, sim.item.icon == StatusIcon::armed ? 1 : 0) << "step " << step;
        ASSERT_EQ(sim.activities, idle ? 0 : 1) << "step " << step;
        ASSERT_LE(sim.registered().size(), 1u);
        if (locks() > locksBefore) {
            ASSERT_TRUE(idle) << "a lock leaves the guard idle";
        }
        totalLocks += locks();
    }
    EXPECT_GT(totalLocks, 0u);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSessionTest, ::testing::Range(1u, 21u), ::testing::PrintToStringParamName());

} // namespace
} // namespace cendrel
