// Simulated status bar: items, buttons, symbol images and menus kept as plain
// data, and a user who opens menus and chooses entries.
#pragma once

#include "StatusBar.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace cendrel {

class SimRunLoop;

class SimImage final : public Image {
public:
    SimImage(std::string symbolName, std::string accessibilityDescription)
        : symbolName_(std::move(symbolName)), accessibilityDescription_(std::move(accessibilityDescription))
    {
    }
    void setTemplate(bool isTemplate) override { template_ = isTemplate; }

    const std::string& symbolName() const { return symbolName_; }
    const std::string& accessibilityDescription() const { return accessibilityDescription_; }
    bool isTemplate() const { return template_; }

private:
    std::string symbolName_;
    std::string accessibilityDescription_;
    bool template_ = false;
};

class SimStatusBarButton final : public StatusBarButton {
public:
    void setImage(std::shared_ptr<Image> image) override;
    std::shared_ptr<Image> image() override { return image_; }

    // The current image as the sim's own type; null when there is none.
    std::shared_ptr<SimImage> simImage() const;
    std::size_t imageSetCount() const { return imageSets_; }

private:
    std::shared_ptr<Image> image_;
    std::size_t imageSets_ = 0;
};

class SimMenu;

class SimMenuItem final : public MenuItem {
public:
    SimMenuItem(std::string title, std::string action, std::string keyEquivalent, bool separator = false)
        : title_(std::move(title)), action_(std::move(action)), keyEquivalent_(std::move(keyEquivalent)),
          separator_(separator)
    {
    }
    void setTarget(std::weak_ptr<MenuTarget> target) override { target_ = std::move(target); }
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    void setState(MenuItemState state) override { state_ = state; }

    const std::string& title() const { return title_; }
    // Empty when the entry has no action.
    const std::string& action() const { return action_; }
    const std::string& keyEquivalent() const { return keyEquivalent_; }
    // Null when none was set or it is gone.
    std::shared_ptr<MenuTarget> target() const { return target_.lock(); }
    // Entries start enabled, as AppKit's do.
    bool isEnabled() const { return enabled_; }
    MenuItemState state() const { return state_; }
    bool isSeparator() const { return separator_; }
    // The menu the entry was added to, while that menu lives.
    std::shared_ptr<SimMenu> menu() const { return menu_.lock(); }

private:
    friend class SimMenu;
    std::string title_;
    std::string action_;
    std::string keyEquivalent_;
    bool separator_;
    std::weak_ptr<MenuTarget> target_;
    bool enabled_ = true;
    MenuItemState state_ = MenuItemState::off;
    std::weak_ptr<SimMenu> menu_;
};

class SimMenu final : public Menu, public std::enable_shared_from_this<SimMenu> {
public:
    // An entry belongs to one menu at a time: adding one that is already in a
    // live menu is a programmer error, as in AppKit.
    void addItem(std::shared_ptr<MenuItem> item) override;

    const std::vector<std::shared_ptr<SimMenuItem>>& items() const { return items_; }
    // Titles in order, separators written as "---".
    std::vector<std::string> titles() const;
    // The first entry with exactly this title, or null.
    std::shared_ptr<SimMenuItem> itemWithTitle(const std::string& title) const;

private:
    std::vector<std::shared_ptr<SimMenuItem>> items_;
};

class SimStatusItem final : public StatusItem {
public:
    SimStatusItem(double length, bool hasButton);
    std::shared_ptr<StatusBarButton> button() override { return button_; }
    void setMenu(std::shared_ptr<Menu> menu) override;

    double length() const { return length_; }
    // Null when the item was made without a button.
    std::shared_ptr<SimStatusBarButton> simButton() const { return button_; }
    // The attached menu, or null.
    std::shared_ptr<SimMenu> menu() const { return menu_; }
    // setMenu() calls so far.
    std::size_t menuCount() const { return menuCount_; }

private:
    double length_;
    std::shared_ptr<SimStatusBarButton> button_;
    std::shared_ptr<SimMenu> menu_;
    std::size_t menuCount_ = 0;
};

class SimStatusBar final : public StatusBar {
public:
    explicit SimStatusBar(std::shared_ptr<SimRunLoop> runLoop);

    std::shared_ptr<StatusItem> statusItemWithLength(double length) override;
    // Known names: "lock.fill", "lock.open.fill", "eye.fill", and any added
    // with addKnownSymbol().
    std::shared_ptr<Image> imageWithSystemSymbolName(const std::string& name,
                                                     const std::string& accessibilityDescription) override;
    std::shared_ptr<Menu> newMenu() override;
    std::shared_ptr<MenuItem> newMenuItem(const std::string& title, const std::string& action,
                                          const std::string& keyEquivalent) override;
    std::shared_ptr<MenuItem> separatorItem() override;

    // --- The bar ---------------------------------------------------------
    // Items still in the bar (some reference to them lives), oldest first.
    std::vector<std::shared_ptr<SimStatusItem>> statusItems() const;
    // The newest item still in the bar, or null.
    std::shared_ptr<SimStatusItem> statusItem() const;
    std::size_t statusItemsCreated() const { return items_.size(); }
    // The symbol on the newest item's button; nothing without item, button or image.
    std::optional<std::string> shownSymbol() const;
    // The newest item's attached menu, or null.
    std::shared_ptr<SimMenu> currentMenu() const;
    // The next item made comes without a button (once).
    void setNextItemHasNoButton(bool noButton) { nextHasNoButton_ = noButton; }
    void addKnownSymbol(const std::string& name) { knownSymbols_.insert(name); }

    // --- The user and the menu ------------------------------------------
    // Clicks the newest item: its current menu opens and the run loop enters
    // menu tracking. False when there is no item or no menu.
    bool openMenu();
    // Dismisses the open menu without choosing; the loop returns to the
    // default mode and runs a pass.
    void closeMenu();
    bool isMenuOpen() const { return openMenu_ != nullptr; }
    // The menu on screen: the one opened, even if another was attached since.
    std::shared_ptr<SimMenu> openedMenu() const { return openMenu_; }
    // Chooses the first entry with this title in the open menu, or in the
    // newest item's current menu when none is open. An open menu closes
    // first, then the action goes to the target, then the loop runs a pass.
    // Disabled entries and separators do nothing (the menu stays open).
    // True when an action reached a live target.
    bool chooseMenuItem(const std::string& title);
    // Command plus the key while the menu is open: chooses the enabled entry
    // with that key equivalent. False, and nothing done, when no menu is open
    // or no entry answers.
    bool pressKeyEquivalent(const std::string& key);

private:
    bool choose(const std::shared_ptr<SimMenuItem>& item);

    std::shared_ptr<SimRunLoop> runLoop_;
    std::vector<std::weak_ptr<SimStatusItem>> items_;
    bool nextHasNoButton_ = false;
    std::set<std::string> knownSymbols_{"lock.fill", "lock.open.fill", "eye.fill"};
    std::shared_ptr<SimMenu> openMenu_;
};

} // namespace cendrel
