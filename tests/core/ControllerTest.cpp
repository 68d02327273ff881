#include "Fixture.h"

#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace cendrel {
namespace {

using Titles = std::vector<std::string>;
using Registered = std::vector<std::pair<std::uint32_t, Modifiers>>;
using Preferences = decltype(SimPlatform::preferences);
constexpr auto information = MenuEntry::Kind::information;

TEST_F(ControllerTest, LaunchShowsTheIdleItemAndRegistersTheStoredShortcut)
{
    sim.preferences = {{Shortcut::keyCodeKey, 40}, {Shortcut::carbonModifiersKey, 0x1000}};
    launch();
    EXPECT_EQ(std::tuple(sim.accessory, sim.item.icon), std::tuple(true, StatusIcon::idle));
    EXPECT_EQ(sim.titles(),
              (Titles{"Idle — press ⌃K to arm", "---", "Arm Now", "Lock Screen Now", "---", "Arm Shortcut:  ⌃K",
                      "Change Shortcut…", "---", "Launch at Login", "---", "Quit Cendrel"}));
    EXPECT_EQ(sim.item.toolTip, "Cendrel: idle, ⌃K arms");
    EXPECT_EQ(sim.entry("Quit Cendrel")->keyEquivalent, "q");
    EXPECT_EQ(std::tuple(sim.item.menu[0].kind, sim.item.menu[5].kind), std::tuple(information, information));
    EXPECT_FALSE(pressDefault());
    EXPECT_TRUE(press(40, {Modifier::control}));
}

// A touch locks before anything else reaches the screen; then, with that lock
// counted, the hot key toggles through the states the item follows, and Quit
// leaves them alone.
TEST_F(ControllerTest, NothingReachesTheScreenBetweenATouchAndTheLockRequestThenTheHotKeyTogglesTheStates)
{
    launch();
    sim.lockSteps.clear();
    int before = 0;
    // A touch anywhere, or a key press to our own panel, which must not be recorded.
    for (bool toThePanel : {false, true}) {
        sim.choose("Change Shortcut…");
        sim.choose("Arm Now");
        advance(2.0);
        ASSERT_TRUE(sim.panel.shown);
        sim.lockEvents.clear();
        sim.log.clear();
        before = sim.touches;
        sim.onLock = [&] { EXPECT_EQ(sim.touches, before) << "no status item, panel or hot-key call first"; };
        toThePanel ? sim.pressKey({40, {Modifier::control}}) : sim.sendInput();
        // Whoever touched must not change the shortcut.
        EXPECT_EQ(std::tuple(sim.item.icon, sim.panel.shown, sim.lockEvents, sim.log.at(0)),
                  std::tuple(StatusIcon::idle, false, std::vector<std::string>{"session", "display off"},
                             "Cendrel: could not reach session, falling back"));
    }
    EXPECT_EQ(std::tuple(sim.preferences.empty(), pressDefault()), std::tuple(true, true));
    EXPECT_EQ(shown(), std::tuple(StatusIcon::arming, "Arming… take your hand off the trackpad", "Disarm"));
    pressDefault();
    advance(5.0);
    EXPECT_EQ(sim.item.icon, StatusIcon::idle) << "the grace period was cancelled";
    armFully();
    EXPECT_EQ(std::tuple(shown(), sim.item.toolTip),
              std::tuple(std::tuple(StatusIcon::armed, "● Armed — any input will lock", "Disarm"), "Cendrel: armed"));
    pressDefault();
    EXPECT_EQ(std::tuple(toggleTitle(), locks()), std::tuple("Arm Now", 1u)) << "the hot key disarms without locking";
    // Quit ends without disarming or locking.
    pressDefault();
    sim.choose("Quit Cendrel");
    EXPECT_EQ(std::tuple(sim.terminated, sim.item.icon, locks()), std::tuple(true, StatusIcon::arming, 1u));
}

// Said before anyone touches the computer, once, and shown while it holds.
TEST_F(ControllerTest, NoScreenLockerIsSaidAtLaunchAndArmingOnce)
{
    sim.lockerFound = false;
    launch();
    const std::string note = " (no screen locker found)";
    EXPECT_TRUE(statusLine().ends_with(note) && sim.item.toolTip.ends_with(note)) << statusLine();
    EXPECT_EQ(sim.log.at(0), "Cendrel: no screen locker found; a touch will only switch the display off");
    EXPECT_EQ(std::get<2>(firstNotice()), "Cendrel found no screen locker");
    for (const bool found : {false, true, false}) {
        sim.lockerFound = found;
        sim.choose("Arm Now");
        EXPECT_EQ(statusLine().ends_with(note), !found) << statusLine();
        sim.choose("Disarm");
    }
    EXPECT_EQ(std::tuple(sim.notifications.size(), sim.log.size()), std::tuple(2u, 2u)) << "again once found between";
}

// Lock Screen Now locks first, then disarms, in every state; a menu opened
// while armed locks before it shows.
TEST_F(ControllerTest, LockScreenNowAndAMenuOpenedWhileArmedLockFirst)
{
    launch();
    ASSERT_TRUE(sim.choose("Lock Screen Now"));
    EXPECT_EQ(std::tuple(locks(), sim.item.menusSet), std::tuple(1u, 2)) << "nothing to rebuild when idle";
    pressDefault();
    sim.onLock = [this] { EXPECT_EQ(sim.item.icon, StatusIcon::arming) << "the lock comes first"; };
    ASSERT_TRUE(sim.choose("Lock Screen Now"));
    EXPECT_EQ(std::tuple(locks(), sim.item.icon, sim.watches), std::tuple(2u, StatusIcon::idle, 0));
    armFully();
    sim.onLock = [this] { EXPECT_FALSE(sim.item.open); };
    EXPECT_FALSE(sim.openMenu());
    EXPECT_EQ(std::tuple(locks(), sim.item.icon), std::tuple(3u, StatusIcon::idle));
    // Opened while arming, it holds the grace period instead.
    pressDefault();
    EXPECT_TRUE(sim.openMenu());
    EXPECT_EQ(locks(), 3u);
}

// An alert or a menu of ours holds the grace period; arming from outside
// closes them, and the grace period runs at once.
TEST_F(ControllerTest, GracePeriodWaitsThroughAlertsAndMenusOfOursButArmingFromOutsideClosesThem)
{
    launch();
    pressDefault();
    sim.loginItemRefusal = LoginItemError{"refused", "refused"};
    sim.whileAlertShown = [this] {
        advance(5.0);
        EXPECT_FALSE(sim.sendInput()) << "the click on OK";
        EXPECT_EQ(sim.item.icon, StatusIcon::arming);
    };
    ASSERT_TRUE(sim.choose("Launch at Login"));
    EXPECT_EQ(sim.item.icon, StatusIcon::armed);
    pressDefault();
    pressDefault();
    // Closed and opened again before the close's release has run.
    sim.openMenu();
    sim.closeMenu();
    sim.openMenu();
    advance(5.0);
    EXPECT_EQ(sim.item.icon, StatusIcon::arming);
    sim.closeMenu();
    advance(0.01);
    EXPECT_EQ(sim.item.icon, StatusIcon::armed);
    // Chosen after the grace period ran out: "Disarm" still meets "arming".
    pressDefault();
    pressDefault();
    sim.openMenu();
    advance(3.0);
    ASSERT_TRUE(sim.choose("Disarm"));
    advance(3.0);
    EXPECT_EQ(std::tuple(sim.item.icon, locks()), std::tuple(StatusIcon::idle, 0u));
    EXPECT_TRUE(sim.openMenu());
    pressDefault(); // the menu's close is never reported
    advance(2.0);
    EXPECT_EQ(std::tuple(sim.item.icon, sim.item.open), std::tuple(StatusIcon::armed, false));
    sim.sendInput();
    for (bool commandLine : {false, true}) {
        sim.whileAlertShown = [&] {
            commandLine ? (void)sim.sendRequest(Request::arm) : (void)pressDefault();
            advance(2.0);
            EXPECT_EQ(std::tuple(sim.item.icon, sim.alertShown), std::tuple(StatusIcon::armed, false));
            sim.sendInput();
        };
        sim.choose("Launch at Login");
    }
}

// The click that locked never arms again; stale entries do what they showed;
// callbacks that find the controller gone do nothing.
TEST_F(ControllerTest, TheClickThatLockedNeverArmsAgainStaleEntriesDoWhatTheyShowedAndNothingOutlivesTheController)
{
    launch();
    sim.choose("Arm Now");
    advance(2.0);
    // A tray host that never said its menu opened: the click locks, then the
    // host reports it on whatever entry now stands there.
    sim.sendInput();
    advance(0.5);
    sim.entry("Arm Now")->action();
    advance(3.0);
    EXPECT_EQ(std::tuple(sim.item.icon, locks()), std::tuple(StatusIcon::idle, 1u));
    // A later, separate choice arms as usual, and so does one from a menu
    // opened after the lock, however soon.
    sim.choose("Arm Now");
    EXPECT_EQ(sim.item.icon, StatusIcon::arming);
    advance(2.0);
    sim.sendInput();
    sim.choose("Arm Now");
    EXPECT_EQ(sim.item.icon, StatusIcon::arming);
    // A stale Disarm never arms, a stale Arm Now never disarms.
    for (const auto& [title, after] : {std::pair{"Disarm", StatusIcon::idle}, {"Arm Now", StatusIcon::arming}}) {
        const auto action = sim.entry(title)->action;
        pressDefault();
        action();
        EXPECT_EQ(sim.item.icon, after) << title;
    }
    pressDefault();
    const auto arm = sim.entry("Arm Now")->action;
    sim.pressHotKey(37, {Modifier::command, Modifier::option});
    delegate.reset();
    sim.runLoop().runPending();
    arm();
    EXPECT_EQ(std::tuple(sim.item.exists, sim.activities), std::tuple(false, 0));
}

TEST_F(ControllerTest, RecordingKeepsTheHotKeyAndStoresTheNewOneOrSaysItCouldNot)
{
    launch();
    sim.choose("Change Shortcut…");
    // The hot key stays registered, as the menu still says it arms.
    EXPECT_EQ(std::tuple(sim.panel.shown, sim.panel.texts.title, sim.panel.texts.hint, sim.panel.current,
                         sim.panel.prompt, sim.registered().size(), statusLine()),
              std::tuple(true, "Set Lock Shortcut", "Use at least one modifier (⌘ ⌥ ⌃ ⇧). Esc to cancel.",
                         "Current: ⌥⌘L", "Press the new shortcut…", 1u, "Idle — press ⌥⌘L to arm"));
    sim.pressKey({40, {}});
    EXPECT_EQ(sim.panel.prompt, "Add a modifier (⌘ ⌥ ⌃ ⇧)");
    sim.pressKey({0, {Modifier::shift}});
    EXPECT_EQ(std::tuple(sim.panel.shown, sim.panel.prompt), std::tuple(true, "With ⇧, add a modifier (⌘ ⌥ ⌃)"));
    sim.pressKey({53, {Modifier::capsLock}});
    EXPECT_TRUE(sim.panel.shown) << "Escape with Caps Lock is not a cancel";
    sim.pressKey({40, {Modifier::control, Modifier::capsLock}});
    EXPECT_EQ(std::tuple(sim.panel.shown, sim.preferences, sim.registered(), statusLine(), sim.titles()[5]),
              std::tuple(false, Preferences{{Shortcut::keyCodeKey, 40}, {Shortcut::carbonModifiersKey, 0x1000}},
                         Registered{{40, {Modifier::control}}}, "Idle — press ⌃K to arm", "Arm Shortcut:  ⌃K"));
    EXPECT_FALSE(sim.pressKey({0, {Modifier::shift}})) << "keys pass again once recorded";
    // One that cannot be saved is logged, and shown once the recorder has closed.
    sim.preferencesWriteFails = true;
    sim.choose("Change Shortcut…");
    sim.pressKey({45, {Modifier::command}});
    EXPECT_TRUE(sim.alerts.empty());
    sim.runLoop().runPending();
    ASSERT_EQ(sim.alerts.size(), 1u);
    EXPECT_EQ(std::tuple(sim.alerts[0].first, sim.log.size()), std::tuple("Couldn't save the shortcut", 1u));
    EXPECT_TRUE(press(45, {Modifier::command})) << "it works for this session";
}

// A refused shortcut keeps the old one and the recording goes on; Escape
// and the close button restore the old hot key; the hot key into the
// recorder is captured when idle and disarms otherwise.
TEST_F(ControllerTest, RefusedShortcutCancelAndCloseKeepTheOldHotKeyWhichTheRecorderCapturesWhenIdle)
{
    sim.takenByOthers = {{40, {Modifier::control}}};
    launch();
    sim.choose("Change Shortcut…");
    sim.pressKey({40, {Modifier::control}});
    EXPECT_TRUE(sim.panel.shown);
    EXPECT_EQ(sim.panel.prompt, "⌃K is not available — try another");
    EXPECT_EQ(sim.log, (std::vector<std::string>{"Cendrel: failed to register hotkey (status -9878)"}));
    sim.pressKey({53, {}});
    EXPECT_EQ(std::tuple(sim.preferences.empty(), pressDefault()), std::tuple(true, true)) << "the old one is back";
    pressDefault();
    for (bool escape : {true, false}) {
        sim.choose("Change Shortcut…");
        EXPECT_EQ(sim.panel.prompt, "Press the new shortcut…");
        sim.pressKey({40, {}});
        escape ? (void)sim.pressKey({53, {}}) : sim.clickPanelCloseButton();
        EXPECT_EQ(std::tuple(sim.panel.shown, sim.preferences.empty()), std::tuple(false, true));
        EXPECT_TRUE(pressDefault());
        pressDefault();
    }
    // Through the hot key, or as a key press to a panel that holds the
    // keyboard; while arming, then armed.
    for (int run = 0; run < 4; ++run) {
        const auto hotKey = [&] {
            return run % 2 == 1 ? sim.pressKey({37, {Modifier::command, Modifier::option}}) : pressDefault();
        };
        sim.choose("Change Shortcut…");
        sim.choose("Arm Now");
        advance(run < 2 ? 1.0 : 2.0);
        hotKey();
        EXPECT_EQ(std::tuple(sim.item.icon, locks(), sim.panel.shown), std::tuple(StatusIcon::idle, 0u, true))
            << "still recording";
        hotKey();
        EXPECT_EQ(std::tuple(sim.item.icon, sim.panel.shown), std::tuple(StatusIcon::idle, false))
            << "captured the same shortcut again, not armed";
        EXPECT_EQ(sim.preferences[Shortcut::carbonModifiersKey], 0x900);
    }
    // Floating behind another program's window, the panel does not have it.
    sim.choose("Change Shortcut…");
    sim.panel.focused = false;
    pressDefault();
    // One panel all along, reused.
    EXPECT_EQ(std::tuple(sim.item.icon, sim.panel.shown, sim.panel.built), std::tuple(StatusIcon::arming, true, 1));
}

TEST_F(ControllerTest, ShortcutTakenByAnotherProgramIsToldOnceAndShownNotActiveUntilItCanRegister)
{
    sim.takenByOthers = {{37, {Modifier::command, Modifier::option}}};
    launch();
    EXPECT_EQ(sim.log, (std::vector<std::string>{"Cendrel: failed to register hotkey (status -9878)"}));
    // Its words are the advice's, below.
    EXPECT_EQ(std::tuple(sim.notifications.size(), sim.notifications.at(0).critical), std::tuple(1u, false));
    EXPECT_EQ(std::tuple(statusLine(), sim.titles()[5]),
              std::tuple("Idle — ⌥⌘L is not active, use Arm Now", "Arm Shortcut:  ⌥⌘L (not active)"));
    for (int i = 0; i < 5; ++i) {
        sim.openMenu();
        sim.closeMenu();
    }
    EXPECT_EQ(sim.log.size(), 1u) << "tried again at each opening, logged once";
    sim.takenByOthers.clear();
    sim.openMenu();
    EXPECT_EQ(std::tuple(statusLine(), sim.notifications.size()), std::tuple("Idle — press ⌥⌘L to arm", 1u));
    EXPECT_TRUE(pressDefault());
}

// Advice is told once per wording, across starts; without a menu it points
// to the command instead.
TEST_F(ControllerTest, AdviceIsToldOnceUntilItsWordsChangeAndNeverPointsToAnUnseenMenu)
{
    const std::string taken = "⌥⌘L could not be registered, so it does not arm Cendrel. ";
    sim.takenByOthers = {{37, {Modifier::command, Modifier::option}}};
    const std::vector<std::tuple<bool, std::string>> starts{
        {true, taken + "Use Arm Now in Cendrel's menu, or choose another shortcut there."},
        {true, ""},
        {false, taken + "Run cendrel --toggle to arm or disarm it."},
        {false, ""}};
    for (const auto& [seen, told] : starts) {
        delegate.reset();
        sim.notifications.clear();
        sim.item.seen = seen;
        launch();
        std::string body;
        for (const Notice& notice : sim.notifications)
            body += notice.subject == NoticeSubject::hotKey ? notice.body : "";
        EXPECT_EQ(body, told);
    }
}

TEST_F(ControllerTest, KeysThatCannotBeWatchedAreLoggedAndShownWhenArmingAndWhenWatchingBegins)
{
    sim.keysWatchable = false;
    launch();
    EXPECT_EQ(std::tuple(sim.log.size(), sim.keyPermissionOffers), std::tuple(0u, 1));
    pressDefault();
    EXPECT_EQ(std::tuple(statusLine(), sim.log.size()), std::tuple("Arming… key presses will not be watched", 1u));
    advance(2.0);
    EXPECT_EQ(std::tuple(statusLine(), sim.log.size()), std::tuple("● Armed — key presses are not watched", 1u))
        << "one line per arming";
    sim.keysWatchable = true;
    pressDefault();
    pressDefault();
    EXPECT_EQ(statusLine(), "Arming… take your hand off the trackpad");
    // Secure keyboard entry came on during the grace period.
    sim.keysWatchable = false;
    advance(2.0);
    EXPECT_EQ(statusLine(), "● Armed — key presses are not watched");
    EXPECT_EQ(std::tuple(sim.log.size(), sim.keyPermissionOffers), std::tuple(2u, 1)) << "offered at launch only";
}

TEST_F(ControllerTest, LaunchAtLoginFollowsTheSystemAndARefusalIsLoggedAndShownOnce)
{
    sim.loginItemNeedsApproval = true;
    launch();
    EXPECT_TRUE(sim.entry("Launch at Login")->checked) << "registered, waiting for the owner";
    // Chosen, the status is read afresh: no longer registered, so it registers.
    sim.loginItemNeedsApproval = false;
    ASSERT_TRUE(sim.choose("Launch at Login"));
    EXPECT_EQ(std::tuple(sim.loginItemEnabled, sim.entry("Launch at Login")->checked), std::tuple(true, true));
    sim.loginItemRefusal = LoginItemError{"Error Domain=SMAppServiceErrorDomain Code=1", "Operation not permitted"};
    sim.choose("Launch at Login");
    EXPECT_EQ(sim.log, (std::vector<std::string>{"Cendrel: launch-at-login change failed: Error "
                                                 "Domain=SMAppServiceErrorDomain Code=1"}));
    EXPECT_EQ(sim.alerts, (std::vector<std::pair<std::string, std::string>>{
                              {"Couldn't update Launch at Login", "Operation not permitted"}}));
    EXPECT_TRUE(sim.entry("Launch at Login")->checked) << "the status as read after the alert";
}

// Read when the menu opens, and afresh when chosen, even from a stale entry.
TEST_F(ControllerTest, LaunchAtLoginIsReadWhenTheMenuOpensAndAnOffSwitchIsExplained)
{
    launch();
    const auto staleToggle = sim.entry("Launch at Login")->action;
    sim.loginItemEnabled = true;
    pressDefault();
    EXPECT_FALSE(sim.entry("Launch at Login")->checked) << "not asked again for a rebuild";
    sim.openMenu();
    EXPECT_TRUE(sim.entry("Launch at Login")->checked);
    sim.closeMenu();
    pressDefault();
    sim.loginItemEnabled = false;
    sim.loginApprovalWithheld = true;
    for (bool open : {false, true}) {
        sim.alertActionChosen = open;
        sim.choose("Launch at Login"); // registered, and waiting for the owner
        EXPECT_EQ(std::tuple(sim.loginSettingsOpened, sim.entry("Launch at Login")->checked),
                  std::tuple(open ? 1 : 0, true));
        sim.choose("Launch at Login");
        EXPECT_FALSE(sim.loginItemNeedsApproval) << "unregistered from there";
    }
    // It showed off, but the system says on: it unregisters.
    sim.loginItemEnabled = true;
    staleToggle();
    EXPECT_EQ(std::tuple(sim.loginItemChanges, sim.alerts.size(), sim.log.size()), std::tuple(5, 2u, 0u));
}

// Where nothing binds the shortcut for the program, what to bind, in the
// backend's words: shown for Ctrl+Alt+Shift+Super+K, and in the recorder once
// Alt+Super+A is recorded.
TEST_F(ControllerTest, WhereTheOwnerBindsTheShortcutTheMenuAndRecorderSayHow)
{
    sim.install(ShortcutNotation::names);
    sim.grabHearsEveryKey = false;
    sim.preferences = {{Shortcut::keyCodeKey, 40}, {Shortcut::carbonModifiersKey, 0x1b00}};
    launch();
    EXPECT_EQ(statusLine(), "Idle — use Arm Now, or a shortcut bound to cendrel --toggle");
    EXPECT_EQ(sim.item.toolTip, "Cendrel: idle, cendrel --toggle arms");
    EXPECT_EQ(sim.titles()[5], "Arm Shortcut:  Ctrl+Alt+Shift+Super+K running cendrel --toggle (in the desktop's "
                               "keyboard shortcut settings)");
    sim.choose("Change Shortcut…");
    EXPECT_EQ(sim.panel.hint,
              "the desktop's keyboard shortcut settings: Ctrl+Alt+Shift+Super+K running cendrel --toggle");
    sim.pressKey({0, {Modifier::command, Modifier::option}});
    EXPECT_EQ(sim.panel.hint, "the desktop's keyboard shortcut settings: Alt+Super+A running cendrel --toggle");
    EXPECT_EQ(sim.panel.prompt, "Saved — now bind it as shown below");
    EXPECT_EQ(sim.preferences[Shortcut::keyCodeKey], 0);
}

TEST_F(ControllerTest, TheTriggerTheDesktopAssignsIsShownAndPressedAndAChangedShortcutIsBoundAnew)
{
    const auto tellDesktop = [this](const char* trigger) {
        sim.desktopAnswer = {DesktopBinding::Outcome::assigned, trigger};
        sim.tellDesktopAnswer();
        sim.runLoop().runPending();
    };
    sim.install(ShortcutNotation::names);
    sim.grabHearsEveryKey = false;
    sim.desktopAnswer = {DesktopBinding::Outcome::assigned, "Meta+Alt+L"};
    launch();
    EXPECT_EQ(std::tuple(statusLine(), sim.titles()[5]),
              std::tuple("Idle — waiting for the desktop to bind the shortcut",
                         "Arm Shortcut:  Alt+Super+L (waiting for the desktop)"));
    EXPECT_EQ(sim.registered(), (Registered{{37, {Modifier::command, Modifier::option}}}));
    EXPECT_FALSE(pressDefault()) << "bound only once the desktop answers";
    EXPECT_EQ(
        std::tuple(statusLine(), sim.titles()[5], sim.item.toolTip),
        std::tuple("Idle — press Meta+Alt+L to arm", "Arm Shortcut:  Meta+Alt+L", "Cendrel: idle, Meta+Alt+L arms"));
    EXPECT_TRUE(pressDefault());
    pressDefault();
    tellDesktop("Ctrl+F9");
    EXPECT_EQ(sim.titles()[5], "Arm Shortcut:  Ctrl+F9") << "changed in the desktop's settings";
    sim.choose("Change Shortcut…");
    sim.pressKey({40, {Modifier::control}});
    EXPECT_FALSE(sim.panel.shown);
    EXPECT_EQ(sim.registered(), (Registered{{40, {Modifier::control}}}));
    EXPECT_EQ(statusLine(), "Idle — waiting for the desktop to bind the shortcut");
    sim.desktopAnswer = {DesktopBinding::Outcome::refused, "(response 1)"};
    sim.runLoop().runPending();
    EXPECT_EQ(sim.log, (std::vector<std::string>{"Cendrel: failed to register hotkey (response 1)"}));
    ASSERT_EQ(sim.notifications.size(), 1u);
    EXPECT_EQ(sim.notifications[0].body, "The desktop did not bind Ctrl+K, so it does not arm Cendrel. Bind it in the "
                                         "desktop's keyboard shortcut settings: Ctrl+K running cendrel --toggle, or "
                                         "use Arm Now in Cendrel's menu.");
    EXPECT_EQ(statusLine(), "Idle — use Arm Now, or a shortcut bound to cendrel --toggle");
    EXPECT_FALSE(press(40, {Modifier::control}));
    sim.choose("Change Shortcut…");
    EXPECT_EQ(sim.panel.hint, "the desktop's keyboard shortcut settings: Ctrl+K running cendrel --toggle");
    sim.pressKey({53, {}});
    tellDesktop("");
    EXPECT_EQ(statusLine(), "Idle — use Arm Now, or a shortcut bound to cendrel --toggle") << "bound to no trigger";
    EXPECT_EQ(sim.log.back(), "Cendrel: the desktop bound the shortcut to no key");
    ASSERT_EQ(sim.notifications.size(), 2u);
    EXPECT_EQ(sim.notifications[1].body.substr(0, 45), "The desktop bound no key to Ctrl+K, so it doe");
    tellDesktop("Ctrl+K");
    sim.choose("Change Shortcut…");
    EXPECT_EQ(sim.panel.hint, "Use at least one modifier (Ctrl Alt Shift Super). Esc to cancel.");
}

TEST_F(ControllerTest, WithoutATrayTheOwnerIsToldHowToArmOnceTheDesktopHasAnswered)
{
    const std::string tray = " A tray shows it.";
    const std::vector<std::tuple<bool, bool, std::optional<DesktopBinding>, std::string>> rows{
        {true, false, std::nullopt, "Press Alt+Super+L or run cendrel --toggle to arm or disarm it."},
        {true, true, std::nullopt, ""},
        {false, false, DesktopBinding{DesktopBinding::Outcome::assigned, "Super+Escape"},
         "Press Super+Escape or run cendrel --toggle to arm or disarm it."},
        {false, false, DesktopBinding{DesktopBinding::Outcome::unavailable, ""},
         "Run cendrel --toggle to arm or disarm it; for a shortcut, enter in the desktop's keyboard shortcut "
         "settings: Alt+Super+L running cendrel --toggle."}};
    for (const auto& [grabHearsEveryKey, seen, answer, how] : rows) {
        SetUp();
        sim.install(ShortcutNotation::names);
        sim.grabHearsEveryKey = grabHearsEveryKey;
        sim.item.seen = seen;
        sim.desktopAnswer = answer;
        sim.notifications.clear();
        launch();
        EXPECT_EQ(sim.notifications.size(), answer || seen ? 0u : 1u) << "not before the desktop has answered";
        sim.runLoop().runPending();
        std::vector<std::tuple<NoticeSubject, std::string>> told;
        for (const Notice& notice : sim.notifications)
            told.emplace_back(notice.subject, notice.body);
        EXPECT_EQ(told, (seen ? decltype(told){} : decltype(told){{NoticeSubject::statusItem, how + tray}}));
        delegate.reset();
        uninstallPlatform();
    }
}

} // namespace
} // namespace cendrel
