#include "HotKeyManager.h"
#include "Fixture.h"

namespace cendrel {
namespace {

const Modifiers commandOption{Modifier::command, Modifier::option};

TEST_F(SimTest, HotKeyManagerNeverLeavesAMomentWithoutAHotKeyItCouldKeep)
{
    auto manager = std::make_shared<HotKeyManager>();
    EXPECT_FALSE(manager->retry()) << "nothing to try";
    int presses = 0;
    manager->onTrigger = [&] { ++presses; };
    ASSERT_TRUE(manager->registerShortcut(Shortcut{}));
    EXPECT_TRUE(manager->registerShortcut(Shortcut{})) << "an equal one is registered afresh";
    sim.takenByOthers = {{40, {Modifier::control}}};
    EXPECT_FALSE(manager->registerShortcut({40, {Modifier::control}}));
    EXPECT_TRUE(manager->isActive());
    EXPECT_TRUE(sim.pressHotKey(37, commandOption)) << "a refused replacement keeps the old one";
    sim.runLoop().runPending();
    EXPECT_EQ(std::tuple(presses, sim.registered().size()), std::tuple(1, 1u));
}

TEST_F(SimTest, ARefusalIsLoggedOncePerShortcutAndReasonAndRetried)
{
    auto manager = std::make_shared<HotKeyManager>();
    sim.takenByOthers = {{37, commandOption}, {40, {Modifier::control}}};
    const std::string line = "Cendrel: failed to register hotkey (status -9878)";
    EXPECT_FALSE(manager->registerShortcut(Shortcut{}));
    for (int i = 0; i < 5; ++i)
        EXPECT_FALSE(manager->retry());
    EXPECT_EQ(sim.log, (std::vector<std::string>{line}));
    EXPECT_FALSE(manager->registerShortcut({40, {Modifier::control}}));
    EXPECT_EQ(sim.log.size(), 2u) << "another shortcut is another line";
    EXPECT_FALSE(manager->retry());
    EXPECT_EQ(sim.log.size(), 2u) << "the first one again: already told";
    sim.takenByOthers.clear();
    EXPECT_TRUE(manager->retry()) << "the first shortcut asked for is still wanted";
    EXPECT_EQ(sim.registered(), (std::vector<std::pair<std::uint32_t, Modifiers>>{{37, commandOption}}));
    sim.takenByOthers = {{37, commandOption}};
    EXPECT_FALSE(manager->registerShortcut(Shortcut{}));
    EXPECT_EQ(sim.log.size(), 3u) << "a refusal after a success is new";
}

} // namespace
} // namespace cendrel
