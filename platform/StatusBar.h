// The system status bar: one item with a button image and a menu. Menu
// entries reach their target by action (selector) name, as AppKit does.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace cendrel {

// Receives the action of a chosen menu entry, by selector name ("toggleArm").
class MenuTarget {
public:
    virtual ~MenuTarget() = default;
    virtual void performAction(std::string_view action) = 0;
};

class Image {
public:
    Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image() = default;
    // Drawn as a template, tinted by the system to suit the menu bar.
    virtual void setTemplate(bool isTemplate) = 0;
};

class StatusBarButton {
public:
    StatusBarButton() = default;
    StatusBarButton(const StatusBarButton&) = delete;
    StatusBarButton& operator=(const StatusBarButton&) = delete;
    virtual ~StatusBarButton() = default;
    // Replaces the image; a null image leaves the button without one.
    virtual void setImage(std::shared_ptr<Image> image) = 0;
    virtual std::shared_ptr<Image> image() = 0;
};

enum class MenuItemState : int { off = 0, on = 1 };

class MenuItem {
public:
    MenuItem() = default;
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;
    virtual ~MenuItem() = default;
    // The target is held weakly, as AppKit does.
    virtual void setTarget(std::weak_ptr<MenuTarget> target) = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual void setState(MenuItemState state) = 0;
};

class Menu {
public:
    Menu() = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    virtual ~Menu() = default;
    // Appends at the end.
    virtual void addItem(std::shared_ptr<MenuItem> item) = 0;
};

class StatusItem {
public:
    StatusItem() = default;
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;
    virtual ~StatusItem() = default;
    // May be null.
    virtual std::shared_ptr<StatusBarButton> button() = 0;
    // Shown when the item is clicked; the previous menu is dropped.
    virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
};

class StatusBar {
public:
    StatusBar() = default;
    StatusBar(const StatusBar&) = delete;
    StatusBar& operator=(const StatusBar&) = delete;
    virtual ~StatusBar() = default;

    // length -1 is variable: the width follows the content. The item stays in
    // the bar while a reference to it lives.
    virtual std::shared_ptr<StatusItem> statusItemWithLength(double length) = 0;
    // Null for a symbol name the system does not know.
    virtual std::shared_ptr<Image> imageWithSystemSymbolName(const std::string& name,
                                                             const std::string& accessibilityDescription) = 0;
    virtual std::shared_ptr<Menu> newMenu() = 0;
    // An empty action means none. The key equivalent is taken with the default
    // Command modifier; an empty one means none.
    virtual std::shared_ptr<MenuItem> newMenuItem(const std::string& title, const std::string& action,
                                                  const std::string& keyEquivalent) = 0;
    virtual std::shared_ptr<MenuItem> separatorItem() = 0;
};

} // namespace cendrel
