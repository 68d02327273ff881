// The status item: one icon in the system status bar, and its menu. The core
// decides what they show; a backend only presents it.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cendrel {

// What the icon shows. Each backend draws its own picture of each.
enum class StatusIcon { idle, arming, armed };

struct MenuEntry {
    enum class Kind { action, information, separator };
    Kind kind = Kind::separator;
    std::string title;
    // Called on the main thread when the user chooses an action entry.
    std::function<void()> action;
    // Shown with a check mark, on or off; false leaves no room for one.
    bool checkable = false;
    bool checked = false;
    // A key answered while the menu is open, with the system's usual
    // modifier (Command, or Ctrl on Linux); empty for none.
    std::string keyEquivalent;

    static MenuEntry makeAction(std::string title, std::function<void()> action, std::string keyEquivalent = {})
    {
        return {Kind::action, std::move(title), std::move(action), false, false, std::move(keyEquivalent)};
    }
    // Greyed out: there to be read, not chosen.
    static MenuEntry makeInformation(std::string title)
    {
        return {Kind::information, std::move(title), {}, false, false, {}};
    }
    static MenuEntry makeSeparator() { return {}; }
};

class StatusItem {
public:
    StatusItem() = default;
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;
    // Takes the item out of the bar.
    virtual ~StatusItem() = default;

    virtual void setIcon(StatusIcon icon) = 0;
    // A short text shown when the pointer rests on the icon, where the system
    // has such a thing.
    virtual void setToolTip(const std::string& text) = 0;
    // Replaces the whole menu. A menu on screen may go on showing the old
    // entries; choosing one of them still calls its action.
    virtual void setMenu(std::vector<MenuEntry> entries) = 0;
    // Sets the check mark of one entry of the current menu in place.
    virtual void setChecked(std::size_t index, bool checked) = 0;
    // Closes the menu if it is on screen, as if the owner had dismissed it.
    // Whether its close is still reported is the system's business: the
    // caller counts it closed once asked.
    virtual void closeMenu() {}
};

// Told when the menu opens and closes; both on the main thread. A chosen
// entry's action may come before or after the close.
struct StatusItemObserver {
    // Told before the menu shows, however it was opened (click, keyboard,
    // assistive technology). False when it must not show: opening it was a
    // touch that locked the screen, and the backend cancels it where it can.
    std::function<bool()> menuWillOpen;
    std::function<void()> menuDidClose;
};

class StatusBar {
public:
    StatusBar() = default;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;
    virtual ~StatusBar() = default;

    // A new item in the bar, with no icon and an empty menu until told.
    virtual std::unique_ptr<StatusItem> makeStatusItem(StatusItemObserver observer) = 0;
    // False where the desktop shows no status items at all (a panel without a
    // tray), so the owner would never see the icon or reach the menu.
    virtual bool showsItems() { return true; }
    // Where items are not shown: what the owner needs for them, in this
    // desktop's words (a sentence).
    virtual std::string whatShowsItems() const { return "Its icon and menu need a tray in the panel."; }
};

} // namespace cendrel
