// The application controller: owns every other object, wires them together
// at launch, and keeps the status item and its menu in step with the state.
#pragma once

#include "ArmMonitor.h"
#include "HotKeyManager.h"
#include "RecorderWindow.h"
#include "Shortcut.h"
#include "StatusBar.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

namespace cendrel {

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
public:
    // Loads the stored shortcut; shows nothing and registers nothing until
    // launching has finished.
    AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;
    // Releases the fields in declaration order and does nothing else: no
    // disarming, nothing saved.
    ~AppDelegate();

    void applicationDidFinishLaunching();

private:
    void hotKeyPressed();
    void toggleArm();
    // Arming from outside the menu (the hot key, the command line): whatever
    // of ours is open is closed first, so the grace period starts at once.
    void armFromOutside();
    void closeWhatIsOpen();
    void armFromMenu();
    void lockNow();
    void changeShortcut();
    void toggleLaunchAtLogin();
    void quit();

    void setupStatusItem();
    void updateForState(ArmMonitor::State state);
    void rebuildMenu();
    // Both take the shortcut's display text, read once per menu.
    std::string statusLine(const std::string& shortcutText) const;
    std::string toolTip(const std::string& shortcutText) const;
    void setLaunchAtLogin(bool enabled);
    // Registered, in force or waiting for the owner's approval: either way
    // the entry is checked, and choosing it removes the registration.
    bool loginItemRegistered() const;
    // Every modal alert of ours: the grace period waits while it is up.
    bool showAlert(const std::string& message, const std::string& information, const std::string& actionTitle = {});
    bool menuWillOpen();
    void menuDidClose();
    void lockedByInput();
    bool recorderKeyPress(const KeyPress& press);
    void handleRequest(Request request);
    void refuseArming(const std::string& why);
    std::optional<std::string> handleCapture(const Shortcut& captured);
    bool shortcutWorks() const;
    // How the owner's presses reach the guard now.
    enum class ShortcutRoute {
        // The shortcut is the program's own hot key, or the trigger the
        // desktop assigned to it (working or not: shortcutWorks()).
        hotKey,
        // The desktop was asked to bind it and has not answered.
        waitingForDesktop,
        // Nothing binds it for the program: the owner binds a key to the
        // command in the desktop's settings.
        ownerBinds,
    };
    ShortcutRoute shortcutRoute() const;
    // What the owner presses: the trigger the desktop assigned, or ours.
    std::string triggerText() const;
    void desktopBindingChanged();
    // Whether anything here can lock the screen, asked at launch and at each
    // arming; the owner is told when nothing can.
    void lookForLockers();
    std::string lockerNote() const;
    void tellWhereTheIconIsNot();

    // Wraps an action so that it runs only while this controller exists.
    template <typename Method> std::function<void()> action(Method method);

    std::unique_ptr<StatusItem> statusItem;
    std::shared_ptr<HotKeyManager> hotKeyManager;
    std::shared_ptr<RecorderWindow> recorder;
    std::shared_ptr<ArmMonitor> monitor;
    Shortcut shortcut;
    // Where the "Launch at Login" entry sits in the current menu.
    std::optional<std::size_t> loginMenuItem;
    // The login-item status as last read: asking the system takes a round
    // trip, and the menu is rebuilt between a touch and its lock. Read again
    // whenever the menu opens.
    bool launchesAtLogin = false;
    // Why the last attempt to arm was refused; empty once arming went ahead.
    std::string refusal;
    // Whether key presses can be seen while armed, as found at the last arming.
    bool keysWatched = true;
    // Set when input locked the screen while the menu may be on screen: the
    // menu's report of that same click, or the command a desktop shortcut
    // started with that same key press, must not arm the guard again.
    bool menuArmingBlocked = false;
    std::unique_ptr<Timer> menuArmingUnblock;
    // The grace hold of the menu's current opening.
    std::unique_ptr<GraceHold> menuHold;
    // The desktop shows no status items: the owner is told how to arm once
    // the desktop has said what binds the shortcut.
    bool iconUnseenNoticeDue = false;
    bool lockerMissing = false;
};

} // namespace cendrel
