#include "HotKeyManager.h"
#include "Fixture.h"

namespace cendrel {
namespace {

const Modifiers commandOption{Modifier::command, Modifier::option};

TEST_F(SimTest, HotKeyManagerNeverLeavesAMomentWithoutAHotKeyItCouldKeep)
{
    auto manager = std::make_shared<HotKeyManager>();
    EXPECT_FALSE(manager->resume()) << "nothing to resume";
    int presses = 0;
    manager->onTrigger = [&] { ++presses; };
    ASSERT_TRUE(manager->registerShortcut(Shortcut{}));
    EXPECT_TRUE(manager->registerShortcut(Shortcut{})) << "an equal one is registered afresh";
    sim.takenByOthers = {{40, {Modifier::control}}};
    EXPECT_FALSE(manager->registerShortcut({40, {Modifier::control}}));
    EXPECT_TRUE(manager->isActive());
    EXPECT_TRUE(sim.pressHotKey(37, commandOption)) << "a refused replacement keeps the old one";
    sim.runLoop().runPending();
    EXPECT_EQ(presses, 1);
    manager->suspend();
    EXPECT_FALSE(manager->isActive());
    EXPECT_TRUE(manager->registerShortcut({45, {Modifier::command}}));
    EXPECT_TRUE(manager->isActive()) << "success ends a suspension";
    EXPECT_EQ(sim.registered().size(), 1u);
}

} // namespace
} // namespace cendrel
