#include "ControllerFixture.h"

#include <gtest/gtest.h>

namespace cendrel {
namespace {

using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

const Strings idleMenu{"Idle — press ⌥⌘L to arm",
                       "---",
                       "Arm Now",
                       "Lock Screen Now",
                       "---",
                       "Arm Shortcut:  ⌥⌘L",
                       "Change Shortcut…",
                       "---",
                       "Launch at Login",
                       "---",
                       "Quit Cendrel"};
const std::string armingLine = "Arming… take your hand off the trackpad";
const std::string armedLine = "● Armed — any input will lock";

class AppDelegateTest : public ControllerTest {};

TEST_F(AppDelegateTest, LaunchShowsTheIdleIconAndMenu)
{
    launch();
    EXPECT_EQ(sim().application().activationPolicies(), std::vector<ActivationPolicy>{ActivationPolicy::accessory});
    auto statusItem = sim().statusBar().statusItem();
    ASSERT_NE(statusItem, nullptr);
    EXPECT_EQ(statusItem->length(), -1);
    auto image = statusItem->simButton()->simImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->symbolName(), "lock.fill");
    EXPECT_EQ(image->accessibilityDescription(), "Cendrel");
    EXPECT_TRUE(image->isTemplate());
    EXPECT_EQ(titles(), idleMenu);
    // Built when the item is made, and again by the last launch step.
    EXPECT_EQ(menusAttached(), 2u);

    struct Entry {
        std::string title;
        std::string action;
        bool enabled;
        std::string keyEquivalent;
    };
    const Entry entries[] = {
        {idleMenu[0], "", false, ""},
        {"Arm Now", "toggleArm", true, ""},
        {"Lock Screen Now", "lockNow", true, ""},
        {"Arm Shortcut:  ⌥⌘L", "", false, ""},
        {"Change Shortcut…", "changeShortcut", true, ""},
        {"Launch at Login", "toggleLaunchAtLogin", true, ""},
        {"Quit Cendrel", "quit", true, "q"},
    };
    for (const Entry& e : entries) {
        auto entry = item(e.title);
        ASSERT_NE(entry, nullptr) << e.title;
        EXPECT_EQ(entry->action(), e.action) << e.title;
        EXPECT_EQ(entry->isEnabled(), e.enabled) << e.title;
        EXPECT_EQ(entry->keyEquivalent(), e.keyEquivalent) << e.title;
        EXPECT_EQ(entry->target(), e.action.empty() ? nullptr : delegate) << e.title;
    }
    EXPECT_EQ(item("Launch at Login")->state(), MenuItemState::off);
}

TEST_F(AppDelegateTest, HandlerIsInstalledAtConstructionAndTheStoredShortcutRegisteredAtLaunch)
{
    sim().userDefaults().setValue("shortcut.keyCode", 12);
    sim().userDefaults().setValue("shortcut.carbonModifiers", 0x100);
    delegate = std::make_shared<AppDelegate>();
    EXPECT_EQ(sim().hotKeyEvents().operations(), Strings{"install keyb/5"});
    EXPECT_EQ(sim().statusBar().statusItemsCreated(), 0u);
    sim().application().setDelegate(delegate);
    sim().application().run();
    EXPECT_EQ(sim().hotKeyEvents().operations(), (Strings{"install keyb/5", "register 12 256 CNDR/1"}));
    EXPECT_EQ(statusLine(), "Idle — press ⌘Q to arm");
    EXPECT_TRUE(press(12, 0x100));
    EXPECT_EQ(icon(), "lock.open.fill");
}

TEST_F(AppDelegateTest, HotKeyArmsThenAClickDisarmsAndLocks)
{
    launch();
    ASSERT_TRUE(pressDefault());
    EXPECT_EQ(icon(), "lock.open.fill");
    EXPECT_EQ(statusLine(), armingLine);
    EXPECT_EQ(toggleTitle(), "Disarm");

    runLoop().advance(2s);
    EXPECT_EQ(icon(), "eye.fill");
    EXPECT_EQ(statusLine(), armedLine);
    EXPECT_EQ(toggleTitle(), "Disarm");

    runLoop().sendEventToOtherApplication({EventType::leftMouseDown});
    EXPECT_EQ(icon(), "lock.fill");
    EXPECT_EQ(titles(), idleMenu);
    // The idle icon and menu were up before the lock was asked for.
    EXPECT_EQ(loader->seenAtLock, Strings{"lock.fill | " + idleMenu[0]});
}

TEST_F(AppDelegateTest, HotKeyWhileArmingOrArmedDisarmsWithoutLocking)
{
    launch();
    pressDefault();
    pressDefault();
    EXPECT_EQ(icon(), "lock.fill");
    runLoop().advance(5s);
    EXPECT_EQ(icon(), "lock.fill");

    pressDefault();
    runLoop().advance(2s);
    pressDefault();
    EXPECT_EQ(titles(), idleMenu);
    EXPECT_EQ(runLoop().scheduledTimerCount(), 0u);
    EXPECT_EQ(runLoop().globalMonitorCount(), 0u);
    EXPECT_EQ(locks(), 0u);
}

TEST_F(AppDelegateTest, MenuArmsAndTheGracePeriodWaitsWhileTheMenuIsOpen)
{
    launch();
    ASSERT_TRUE(choose("Arm Now"));
    EXPECT_EQ(icon(), "lock.open.fill");
    ASSERT_TRUE(sim().statusBar().openMenu());
    runLoop().advance(3s);
    EXPECT_EQ(icon(), "lock.open.fill");
    sim().statusBar().closeMenu();
    EXPECT_EQ(icon(), "eye.fill");

    // While armed the menu can be opened; moving into it drifts the pointer.
    ASSERT_TRUE(sim().statusBar().openMenu());
    runLoop().setMouseLocation({700, 890});
    runLoop().advance(40ms);
    EXPECT_EQ(icon(), "lock.fill");
    EXPECT_EQ(locks(), 1u);
}

TEST_F(AppDelegateTest, DisarmFromTheMenuCancelsTheGracePeriod)
{
    launch();
    choose("Arm Now");
    runLoop().advance(1s);
    ASSERT_TRUE(choose("Disarm"));
    runLoop().advance(5s);
    EXPECT_EQ(titles(), idleMenu);
    EXPECT_EQ(locks(), 0u);
}

TEST_F(AppDelegateTest, LockScreenNowWhileIdleLocksWithoutRebuilding)
{
    launch();
    const std::size_t before = menusAttached();
    ASSERT_TRUE(choose("Lock Screen Now"));
    EXPECT_EQ(locks(), 1u);
    EXPECT_EQ(menusAttached(), before);
    EXPECT_EQ(icon(), "lock.fill");
}

TEST_F(AppDelegateTest, LockScreenNowWhileArmingOrArmedShowsIdleFirst)
{
    launch();
    pressDefault();
    choose("Lock Screen Now");
    pressDefault();
    runLoop().advance(2s);
    ASSERT_EQ(icon(), "eye.fill");
    ASSERT_TRUE(sim().statusBar().openMenu());
    choose("Lock Screen Now");
    EXPECT_EQ(loader->seenAtLock, (Strings{"lock.fill | " + idleMenu[0], "lock.fill | " + idleMenu[0]}));
    EXPECT_EQ(runLoop().scheduledTimerCount(), 0u);
}

TEST_F(AppDelegateTest, RecordingANewShortcutStoresRegistersAndShowsIt)
{
    launch();
    ASSERT_TRUE(choose("Change Shortcut…"));
    auto panel = sim().panels().lastPanel();
    ASSERT_TRUE(panel && panel->isVisible());
    EXPECT_EQ(panel->labels().at(1)->text(), "Current: ⌥⌘L");

    EXPECT_FALSE(runLoop().sendEventToApplication({EventType::keyDown, 40, 0x120000}));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(sim().userDefaults().writes(), (std::vector<std::pair<std::string, std::int64_t>>{
                                                 {"shortcut.keyCode", 40}, {"shortcut.carbonModifiers", 0x300}}));
    EXPECT_EQ(sim().hotKeyEvents().operations(),
              (Strings{"install keyb/5", "register 37 2304 CNDR/1", "unregister 37 2304", "register 40 768 CNDR/1"}));
    EXPECT_EQ(statusLine(), "Idle — press ⇧⌘K to arm");
    EXPECT_EQ(titles().at(5), "Arm Shortcut:  ⇧⌘K");
    EXPECT_EQ(icon(), "lock.fill");

    EXPECT_FALSE(pressDefault());
    EXPECT_TRUE(press(40, 0x300));
    EXPECT_EQ(icon(), "lock.open.fill");
}

TEST_F(AppDelegateTest, RecordingWhileArmedLeavesTheArmStateAlone)
{
    launch();
    pressDefault();
    runLoop().advance(2s);
    // The recorder is this application's own window: its key presses are not
    // input to other applications.
    choose("Change Shortcut…");
    runLoop().sendEventToApplication({EventType::keyDown, 12, 0x140000});
    EXPECT_EQ(icon(), "eye.fill");
    EXPECT_EQ(statusLine(), armedLine);
    EXPECT_EQ(titles().at(5), "Arm Shortcut:  ⌃⌘Q");
    EXPECT_EQ(locks(), 0u);
    // The new hot key disarms.
    EXPECT_TRUE(press(12, 0x1100));
    EXPECT_EQ(statusLine(), "Idle — press ⌃⌘Q to arm");
    EXPECT_EQ(locks(), 0u);
}

TEST_F(AppDelegateTest, EscapeOrTheCloseButtonChangesNothing)
{
    launch();
    const std::size_t before = menusAttached();
    choose("Change Shortcut…");
    runLoop().sendEventToApplication({EventType::keyDown, 53, 0});
    EXPECT_FALSE(sim().panels().lastPanel()->isVisible());
    choose("Change Shortcut…");
    EXPECT_TRUE(sim().panels().lastPanel()->clickCloseButton());
    EXPECT_TRUE(runLoop().sendEventToApplication({EventType::keyDown, 40, 0x120000}));

    EXPECT_TRUE(sim().userDefaults().writes().empty());
    EXPECT_EQ(sim().hotKeyEvents().operations().size(), 2u);
    EXPECT_EQ(menusAttached(), before);
    EXPECT_EQ(titles(), idleMenu);
    EXPECT_EQ(sim().panels().panelCount(), 1u);
}

TEST_F(AppDelegateTest, HotKeyStillWorksWhileTheRecorderIsOpen)
{
    launch();
    choose("Change Shortcut…");
    EXPECT_TRUE(pressDefault());
    EXPECT_EQ(icon(), "lock.open.fill");
    EXPECT_TRUE(sim().panels().lastPanel()->isVisible());
}

TEST_F(AppDelegateTest, RefusedRegistrationIsLoggedAndTheMenuStillArms)
{
    sim().hotKeyEvents().setRegistrationStatus(-9878);
    launch();
    EXPECT_EQ(sim().systemLog().lines(), Strings{"Cendrel: failed to register hotkey (status -9878)"});
    EXPECT_FALSE(pressDefault());
    EXPECT_EQ(titles(), idleMenu);
    choose("Arm Now");
    EXPECT_EQ(icon(), "lock.open.fill");
}

TEST_F(AppDelegateTest, RefusedCaptureIsKeptAndShown)
{
    launch();
    sim().hotKeyEvents().setRegistrationStatus(-9878);
    choose("Change Shortcut…");
    runLoop().sendEventToApplication({EventType::keyDown, 40, 0x120000});
    EXPECT_EQ(sim().systemLog().lines(), Strings{"Cendrel: failed to register hotkey (status -9878)"});
    EXPECT_EQ(sim().userDefaults().value("shortcut.keyCode"), 40);
    EXPECT_EQ(statusLine(), "Idle — press ⇧⌘K to arm");
    EXPECT_TRUE(sim().hotKeyEvents().registrations().empty());
}

TEST_F(AppDelegateTest, QuitNeitherDisarmsNorLocks)
{
    launch();
    pressDefault();
    runLoop().advance(2s);
    ASSERT_TRUE(sim().statusBar().openMenu());
    ASSERT_TRUE(sim().statusBar().pressKeyEquivalent("q"));
    EXPECT_EQ(sim().application().terminateCount(), 1u);
    EXPECT_EQ(icon(), "eye.fill");
    EXPECT_EQ(locks(), 0u);
    EXPECT_EQ(sim().hotKeyEvents().registrations().size(), 1u);
    EXPECT_TRUE(sim().userDefaults().writes().empty());
    EXPECT_EQ(runLoop().globalMonitorCount(), 1u);
}

TEST_F(AppDelegateTest, WithoutAButtonTheMenuIsStillBuilt)
{
    sim().statusBar().setNextItemHasNoButton(true);
    launch();
    EXPECT_EQ(icon(), "(none)");
    EXPECT_EQ(titles(), idleMenu);
    pressDefault();
    EXPECT_EQ(statusLine(), armingLine);
}

TEST_F(AppDelegateTest, CallbacksDoNothingOnceTheControllerIsGone)
{
    launch();
    sim().hotKeyEvents().pressHotKey(37, 0x900);
    const std::size_t menus = menusAttached();
    delegate.reset();
    // The pending press still reaches the hot-key manager's callback, which
    // finds its controller gone.
    runLoop().runPendingBlocks();
    runLoop().advance(5s);
    EXPECT_EQ(runLoop().scheduledTimerCount(), 0u);
    EXPECT_EQ(sim().statusBar().statusItemsCreated(), 1u);
    EXPECT_EQ(sim().statusBar().statusItem(), nullptr);
    EXPECT_EQ(menus, 2u);
    EXPECT_EQ(locks(), 0u);
}

// --- Launch at login -------------------------------------------------------

class LaunchAtLoginStatusTest : public ControllerTest, public testing::WithParamInterface<std::int64_t> {};

TEST_P(LaunchAtLoginStatusTest, CheckMarkOnlyForEnabledAndToggleAsksForTheOpposite)
{
    const std::int64_t status = GetParam();
    sim().loginItems().setStatus(status);
    launch();
    EXPECT_EQ(item("Launch at Login")->state(), status == 1 ? MenuItemState::on : MenuItemState::off);
    ASSERT_TRUE(choose("Launch at Login"));
    const Strings expectedCalls = status == 1 ? Strings{"status", "status", "unregister", "status"}
                                              : Strings{"status", "status", "register", "status"};
    Strings calls = sim().loginItems().calls();
    calls.erase(calls.begin(), calls.end() - 4);
    EXPECT_EQ(calls, expectedCalls);
    EXPECT_EQ(item("Launch at Login")->state(), status == 1 ? MenuItemState::off : MenuItemState::on);
    EXPECT_TRUE(sim().systemLog().lines().empty());
    EXPECT_TRUE(sim().application().alerts().empty());
}

INSTANTIATE_TEST_SUITE_P(Statuses, LaunchAtLoginStatusTest, testing::Values(0, 1, 2, 3, -1, 42));

TEST_F(AppDelegateTest, RefusedLoginChangeLogsAndAlertsOnceAndShowsTheRealStatus)
{
    launch();
    sim().loginItems().failRegister(LoginItemError{
        "Error Domain=SMAppServiceErrorDomain Code=1 \"Operation not permitted %s%n\"", "Operation not permitted."});
    // The user approves elsewhere while the alert is up.
    sim().application().onModalAlert = [&](const SimAlert&) { sim().loginItems().setStatus(1); };
    choose("Launch at Login");
    EXPECT_EQ(sim().systemLog().lines(),
              Strings{"Cendrel: launch-at-login change failed: Error Domain=SMAppServiceErrorDomain Code=1 "
                      "\"Operation not permitted %s%n\""});
    EXPECT_EQ(sim().application().alerts(),
              (std::vector<SimAlert>{{"Couldn't update Launch at Login", "Operation not permitted."}}));
    EXPECT_EQ(item("Launch at Login")->state(), MenuItemState::on);

    sim().loginItems().failUnregister(LoginItemError{"unregister failed", "Not now."});
    choose("Launch at Login");
    EXPECT_EQ(sim().systemLog().lines().size(), 2u);
    EXPECT_EQ(sim().application().alerts().size(), 2u);
    EXPECT_EQ(item("Launch at Login")->state(), MenuItemState::on);
}

TEST_F(AppDelegateTest, StatusThatAlreadyChangedCallsNothing)
{
    launch();
    // The toggle reads 0 and wants it on; by the second read it already is.
    sim().loginItems().queueStatuses({0, 1, 1});
    const std::size_t before = sim().loginItems().calls().size();
    choose("Launch at Login");
    Strings calls = sim().loginItems().calls();
    calls.erase(calls.begin(), calls.begin() + static_cast<std::ptrdiff_t>(before));
    EXPECT_EQ(calls, (Strings{"status", "status", "status"}));
    EXPECT_TRUE(sim().systemLog().lines().empty());
    EXPECT_TRUE(sim().application().alerts().empty());
    EXPECT_EQ(item("Launch at Login")->state(), MenuItemState::on);
}

TEST_F(AppDelegateTest, CheckMarkGoesToTheEntryOfTheCurrentMenu)
{
    launch();
    auto first = item("Launch at Login");
    pressDefault();
    auto current = item("Launch at Login");
    ASSERT_NE(first, current);
    choose("Launch at Login");
    EXPECT_EQ(current->state(), MenuItemState::on);
    EXPECT_EQ(first->state(), MenuItemState::off);
}

} // namespace
} // namespace cendrel
