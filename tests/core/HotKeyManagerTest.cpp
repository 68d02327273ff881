#include "HotKeyManager.h"

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

using Strings = std::vector<std::string>;

class HotKeyManagerTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        manager = std::make_shared<HotKeyManager>();
        manager->onTrigger = [this] { ++triggers; };
    }
    void TearDown() override
    {
        manager.reset();
        // A pending press keeps the manager alive until it has run.
        runLoop().runPendingBlocks();
        SimTest::TearDown();
    }
    SimHotKeyEvents& events() { return sim().hotKeyEvents(); }

    std::shared_ptr<HotKeyManager> manager;
    int triggers = 0;
};

TEST_F(HotKeyManagerTest, ConstructionInstallsTheHandlerAndRegistersNothing)
{
    EXPECT_EQ(events().operations(), Strings{"install keyb/5"});
    ASSERT_EQ(events().handlers().size(), 1u);
    EXPECT_EQ(events().handlers()[0].target, events().applicationEventTarget());
    EXPECT_TRUE(events().registrations().empty());
}

TEST_F(HotKeyManagerTest, RegistersWithTheFixedIdentifier)
{
    manager->registerShortcut(Shortcut{12, 0x1100});
    ASSERT_EQ(events().registrations().size(), 1u);
    const SimHotKeyRegistration& r = events().registrations()[0];
    EXPECT_EQ(r.keyCode, 12u);
    EXPECT_EQ(r.modifiers, 0x1100u);
    EXPECT_EQ(r.hotKeyID.signature, 0x434E4452u); // 'CNDR'
    EXPECT_EQ(r.hotKeyID.id, 1u);
    EXPECT_EQ(r.target, events().applicationEventTarget());
    EXPECT_EQ(r.options, 0u);
}

TEST_F(HotKeyManagerTest, RegisteringAgainReplacesEvenTheSameShortcut)
{
    manager->registerShortcut(Shortcut{});
    manager->registerShortcut(Shortcut{});
    manager->registerShortcut(Shortcut{12, 0x100});
    EXPECT_EQ(events().operations(),
              (Strings{"install keyb/5", "register 37 2304 CNDR/1", "unregister 37 2304", "register 37 2304 CNDR/1",
                       "unregister 37 2304", "register 12 256 CNDR/1"}));
    ASSERT_EQ(events().registrations().size(), 1u);
    EXPECT_FALSE(events().pressHotKey(37, 2304));
    EXPECT_TRUE(events().pressHotKey(12, 0x100));
}

TEST_F(HotKeyManagerTest, RefusedRegistrationLeavesNoHotKeyAndLogsOnce)
{
    manager->registerShortcut(Shortcut{});
    events().setRegistrationStatus(-9878);
    manager->registerShortcut(Shortcut{12, 0x100});
    EXPECT_EQ(sim().systemLog().lines(), Strings{"Cendrel: failed to register hotkey (status -9878)"});
    EXPECT_TRUE(events().registrations().empty());
    EXPECT_FALSE(events().pressHotKey(37, 2304));

    // The next registration starts afresh: nothing to unregister.
    events().setRegistrationStatus(noErr);
    manager->registerShortcut(Shortcut{12, 0x100});
    EXPECT_EQ(events().operations().back(), "register 12 256 CNDR/1");
    EXPECT_EQ(events().operations()[events().operations().size() - 2], "register 12 256 CNDR/1 -> -9878");
    EXPECT_EQ(sim().systemLog().lines().size(), 1u);
}

TEST_F(HotKeyManagerTest, PositiveStatusIsWrittenWithoutSign)
{
    events().setRegistrationStatus(42);
    manager->registerShortcut(Shortcut{});
    EXPECT_EQ(sim().systemLog().lines(), Strings{"Cendrel: failed to register hotkey (status 42)"});
}

TEST_F(HotKeyManagerTest, PressTriggersLaterOnTheMainQueue)
{
    manager->registerShortcut(Shortcut{});
    ASSERT_TRUE(events().pressHotKey(37, 2304));
    EXPECT_EQ(triggers, 0);
    EXPECT_EQ(events().handlerStatuses(), std::vector<OSStatus>{noErr});
    runLoop().runPendingBlocks();
    EXPECT_EQ(triggers, 1);
}

TEST_F(HotKeyManagerTest, EachPressCallsTheCallbackSetWhenItRuns)
{
    manager->registerShortcut(Shortcut{});
    events().pressHotKey(37, 2304);
    events().pressHotKey(37, 2304);
    std::vector<int> calls;
    manager->onTrigger = [&] { calls.push_back(static_cast<int>(calls.size()) + 1); };
    runLoop().runPendingBlocks();
    EXPECT_EQ(calls, (std::vector<int>{1, 2}));
    EXPECT_EQ(triggers, 0);
}

TEST_F(HotKeyManagerTest, PressWithoutCallbackDoesNothing)
{
    manager->onTrigger = nullptr;
    manager->registerShortcut(Shortcut{});
    events().pressHotKey(37, 2304);
    EXPECT_EQ(runLoop().pendingBlockCount(), 1u);
    runLoop().runPendingBlocks();
    EXPECT_EQ(triggers, 0);
}

struct IdentifierCase {
    EventHotKeyID id;
    int triggers;
};

class HotKeyIdentifierTest : public HotKeyManagerTest, public testing::WithParamInterface<IdentifierCase> {};

TEST_P(HotKeyIdentifierTest, OnlyTheIdHalfIsCompared)
{
    events().deliverHotKeyEvent(GetParam().id);
    runLoop().runPendingBlocks();
    EXPECT_EQ(triggers, GetParam().triggers);
    EXPECT_EQ(events().handlerStatuses(), std::vector<OSStatus>{noErr});
}

INSTANTIATE_TEST_SUITE_P(Identifiers, HotKeyIdentifierTest,
                         testing::Values(IdentifierCase{{fourCharCode("CNDR"), 1}, 1},
                                         IdentifierCase{{fourCharCode("XXXX"), 1}, 1}, IdentifierCase{{0, 1}, 1},
                                         IdentifierCase{{fourCharCode("CNDR"), 2}, 0},
                                         IdentifierCase{{fourCharCode("CNDR"), 0}, 0}));

TEST_F(HotKeyManagerTest, EventWithoutIdentifierIsAnsweredAndIgnored)
{
    events().deliverEventWithoutIdentifier();
    EXPECT_EQ(runLoop().pendingBlockCount(), 0u);
    EXPECT_EQ(events().handlerStatuses(), std::vector<OSStatus>{noErr});
}

TEST_F(HotKeyManagerTest, TeardownUnregistersThenRemovesTheHandler)
{
    manager->registerShortcut(Shortcut{});
    manager.reset();
    EXPECT_EQ(events().operations(),
              (Strings{"install keyb/5", "register 37 2304 CNDR/1", "unregister 37 2304", "remove"}));
    EXPECT_TRUE(events().handlers().empty());
}

TEST_F(HotKeyManagerTest, TeardownWithNothingRegisteredOnlyRemovesTheHandler)
{
    manager.reset();
    EXPECT_EQ(events().operations(), (Strings{"install keyb/5", "remove"}));
}

TEST_F(HotKeyManagerTest, PendingPressKeepsTheManagerUntilItRuns)
{
    manager->registerShortcut(Shortcut{});
    events().pressHotKey(37, 2304);
    std::weak_ptr<HotKeyManager> weak = manager;
    manager.reset();
    EXPECT_FALSE(weak.expired());
    runLoop().runPendingBlocks();
    EXPECT_EQ(triggers, 1);
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(events().handlers().empty());
}

} // namespace
} // namespace cendrel
