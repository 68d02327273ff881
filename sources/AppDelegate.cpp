#include "AppDelegate.h"

#include "Platform.h"
#include "ScreenLock.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace cendrel {

namespace {

// Long enough for any tray host to report the click that locked the screen.
constexpr Seconds menuArmingBlockTime{1.0};

StatusIcon iconFor(ArmMonitor::State state)
{
    switch (state) {
    case ArmMonitor::State::idle:
        return StatusIcon::idle;
    case ArmMonitor::State::arming:
        return StatusIcon::arming;
    case ArmMonitor::State::armed:
        return StatusIcon::armed;
    }
    return StatusIcon::idle;
}

// Said wherever the program says what guards, so no one takes it for more.
std::string watchLimitationNote()
{
    const std::string limitation = platform().input->watchLimitation();
    return limitation.empty() ? std::string() : " (" + limitation + ")";
}

// What another start of the program sends the running one to arm or disarm.
constexpr const char* toggleCommand = "cendrel --toggle";

// Where nothing binds the shortcut for the program: where the owner binds it
// to the command, and what to enter there, in the desktop's notation.
BindingAdvice bindingAdvice(const Shortcut& shortcut)
{
    return platform().hotKeys->bindingAdvice({shortcut.modifiers, shortcut.keySymbol(), shortcut.displayString()},
                                             toggleCommand);
}

// The other way to arm, ending a sentence: the menu only where it is shown.
std::string otherWayToArm()
{
    if (platform().statusBar->showsItems())
        return "use Arm Now in Cendrel's menu";
    return std::string("run ") + toggleCommand;
}

// A stable digest of a notice's words (FNV-1a): what was told survives
// restarts and versions of the program.
std::int64_t digest(const Notice& notice)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : notice.title + '\n' + notice.body) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return static_cast<std::int64_t>(hash);
}

// Advice, unlike a warning that the screen is not locked, is worth hearing
// once: it is told again only when its words change.
void adviseOnce(const Notice& notice)
{
    const Platform& system = platform();
    const char* key = notice.subject == NoticeSubject::statusItem ? "notices.noIcon" : "notices.shortcut";
    const std::int64_t told = digest(notice);
    if (system.preferences->integer(key) == told)
        return;
    system.application->notify(notice);
    system.preferences->setInteger(key, told);
}

} // namespace

AppDelegate::AppDelegate()
    : hotKeyManager(std::make_shared<HotKeyManager>()), recorder(std::make_shared<RecorderWindow>()),
      monitor(std::make_shared<ArmMonitor>()), shortcut(Shortcut::load())
{
}

AppDelegate::~AppDelegate()
{
    statusItem.reset();
    hotKeyManager.reset();
    recorder.reset();
    monitor.reset();
    loginMenuItem.reset();
}

template <typename Method> std::function<void()> AppDelegate::action(Method method)
{
    return [weak = weak_from_this(), method] {
        if (auto self = weak.lock())
            ((*self).*method)();
    };
}

void AppDelegate::applicationDidFinishLaunching()
{
    const Platform& system = platform();
    system.application->becomeAccessory();
    // Now rather than at arming, where answering it would be a touch.
    system.input->offerKeyWatchPermission();
    launchesAtLogin = loginItemRegistered();
    setupStatusItem();
    hotKeyManager->onTrigger = action(&AppDelegate::hotKeyPressed);
    hotKeyManager->onBindingChange = action(&AppDelegate::desktopBindingChanged);
    if (!hotKeyManager->registerShortcut(shortcut)) {
        const std::string how = system.statusBar->showsItems()
                                    ? "Use Arm Now in Cendrel's menu, or choose another shortcut there."
                                    : std::string("Run ") + toggleCommand + " to arm or disarm it.";
        adviseOnce({NoticeSubject::hotKey, false, "Cendrel's shortcut is not active",
                    shortcut.displayString() + " could not be registered, so it does not arm Cendrel. " + how});
    }
    monitor->onStateChange = [weak = weak_from_this()](ArmMonitor::State state) {
        if (auto self = weak.lock())
            self->updateForState(state);
    };
    monitor->onTrigger = action(&AppDelegate::lockedByInput);
    monitor->onRefusal = [weak = weak_from_this()](const std::string& why) {
        if (auto self = weak.lock())
            self->refuseArming(why);
    };
    platform().application->listenForRequests([weak = weak_from_this()](Request request) {
        if (auto self = weak.lock())
            self->handleRequest(request);
    });
    recorder->keyPressTaken = [weak = weak_from_this()](const KeyPress& press) {
        auto self = weak.lock();
        return self && self->recorderKeyPress(press);
    };
    lookForLockers();
    // The monitor never reports its initial state; show it ourselves.
    updateForState(ArmMonitor::State::idle);
    if (!system.statusBar->showsItems()) {
        iconUnseenNoticeDue = true;
        if (shortcutRoute() != ShortcutRoute::waitingForDesktop)
            tellWhereTheIconIsNot();
    }
}

void AppDelegate::desktopBindingChanged()
{
    const auto& binding = hotKeyManager->desktopBinding();
    const bool refused = binding && binding->outcome == DesktopBinding::Outcome::refused;
    const bool keyless = binding && binding->outcome == DesktopBinding::Outcome::assigned && binding->text.empty();
    if (keyless)
        platform().systemLog->log("Cendrel: the desktop bound the shortcut to no key");
    if (refused || keyless) {
        const BindingAdvice advice = bindingAdvice(shortcut);
        adviseOnce({NoticeSubject::hotKey, false, "Cendrel's shortcut is not active",
                    (refused ? "The desktop did not bind " : "The desktop bound no key to ") +
                        shortcut.displayString() + ", so it does not arm Cendrel. Bind it in " + advice.where + ": " +
                        advice.what + ", or " + otherWayToArm() + "."});
    }
    if (iconUnseenNoticeDue)
        tellWhereTheIconIsNot();
    rebuildMenu();
}

void AppDelegate::tellWhereTheIconIsNot()
{
    iconUnseenNoticeDue = false;
    std::string how = std::string("Run ") + toggleCommand + " to arm or disarm it.";
    if (shortcutRoute() == ShortcutRoute::ownerBinds) {
        const BindingAdvice advice = bindingAdvice(shortcut);
        how = std::string("Run ") + toggleCommand + " to arm or disarm it; for a shortcut, enter in " + advice.where +
              ": " + advice.what + ".";
    } else if (shortcutWorks()) {
        how = "Press " + triggerText() + " or run " + toggleCommand + " to arm or disarm it.";
    }
    adviseOnce({NoticeSubject::statusItem, false, "Cendrel has no icon in the panel",
                how + " " + platform().statusBar->whatShowsItems()});
}

void AppDelegate::hotKeyPressed()
{
    // The recorder keeps the hot key registered, so that the menu's promise
    // ("press … to arm") holds; while it records, an idle press is the
    // shortcut typed into it.
    if (recorder->hasKeyboard() && monitor->state() == ArmMonitor::State::idle) {
        recorder->capture(shortcut);
        return;
    }
    toggleArm();
}

bool AppDelegate::recorderKeyPress(const KeyPress& press)
{
    // Where the panel holds the keyboard, the hot key reaches us only as a
    // panel key press: armed, it still disarms, as it does everywhere else.
    if (monitor->state() != ArmMonitor::State::idle && Shortcut::from(press) == shortcut) {
        monitor->disarm();
        return true;
    }
    return monitor->reportInput();
}

void AppDelegate::toggleArm()
{
    if (monitor->state() == ArmMonitor::State::idle)
        armFromOutside();
    else
        monitor->disarm();
}

void AppDelegate::armFromOutside()
{
    closeWhatIsOpen();
    monitor->arm();
}

void AppDelegate::closeWhatIsOpen()
{
    // The system may never report these closes: the holds end here.
    statusItem->closeMenu();
    platform().application->closeAlert();
    monitor->dropGraceHolds();
}

void AppDelegate::armFromMenu()
{
    if (menuArmingBlocked)
        return;
    monitor->arm();
}

void AppDelegate::handleRequest(Request request)
{
    const bool idle = monitor->state() == ArmMonitor::State::idle;
    if (request == Request::disarm || (request == Request::toggle && !idle))
        monitor->disarm();
    else if (!menuArmingBlocked)
        armFromOutside();
}

void AppDelegate::refuseArming(const std::string& why)
{
    const Platform& system = platform();
    refusal = why;
    system.systemLog->log("Cendrel: cannot arm: " + why);
    system.application->notify({NoticeSubject::arming, false, "Cendrel cannot arm", "Cendrel cannot arm: " + why});
    rebuildMenu();
}

void AppDelegate::lockNow()
{
    ScreenLock::lock();
    monitor->disarm();
}

void AppDelegate::changeShortcut()
{
    std::string hint;
    if (shortcutRoute() == ShortcutRoute::ownerBinds) {
        const BindingAdvice advice = bindingAdvice(shortcut);
        hint = advice.where + ": " + advice.what;
    }
    recorder->show(
        shortcut,
        [weak = weak_from_this()](const Shortcut& captured) -> std::optional<std::string> {
            if (auto self = weak.lock())
                return self->handleCapture(captured);
            return std::nullopt;
        },
        hint);
}

void AppDelegate::quit()
{
    platform().application->terminate();
}

std::optional<std::string> AppDelegate::handleCapture(const Shortcut& captured)
{
    // Where the owner binds it, what the program could register matters not;
    // the desktop is still asked, in case it now binds shortcuts itself.
    const bool ownerBinds = shortcutRoute() == ShortcutRoute::ownerBinds;
    if (!hotKeyManager->registerShortcut(captured) && !ownerBinds)
        return captured.displayString() + " is not available — try another";
    shortcut = captured;
    if (!shortcut.save()) {
        const Platform& system = platform();
        system.systemLog->log("Cendrel: could not save the shortcut; it will be forgotten when Cendrel quits");
        // Shown once the recorder has closed, not over it.
        system.runLoop->post([weak = weak_from_this()] {
            if (auto self = weak.lock())
                self->showAlert("Couldn't save the shortcut",
                                "The new shortcut works until Cendrel quits, but it could not be stored, so the "
                                "previous one will be back at the next start.");
        });
    }
    rebuildMenu();
    if (ownerBinds) {
        // Kept on screen, so that the owner can copy what to enter.
        const BindingAdvice advice = bindingAdvice(shortcut);
        recorder->setHint(advice.where + ": " + advice.what);
        return "Saved — now bind it as shown below";
    }
    return std::nullopt;
}

void AppDelegate::lockedByInput()
{
    // Whoever touched the computer must not get to change its shortcut.
    recorder->cancel();
    menuArmingBlocked = true;
    menuArmingUnblock = platform().runLoop->scheduleTimer(menuArmingBlockTime, false, [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->menuArmingBlocked = false;
    });
}

bool AppDelegate::menuWillOpen()
{
    // A menu opened by keyboard or by an assistive technology bypasses every
    // watch, and offers "Disarm": its opening is a touch like any other. One
    // that locked is cancelled and holds nothing.
    if (monitor->reportInput())
        return false;
    menuHold = monitor->holdGracePeriod();
    menuArmingBlocked = false;
    menuArmingUnblock.reset();
    const bool enabled = loginItemRegistered();
    if (enabled != launchesAtLogin) {
        launchesAtLogin = enabled;
        if (loginMenuItem)
            statusItem->setChecked(*loginMenuItem, enabled);
    }
    // Another program may have given the combination up since.
    if (!shortcutWorks() && hotKeyManager->retry())
        rebuildMenu();
    return true;
}

void AppDelegate::menuDidClose()
{
    // On a later pass: an entry chosen from the menu is handled first, so
    // "Disarm" still finds the grace period running.
    platform().runLoop->post([hold = std::shared_ptr<GraceHold>(std::move(menuHold))]() mutable { hold.reset(); });
}

bool AppDelegate::shortcutWorks() const
{
    return hotKeyManager->isActive();
}

AppDelegate::ShortcutRoute AppDelegate::shortcutRoute() const
{
    if (hotKeyManager->desktopChoosesTrigger()) {
        const auto& binding = hotKeyManager->desktopBinding();
        if (!binding)
            return ShortcutRoute::waitingForDesktop;
        return shortcutWorks() ? ShortcutRoute::hotKey : ShortcutRoute::ownerBinds;
    }
    return platform().hotKeys->grabHearsEveryKey() ? ShortcutRoute::hotKey : ShortcutRoute::ownerBinds;
}

std::string AppDelegate::triggerText() const
{
    const auto& binding = hotKeyManager->desktopBinding();
    if (binding && binding->outcome == DesktopBinding::Outcome::assigned && !binding->text.empty())
        return binding->text;
    return shortcut.displayString();
}

void AppDelegate::setupStatusItem()
{
    // Gone, the controller guards nothing, and lets the menu show.
    auto willOpen = [weak = weak_from_this()] {
        auto self = weak.lock();
        return !self || self->menuWillOpen();
    };
    statusItem = platform().statusBar->makeStatusItem({willOpen, action(&AppDelegate::menuDidClose)});
    rebuildMenu();
}

void AppDelegate::updateForState(ArmMonitor::State state)
{
    // Asked again when watching begins: secure keyboard entry may have come
    // on during the grace period.
    if (state == ArmMonitor::State::arming) {
        refusal.clear();
        lookForLockers();
    }
    if (state != ArmMonitor::State::idle) {
        const bool watched = platform().input->canWatchKeyPresses();
        if (!watched && (state == ArmMonitor::State::arming || keysWatched))
            platform().systemLog->log("Cendrel: key presses cannot be watched; only the pointer guards while armed");
        keysWatched = watched;
    }
    statusItem->setIcon(iconFor(state));
    rebuildMenu();
}

std::string AppDelegate::statusLine(const std::string& shortcutText) const
{
    switch (monitor->state()) {
    case ArmMonitor::State::idle:
        if (!refusal.empty())
            return "Idle — cannot arm: " + refusal;
        if (shortcutRoute() == ShortcutRoute::waitingForDesktop)
            return "Idle — waiting for the desktop to bind the shortcut";
        if (shortcutRoute() == ShortcutRoute::ownerBinds)
            return std::string("Idle — use Arm Now, or a shortcut bound to ") + toggleCommand;
        if (!shortcutWorks())
            return "Idle — " + shortcutText + " is not active, use Arm Now";
        return "Idle — press " + shortcutText + " to arm";
    case ArmMonitor::State::arming:
        if (!keysWatched)
            return "Arming… key presses will not be watched";
        return "Arming… take your hand off the trackpad";
    case ArmMonitor::State::armed:
        if (!keysWatched)
            return "● Armed — key presses are not watched";
        return "● Armed — any input will lock";
    }
    return {};
}

std::string AppDelegate::toolTip(const std::string& shortcutText) const
{
    switch (monitor->state()) {
    case ArmMonitor::State::idle:
        if (!refusal.empty())
            return "Cendrel cannot arm: " + refusal;
        if (shortcutRoute() == ShortcutRoute::waitingForDesktop)
            return "Cendrel: idle, waiting for the desktop to bind the shortcut";
        if (shortcutRoute() == ShortcutRoute::ownerBinds)
            return std::string("Cendrel: idle, ") + toggleCommand + " arms";
        return "Cendrel: idle, " + shortcutText + (shortcutWorks() ? " arms" : " is not active");
    case ArmMonitor::State::arming:
        return "Cendrel: arming";
    case ArmMonitor::State::armed:
        return "Cendrel: armed";
    }
    return {};
}

void AppDelegate::rebuildMenu()
{
    const bool idle = monitor->state() == ArmMonitor::State::idle;
    const std::string limitation = watchLimitationNote();
    // Read from the layout once: this runs between a touch and its lock.
    const std::string shortcutText = triggerText();
    std::vector<MenuEntry> entries;
    entries.push_back(MenuEntry::makeInformation(statusLine(shortcutText) + limitation + lockerNote()));
    entries.push_back(MenuEntry::makeSeparator());
    // Each entry does what it says, whatever the state when it is chosen.
    entries.push_back(idle ? MenuEntry::makeAction("Arm Now", action(&AppDelegate::armFromMenu))
                           : MenuEntry::makeAction("Disarm", [weak = std::weak_ptr(monitor)] {
                                 if (auto armMonitor = weak.lock())
                                     armMonitor->disarm();
                             }));
    entries.push_back(MenuEntry::makeAction("Lock Screen Now", action(&AppDelegate::lockNow)));
    entries.push_back(MenuEntry::makeSeparator());
    std::string shortcutLine = "Arm Shortcut:  " + shortcutText + (shortcutWorks() ? "" : " (not active)");
    if (shortcutRoute() == ShortcutRoute::waitingForDesktop) {
        shortcutLine = "Arm Shortcut:  " + shortcutText + " (waiting for the desktop)";
    } else if (shortcutRoute() == ShortcutRoute::ownerBinds) {
        const BindingAdvice advice = bindingAdvice(shortcut);
        shortcutLine = "Arm Shortcut:  " + advice.what + " (in " + advice.where + ")";
    }
    entries.push_back(MenuEntry::makeInformation(shortcutLine));
    entries.push_back(MenuEntry::makeAction("Change Shortcut…", action(&AppDelegate::changeShortcut)));
    entries.push_back(MenuEntry::makeSeparator());
    MenuEntry login = MenuEntry::makeAction("Launch at Login", action(&AppDelegate::toggleLaunchAtLogin));
    login.checkable = true;
    login.checked = launchesAtLogin;
    loginMenuItem = entries.size();
    entries.push_back(std::move(login));
    entries.push_back(MenuEntry::makeSeparator());
    entries.push_back(MenuEntry::makeAction("Quit Cendrel", action(&AppDelegate::quit), "q"));
    statusItem->setToolTip(toolTip(shortcutText) + limitation + lockerNote());
    statusItem->setMenu(std::move(entries));
}

bool AppDelegate::loginItemRegistered() const
{
    LoginItems& loginItems = *platform().loginItems;
    return loginItems.isEnabled() || loginItems.needsApproval();
}

void AppDelegate::lookForLockers()
{
    const bool missing = !platform().screenLocker->lockerFound();
    // Told once, before anyone touches the computer; the menu keeps saying it.
    if (missing && !lockerMissing) {
        platform().systemLog->log("Cendrel: no screen locker found; a touch will only switch the display off");
        platform().application->notify({NoticeSubject::screenLock, true, "Cendrel found no screen locker",
                                        "A touch while armed will only switch the display off, and the next "
                                        "touch switches it on, unlocked. Install a screen locker, or set "
                                        "lock.command in Cendrel's preferences."});
    }
    lockerMissing = missing;
}

std::string AppDelegate::lockerNote() const
{
    return lockerMissing ? " (no screen locker found)" : "";
}

void AppDelegate::toggleLaunchAtLogin()
{
    setLaunchAtLogin(!loginItemRegistered());
    launchesAtLogin = loginItemRegistered();
    if (loginMenuItem)
        statusItem->setChecked(*loginMenuItem, launchesAtLogin);
}

void AppDelegate::setLaunchAtLogin(bool enabled)
{
    const Platform& system = platform();
    if (enabled == loginItemRegistered())
        return;
    const auto error = enabled ? system.loginItems->enable() : system.loginItems->disable();
    if (error) {
        system.systemLog->log("Cendrel: launch-at-login change failed: " + error->description);
        showAlert("Couldn't update Launch at Login", error->localizedDescription);
        return;
    }
    // A register that succeeded may still wait for the owner, who switched it
    // off in System Settings or has yet to allow it there.
    if (enabled && system.loginItems->needsApproval() &&
        showAlert("Launch at Login is switched off in System Settings",
                  "Cendrel is registered, but starts at login only once it is switched on under Login Items in "
                  "System Settings.",
                  "Open Login Items"))
        system.loginItems->openSettings();
}

bool AppDelegate::showAlert(const std::string& message, const std::string& information, const std::string& actionTitle)
{
    // Whoever answers an alert is at the computer: its clicks must not lock.
    const auto hold = monitor->holdGracePeriod();
    Application& application = *platform().application;
    bool chosen = false;
    if (actionTitle.empty())
        application.showAlert(message, information);
    else
        chosen = application.showAlertWithAction(message, information, actionTitle);
    return chosen;
}

} // namespace cendrel
