// StatusBar on macOS: an NSStatusItem with a system-symbol icon, and NSMenus
// whose entries call their closures through small Objective-C forwarders. No
// gap.
#import <AppKit/AppKit.h>
#import <objc/runtime.h>

#include "MacBackend.h"
#include "MacRules.h"
#include "MacStrings.h"

#include <utility>
#include <vector>

namespace cendrel {
namespace {

// What the item and its menus' delegate share: the menu swap, which waits
// for the open menu to close, and the entries of the menu on screen and of
// the newest one (the same menu unless one waits).
struct MenuState {
    mac::MenuSwap swap;
    std::vector<NSMenuItem*> shownItems;
    std::vector<NSMenuItem*> newestItems;
};

} // namespace
} // namespace cendrel

// The target of one action entry.
@interface CNDMenuAction : NSObject
- (instancetype)initWithAction:(std::function<void()>)action;
- (void)performAction:(id)sender;
@end

@implementation CNDMenuAction {
    std::function<void()> _action;
}

- (instancetype)initWithAction:(std::function<void()>)action
{
    self = [super init];
    if (self != nil) {
        _action = std::move(action);
    }
    return self;
}

// The action may replace the menu and so release this forwarder: it runs
// from a copy, and self is not touched afterwards.
- (void)performAction:(id)sender
{
    (void)sender;
    std::function<void()> action = _action;
    if (action) {
        action();
    }
}

@end

// Every menu of one status item reports to the same observer, so that a menu
// replaced while on screen still reports its close.
@interface CNDMenuObserver : NSObject <NSMenuDelegate>
- (instancetype)initWithObserver:(cendrel::StatusItemObserver)observer state:(std::weak_ptr<cendrel::MenuState>)state;
@end

@implementation CNDMenuObserver {
    cendrel::StatusItemObserver _observer;
    std::weak_ptr<cendrel::MenuState> _state;
}

- (instancetype)initWithObserver:(cendrel::StatusItemObserver)observer state:(std::weak_ptr<cendrel::MenuState>)state
{
    self = [super init];
    if (self != nil) {
        _observer = std::move(observer);
        _state = std::move(state);
    }
    return self;
}

// However it opened (a click, Ctrl-F8, VoiceOver), an opening that locked
// the screen must not leave "Disarm" on offer over the lock. Open from here
// on: the report may rebuild the menu, which then waits.
- (void)menuWillOpen:(NSMenu*)menu
{
    if (std::shared_ptr<cendrel::MenuState> state = _state.lock()) {
        state->swap.opened();
    }
    std::function<bool()> report = _observer.menuWillOpen;
    if (report && !report()) {
        [menu cancelTrackingWithoutAnimation];
        [self menuClosed];
    }
}

- (void)menuDidClose:(NSMenu*)menu
{
    (void)menu;
    [self menuClosed];
    std::function<void()> report = _observer.menuDidClose;
    if (report) {
        report();
    }
}

// Installs the menu that waited, if any; a second call does nothing.
- (void)menuClosed
{
    if (std::shared_ptr<cendrel::MenuState> state = _state.lock()) {
        state->swap.closed();
    }
}

@end

namespace cendrel {

namespace {

// The key under which an entry keeps its forwarder.
constexpr char forwarderKey = 0;

NSString* symbolName(StatusIcon icon)
{
    switch (icon) {
    case StatusIcon::idle:
        return @"lock.fill";
    case StatusIcon::arming:
        return @"lock.open.fill";
    case StatusIcon::armed:
        return @"eye.fill";
    }
    return @"lock.fill";
}

NSControlStateValue checkState(bool checked)
{
    return checked ? NSControlStateValueOn : NSControlStateValueOff;
}

NSMenuItem* makeItem(MenuEntry& entry)
{
    if (entry.kind == MenuEntry::Kind::separator) {
        return [NSMenuItem separatorItem];
    }
    NSMenuItem* item = nil;
    if (entry.kind == MenuEntry::Kind::action) {
        // A key equivalent given as a plain letter takes the default Command.
        item = [[NSMenuItem alloc] initWithTitle:toNSString(entry.title)
                                          action:@selector(performAction:)
                                   keyEquivalent:toNSString(entry.keyEquivalent)];
        // NSMenuItem holds its target weakly: the item keeps the forwarder,
        // so a menu still on screen after a rebuild still reaches its action.
        CNDMenuAction* forwarder = [[CNDMenuAction alloc] initWithAction:std::move(entry.action)];
        objc_setAssociatedObject(item, &forwarderKey, forwarder, OBJC_ASSOCIATION_RETAIN_NONATOMIC);
        item.target = forwarder;
        item.enabled = YES;
    } else {
        item = [[NSMenuItem alloc] initWithTitle:toNSString(entry.title) action:nil keyEquivalent:@""];
        item.enabled = NO;
    }
    if (entry.checkable) {
        item.state = checkState(entry.checked);
    }
    return item;
}

class MacStatusItem final : public StatusItem {
public:
    explicit MacStatusItem(StatusItemObserver observer)
        : item_([NSStatusBar.systemStatusBar statusItemWithLength:-1]), // NSVariableStatusItemLength
          state_(std::make_shared<MenuState>()),
          observer_([[CNDMenuObserver alloc] initWithObserver:std::move(observer) state:state_])
    {
    }

    ~MacStatusItem() override { [NSStatusBar.systemStatusBar removeStatusItem:item_]; }

    void setIcon(StatusIcon icon) override
    {
        NSStatusBarButton* button = item_.button;
        if (button == nil) {
            return;
        }
        // Nil for a name this system does not know: the button is left blank.
        button.image = [NSImage imageWithSystemSymbolName:symbolName(icon) accessibilityDescription:@"Cendrel"];
        // A template is tinted by the system to suit the menu bar.
        [button.image setTemplate:YES];
    }

    void setToolTip(const std::string& text) override { item_.button.toolTip = toNSString(text); }

    void setMenu(std::vector<MenuEntry> entries) override
    {
        NSMenu* menu = [[NSMenu alloc] init];
        // Left on, AppKit would enable an entry exactly when its target
        // answers its action, overriding setEnabled:.
        menu.autoenablesItems = NO;
        // NSMenu holds its delegate weakly; this item keeps it.
        menu.delegate = observer_;
        std::vector<NSMenuItem*> items;
        items.reserve(entries.size());
        for (MenuEntry& entry : entries) {
            NSMenuItem* item = makeItem(entry);
            [menu addItem:item];
            items.push_back(item);
        }
        state_->newestItems = items;
        state_->swap.replace([weakState = std::weak_ptr(state_), statusItem = item_, menu, items] {
            statusItem.menu = menu;
            if (std::shared_ptr<MenuState> state = weakState.lock()) {
                state->shownItems = items;
            }
        });
    }

    // On the menu on screen, so the owner sees it, and on the one waiting.
    void setChecked(std::size_t index, bool checked) override
    {
        for (std::vector<NSMenuItem*>* items : {&state_->shownItems, &state_->newestItems}) {
            if (index < items->size()) {
                (*items)[index].state = checkState(checked);
            }
        }
    }

    // Counted closed at once: AppKit does not promise a close after a cancel.
    void closeMenu() override
    {
        [item_.menu cancelTrackingWithoutAnimation];
        state_->swap.closed();
    }

private:
    NSStatusItem* item_;
    std::shared_ptr<MenuState> state_;
    CNDMenuObserver* observer_;
};

class MacStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> makeStatusItem(StatusItemObserver observer) override
    {
        return std::make_unique<MacStatusItem>(std::move(observer));
    }
};

} // namespace

std::shared_ptr<StatusBar> makeMacStatusBar()
{
    return std::make_shared<MacStatusBar>();
}

} // namespace cendrel
