// Panels on macOS: NSPanel with an NSView container and NSTextField labels,
// and an Objective-C window delegate that hands windowWillClose: to the core.
// No gap.
#import <AppKit/AppKit.h>

#include "MacBackend.h"
#include "MacStrings.h"

#include <utility>

// NSWindow holds its delegate weakly; the panel's wrapper owns this one.
@interface CNDWindowDelegate : NSObject <NSWindowDelegate>
- (instancetype)initWithDelegate:(const std::weak_ptr<cendrel::WindowDelegate>&)delegate;
@end

@implementation CNDWindowDelegate {
    std::weak_ptr<cendrel::WindowDelegate> _delegate;
}

- (instancetype)initWithDelegate:(const std::weak_ptr<cendrel::WindowDelegate>&)delegate
{
    self = [super init];
    if (self != nil) {
        _delegate = delegate;
    }
    return self;
}

- (void)windowWillClose:(NSNotification*)notification
{
    (void)notification;
    if (std::shared_ptr<cendrel::WindowDelegate> delegate = _delegate.lock()) {
        delegate->windowWillClose();
    }
}

@end

namespace cendrel {

namespace {

static_assert(static_cast<NSInteger>(TextAlignment::left) == NSTextAlignmentLeft);
static_assert(static_cast<NSInteger>(TextAlignment::center) == NSTextAlignmentCenter,
              "centred is 1 only on Apple silicon, the one target");
static_assert(static_cast<NSInteger>(TextAlignment::right) == NSTextAlignmentRight);

Rect toRect(NSRect rect)
{
    return Rect{rect.origin.x, rect.origin.y, rect.size.width, rect.size.height};
}
NSRect toNSRect(Rect rect)
{
    return NSMakeRect(rect.x, rect.y, rect.width, rect.height);
}

// What every view wrapper of this backend gives: the AppKit view itself.
class MacNativeView {
public:
    virtual ~MacNativeView() = default;
    virtual NSView* nativeView() const = 0;
};

NSView* nativeViewOf(const std::shared_ptr<View>& view)
{
    auto* native = dynamic_cast<MacNativeView*>(view.get());
    return native != nullptr ? native->nativeView() : nil;
}

// The view operations, shared by plain views and labels.
template <typename Base, typename NativeView> class MacViewBase : public Base, public MacNativeView {
public:
    explicit MacViewBase(NativeView* view) : view_(view) {}

    Rect bounds() override { return toRect(view_.bounds); }
    void setFrame(Rect frame) override { view_.frame = toNSRect(frame); }
    void setAutoresizingMask(std::uint64_t mask) override { view_.autoresizingMask = mask; }
    void addSubview(std::shared_ptr<View> view) override
    {
        if (NSView* subview = nativeViewOf(view)) {
            [view_ addSubview:subview];
        }
    }
    NSView* nativeView() const override { return view_; }

protected:
    NativeView* view_;
};

class MacView final : public MacViewBase<View, NSView> {
public:
    using MacViewBase::MacViewBase;
};

class MacLabel final : public MacViewBase<Label, NSTextField> {
public:
    using MacViewBase::MacViewBase;

    void setStringValue(const std::string& text) override { view_.stringValue = toNSString(text); }

    void setFont(Font font) override
    {
        if (font.hasWeight) {
            NSFontWeight weight = font.weight == FontWeight::semibold ? NSFontWeightSemibold : NSFontWeightRegular;
            view_.font = [NSFont systemFontOfSize:font.size weight:weight];
        } else {
            view_.font = [NSFont systemFontOfSize:font.size];
        }
    }

    void setTextColor(LabelColor color) override
    {
        switch (color) {
        case LabelColor::label:
            view_.textColor = NSColor.labelColor;
            break;
        case LabelColor::secondary:
            view_.textColor = NSColor.secondaryLabelColor;
            break;
        case LabelColor::tertiary:
            view_.textColor = NSColor.tertiaryLabelColor;
            break;
        }
    }

    void setAlignment(TextAlignment alignment) override { view_.alignment = static_cast<NSTextAlignment>(alignment); }
};

class MacPanel final : public Panel {
public:
    explicit MacPanel(NSPanel* panel) : panel_(panel) {}

    void setTitle(const std::string& title) override { panel_.title = toNSString(title); }
    void setLevel(std::int64_t level) override { panel_.level = level; }
    void setFloatingPanel(bool floating) override { panel_.floatingPanel = floating; }
    void setHidesOnDeactivate(bool hides) override { panel_.hidesOnDeactivate = hides; }

    std::shared_ptr<View> contentView() override
    {
        NSView* view = panel_.contentView;
        if (view == nil) {
            return nullptr;
        }
        return std::make_shared<MacView>(view);
    }

    void setContentView(std::shared_ptr<View> view) override { panel_.contentView = nativeViewOf(view); }

    void setDelegate(std::weak_ptr<WindowDelegate> delegate) override
    {
        delegate_ = [[CNDWindowDelegate alloc] initWithDelegate:delegate];
        panel_.delegate = delegate_;
    }

    void center() override { [panel_ center]; }
    void makeKeyAndOrderFront() override { [panel_ makeKeyAndOrderFront:nil]; }
    void orderOut() override { [panel_ orderOut:nil]; }

private:
    // An NSPanel is not released when closed (releasedWhenClosed is off for
    // panels), so the close button leaves this reference valid and the panel
    // can be shown again.
    NSPanel* panel_;
    CNDWindowDelegate* delegate_ = nil;
};

class MacPanels final : public Panels {
public:
    std::shared_ptr<Panel> newPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t backing,
                                    bool defer) override
    {
        NSPanel* panel = [[NSPanel alloc] initWithContentRect:toNSRect(contentRect)
                                                    styleMask:styleMask
                                                      backing:static_cast<NSBackingStoreType>(backing)
                                                        defer:defer];
        return std::make_shared<MacPanel>(panel);
    }

    std::shared_ptr<View> newView(Rect frame) override
    {
        return std::make_shared<MacView>([[NSView alloc] initWithFrame:toNSRect(frame)]);
    }

    std::shared_ptr<Label> labelWithString(const std::string& text) override
    {
        return std::make_shared<MacLabel>([NSTextField labelWithString:toNSString(text)]);
    }
};

} // namespace

std::shared_ptr<Panels> makeMacPanels()
{
    return std::make_shared<MacPanels>();
}

} // namespace cendrel
