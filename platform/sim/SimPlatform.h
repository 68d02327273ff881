// The simulated platform: a small, deterministic fake of every interface,
// keeping real state and refusing what a system may refuse. Tests read what
// the user would see and drive input through the same callbacks a backend
// calls.
#pragma once

#include "Platform.h"
#include "SimRunLoop.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace cendrel {

class SimPlatform {
public:
    SimPlatform();
    // Makes this the installed platform; tests uninstall it in TearDown.
    void install(ShortcutNotation notation = ShortcutNotation::glyphs);

    SimRunLoop& runLoop() { return *runLoop_; }

    // --- Application ------------------------------------------------------
    bool launched = false;
    bool accessory = false;
    bool terminated = false;
    std::vector<std::pair<std::string, std::string>> alerts;
    // Runs while an alert is up, as the modal loop would: time may pass.
    std::function<void()> whileAlertShown;
    // Up from showAlert until it returns, or until the program closes it.
    bool alertShown = false;
    // Whether the owner chooses an alert's second button.
    bool alertActionChosen = false;
    std::vector<Notice> notifications;
    int activities = 0;
    // Another start of the program asks this one; false when nothing listens.
    bool sendRequest(Request request);

    // --- Input and screens ------------------------------------------------
    Point pointer{700, 450};
    bool keysWatchable = true;
    int keyPermissionOffers = 0;
    std::string watchLimitation;
    bool watchFails = false;
    // Why no watch could see input now; empty when one could.
    std::string inputUnseen;
    int watches = 0;
    std::vector<Rect> screens{{0, 0, 1440, 900}};
    std::optional<Rect> mainScreen = Rect{0, 0, 1440, 900};
    // Whether the pointer's moves are reported (or only polled).
    bool reportsMotion = false;
    int motionWatches = 0;
    // A click, key press or scroll, seen by every live watch; true when one
    // of them said it locked (the event would then be dropped).
    bool sendInput();
    // The user moves the pointer; where moves are reported, the report
    // arrives on a later pass. Setting `pointer` alone is a move no report
    // tells of.
    void movePointer(Point to);

    // --- Hot keys ---------------------------------------------------------
    // Combinations other programs hold: registering them is refused.
    std::vector<std::pair<std::uint32_t, Modifiers>> takenByOthers;
    std::vector<std::pair<std::uint32_t, Modifiers>> registered() const;
    // The user presses a combination; true when a registration took it. The
    // press is delivered on a later pass, as a real system does.
    bool pressHotKey(std::uint32_t keyCode, Modifiers modifiers);
    // Set, the desktop chooses the trigger (a shortcuts portal): each
    // registration is told this on a later pass, and takes presses only once
    // it is assigned. Changing it tells the live registrations again.
    std::optional<DesktopBinding> desktopAnswer;
    void tellDesktopAnswer();
    // False as under a Wayland compositor, where the owner binds the command.
    bool grabHearsEveryKey = true;

    // Calls that reached the status item, the recorder panel or the hot keys.
    int touches = 0;

    // --- Status item ------------------------------------------------------
    struct Item {
        bool exists = false;
        std::optional<StatusIcon> icon;
        std::string toolTip;
        std::vector<MenuEntry> menu;
        // Whether the desktop shows status items at all.
        bool seen = true;
        int menusSet = 0;
        // Closed by the program, no close is reported, as AppKit promises none.
        bool open = false;
        StatusItemObserver observer;
    } item;
    std::vector<std::string> titles() const;
    const MenuEntry* entry(const std::string& title) const;
    // Opens the menu, unless the observer refuses (it is then cancelled
    // before it shows, and reported closed); true when it shows.
    bool openMenu();
    void closeMenu();
    // Chooses an entry as the user would: the menu opens (unless it is open),
    // it closes, the entry's action runs. False when no enabled entry has that title.
    bool choose(const std::string& title);

    // --- Recorder panel ---------------------------------------------------
    struct Panel {
        int built = 0;
        bool shown = false;
        RecorderTexts texts;
        std::string prompt;
        std::string current;
        std::string hint;
        // Another program is in front while it floats.
        bool focused = true;
        RecorderPanelObserver observer;
    } panel;
    // A key press reaching the application; true when the panel took it.
    bool pressKey(KeyPress press);
    void clickPanelCloseButton();

    // --- Preferences, layout, login items ----------------------------------
    std::map<std::string, std::int64_t> preferences;
    bool preferencesWriteFails = false;
    // One key that cannot be written, where the others can.
    std::string failingPreference;
    std::map<KeyCode, std::string> layout{{0, "a"}, {37, "l"}, {40, "k"}, {45, "n"}};
    bool loginItemEnabled = false;
    bool loginItemNeedsApproval = false;
    // The owner switched it off in the system's settings: registering leaves
    // it waiting for approval.
    bool loginApprovalWithheld = false;
    int loginSettingsOpened = 0;
    std::optional<LoginItemError> loginItemRefusal;
    int loginItemChanges = 0;

    // --- Locking and the log -----------------------------------------------
    // The lock steps offered, in order, each by its name: "session", or any.
    struct Locker {
        Locker(std::string named, bool withTheOneBefore = false, std::optional<double> evidenceWindow = std::nullopt)
            : name(std::move(named)), withPrevious(withTheOneBefore), window(evidenceWindow)
        {
        }
        std::string name;
        bool withPrevious;
        std::optional<double> window;
    };
    std::vector<Locker> lockers{{"session"}};
    // What a lock step reports, and how long after it was asked.
    struct LockReply {
        double after = 0;
        LockReport report;
    };
    // By step name; a step not listed is unavailable. The session lock
    // works by default.
    std::map<std::string, std::vector<LockReply>> lockSteps{
        {"session", {{0, {LockReport::Outcome::locked, LockFailure::refused}}}}};
    std::map<std::string, std::string> textPreferences;
    bool keyboardHeldByOther = false;
    bool displayOffFails = false;
    bool displayOffLocks = false;
    bool lockerFound = true;
    // Runs as the session lock is asked, to look at what the user sees then.
    std::function<void()> onLock;
    // Each step's name as it is asked, "display off", and "dropped " and the
    // name when its request is given back, in order.
    std::vector<std::string> lockEvents;
    std::vector<std::string> log;

private:
    class Backend;
    std::shared_ptr<SimRunLoop> runLoop_;
    std::shared_ptr<Backend> backend_;
};

} // namespace cendrel
