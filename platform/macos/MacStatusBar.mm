// StatusBar on macOS: NSStatusBar's item, its button image (system symbols),
// and NSMenu entries whose actions reach the core's MenuTarget by selector
// name through a small Objective-C forwarder. No gap.
#import <AppKit/AppKit.h>
#import <objc/runtime.h>

#include "MacBackend.h"
#include "MacStrings.h"

// The target of menu entries. A selector named by the core is added to this
// class when an entry with that action is made, so AppKit finds a method for
// every action in use and for nothing else (it probes targets with
// respondsToSelector:, validateMenuItem: among others).
@interface CNDMenuTarget : NSObject
- (instancetype)initWithTarget:(const std::weak_ptr<cendrel::MenuTarget>&)target;
- (std::shared_ptr<cendrel::MenuTarget>)lockedTarget;
@end

@implementation CNDMenuTarget {
    std::weak_ptr<cendrel::MenuTarget> _target;
}

- (instancetype)initWithTarget:(const std::weak_ptr<cendrel::MenuTarget>&)target
{
    self = [super init];
    if (self != nil) {
        _target = target;
    }
    return self;
}

- (std::shared_ptr<cendrel::MenuTarget>)lockedTarget
{
    return _target.lock();
}

@end

namespace cendrel {

namespace {

// Every added action selector runs this. AppKit passes the menu item as a
// third argument even to a selector without a colon; it is not read. The
// C++ target is locked before the call and the forwarder is not touched
// after it: the action may rebuild the menu and so release the forwarder.
void performMenuAction(id self, SEL action)
{
    std::shared_ptr<MenuTarget> target = [static_cast<CNDMenuTarget*>(self) lockedTarget];
    if (target) {
        target->performAction(sel_getName(action));
    }
}

void addActionToForwarder(SEL action)
{
    // Added once per selector, and never over a method the class already has:
    // class_addMethod would override one inherited from NSObject.
    if ([CNDMenuTarget instancesRespondToSelector:action]) {
        return;
    }
    std::string_view name = sel_getName(action);
    const char* types = !name.empty() && name.back() == ':' ? "v@:@" : "v@:";
    class_addMethod([CNDMenuTarget class], action, reinterpret_cast<IMP>(&performMenuAction), types);
}

class MacImage final : public Image {
public:
    explicit MacImage(NSImage* image) : image_(image) {}
    void setTemplate(bool isTemplate) override { [image_ setTemplate:isTemplate]; }
    NSImage* nativeImage() const { return image_; }

private:
    NSImage* image_;
};

class MacStatusBarButton final : public StatusBarButton {
public:
    explicit MacStatusBarButton(NSStatusBarButton* button) : button_(button) {}

    void setImage(std::shared_ptr<Image> image) override
    {
        auto* macImage = dynamic_cast<MacImage*>(image.get());
        button_.image = macImage != nullptr ? macImage->nativeImage() : nil;
    }

    std::shared_ptr<Image> image() override
    {
        NSImage* image = button_.image;
        if (image == nil) {
            return nullptr;
        }
        return std::make_shared<MacImage>(image);
    }

private:
    NSStatusBarButton* button_;
};

class MacMenuItem final : public MenuItem {
public:
    explicit MacMenuItem(NSMenuItem* item) : item_(item) {}

    // NSMenuItem holds its target weakly, so the item itself keeps the
    // forwarder: a menu still on screen after a rebuild has replaced it must
    // still reach the controller.
    void setTarget(std::weak_ptr<MenuTarget> target) override
    {
        CNDMenuTarget* forwarder = [[CNDMenuTarget alloc] initWithTarget:target];
        objc_setAssociatedObject(item_, &forwarderKey, forwarder, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
        item_.target = forwarder;
    }

    void setEnabled(bool enabled) override { item_.enabled = enabled; }

    void setState(MenuItemState state) override { item_.state = static_cast<NSControlStateValue>(state); }

    NSMenuItem* nativeItem() const { return item_; }

private:
    static constexpr char forwarderKey = 0;
    NSMenuItem* item_;
};

static_assert(static_cast<NSControlStateValue>(MenuItemState::off) == NSControlStateValueOff);
static_assert(static_cast<NSControlStateValue>(MenuItemState::on) == NSControlStateValueOn);

class MacMenu final : public Menu {
public:
    // Left on, AppKit would enable an entry exactly when its target answers
    // its action, overriding setEnabled:.
    MacMenu() { menu_.autoenablesItems = NO; }

    void addItem(std::shared_ptr<MenuItem> item) override
    {
        auto* macItem = dynamic_cast<MacMenuItem*>(item.get());
        if (macItem == nullptr) {
            return;
        }
        [menu_ addItem:macItem->nativeItem()];
    }

    NSMenu* nativeMenu() const { return menu_; }

private:
    NSMenu* menu_ = [[NSMenu alloc] init];
};

class MacStatusItem final : public StatusItem {
public:
    explicit MacStatusItem(NSStatusItem* item) : item_(item) {}

    std::shared_ptr<StatusBarButton> button() override
    {
        NSStatusBarButton* button = item_.button;
        if (button == nil) {
            return nullptr;
        }
        return std::make_shared<MacStatusBarButton>(button);
    }

    void setMenu(std::shared_ptr<Menu> menu) override
    {
        auto* macMenu = dynamic_cast<MacMenu*>(menu.get());
        item_.menu = macMenu != nullptr ? macMenu->nativeMenu() : nil;
        menu_ = std::move(menu);
    }

private:
    // Releasing the NSStatusItem takes it out of the bar.
    NSStatusItem* item_;
    std::shared_ptr<Menu> menu_;
};

class MacStatusBar final : public StatusBar {
public:
    std::shared_ptr<StatusItem> statusItemWithLength(double length) override
    {
        return std::make_shared<MacStatusItem>([NSStatusBar.systemStatusBar statusItemWithLength:length]);
    }

    std::shared_ptr<Image> imageWithSystemSymbolName(const std::string& name,
                                                     const std::string& accessibilityDescription) override
    {
        NSImage* image = [NSImage imageWithSystemSymbolName:toNSString(name)
                                   accessibilityDescription:toNSString(accessibilityDescription)];
        if (image == nil) {
            return nullptr;
        }
        return std::make_shared<MacImage>(image);
    }

    std::shared_ptr<Menu> newMenu() override { return std::make_shared<MacMenu>(); }

    std::shared_ptr<MenuItem> newMenuItem(const std::string& title, const std::string& action,
                                          const std::string& keyEquivalent) override
    {
        SEL selector = nullptr;
        if (!action.empty()) {
            selector = NSSelectorFromString(toNSString(action));
            addActionToForwarder(selector);
        }
        NSMenuItem* item = [[NSMenuItem alloc] initWithTitle:toNSString(title)
                                                      action:selector
                                               keyEquivalent:toNSString(keyEquivalent)];
        return std::make_shared<MacMenuItem>(item);
    }

    std::shared_ptr<MenuItem> separatorItem() override
    {
        return std::make_shared<MacMenuItem>([NSMenuItem separatorItem]);
    }
};

} // namespace

std::shared_ptr<StatusBar> makeMacStatusBar()
{
    return std::make_shared<MacStatusBar>();
}

} // namespace cendrel
