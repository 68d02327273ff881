// Panels on macOS: the recorder as an NSPanel with three NSTextField labels,
// taking key presses through a local key-down monitor while shown. No gap.
#import <AppKit/AppKit.h>

#include "MacBackend.h"
#include "MacKeys.h"
#include "MacRules.h"
#include "MacStrings.h"

#include <utility>

namespace cendrel {
namespace {
class RecorderState;
} // namespace
} // namespace cendrel

// NSWindow holds its delegate weakly; the panel's state keeps this one.
@interface CNDRecorderWindowDelegate : NSObject <NSWindowDelegate>
- (instancetype)initWithState:(std::weak_ptr<cendrel::RecorderState>)state;
@end

namespace cendrel {

namespace {

// Titled, closable, and a panel that does not activate the application by
// being clicked: show() activates it on purpose.
constexpr NSWindowStyleMask panelStyle =
    NSWindowStyleMaskTitled | NSWindowStyleMaskClosable | NSWindowStyleMaskNonactivatingPanel;
static_assert(panelStyle == 131);
constexpr NSWindowLevel floatingLevel = 3; // NSFloatingWindowLevel, which is not a constant expression

// The container follows the panel; the labels keep their width and their
// distance to the top (prompt, current) or to the bottom (hint).
constexpr NSAutoresizingMaskOptions fillsPanel = NSViewWidthSizable | NSViewHeightSizable;
constexpr NSAutoresizingMaskOptions keepsTop = NSViewWidthSizable | NSViewMinYMargin;
constexpr NSAutoresizingMaskOptions keepsBottom = NSViewWidthSizable | NSViewMaxYMargin;
static_assert(fillsPanel == 18 && keepsTop == 10 && keepsBottom == 34);

// Everything the panel's Objective-C helpers reach, held by the wrapper alone:
// the key monitor and the window delegate hold it weakly.
class RecorderState final : public std::enable_shared_from_this<RecorderState> {
public:
    explicit RecorderState(RecorderPanelObserver observer) : observer_(std::move(observer)) {}

    NSPanel* panel = nil;
    NSTextField* promptLabel = nil;
    NSTextField* currentLabel = nil;
    CNDRecorderWindowDelegate* windowDelegate = nil;

    void startTakingKeys()
    {
        stopTakingKeys();
        std::weak_ptr<RecorderState> weakSelf = weak_from_this();
        monitor_ = [NSEvent
            addLocalMonitorForEventsMatchingMask:NSEventMaskKeyDown
                                         handler:^NSEvent*(NSEvent* event) {
                                           std::shared_ptr<RecorderState> state = weakSelf.lock();
                                           if (!state) {
                                               return event;
                                           }
                                           return mac::afterRecorder(event, event.window == state->panel, [&] {
                                               state->keyPressed(KeyPress{
                                                   event.keyCode, modifiersFromEventFlags(event.modifierFlags)});
                                           });
                                         }];
    }

    void stopTakingKeys()
    {
        if (monitor_ != nil) {
            [NSEvent removeMonitor:monitor_];
            monitor_ = nil;
        }
    }

    // The close button: the window closes itself.
    void closedByUser()
    {
        stopTakingKeys();
        std::function<void()> onClose = observer_.onClose;
        if (onClose) {
            onClose();
        }
        // With its only window gone, an accessory application would stay
        // frontmost and keep the key focus from the one the user came from.
        // On a later pass: the panel is still on screen while it closes.
        postToMainRunLoop(&giveFocusBack);
    }

private:
    void keyPressed(const KeyPress& press)
    {
        // A copy: the observer may hide the panel, or drop it, while it runs.
        std::function<void(const KeyPress&)> onKeyPress = observer_.onKeyPress;
        if (onKeyPress) {
            onKeyPress(press);
        }
    }

    RecorderPanelObserver observer_;
    id monitor_ = nil;
};

} // namespace

} // namespace cendrel

@implementation CNDRecorderWindowDelegate {
    std::weak_ptr<cendrel::RecorderState> _state;
}

- (instancetype)initWithState:(std::weak_ptr<cendrel::RecorderState>)state
{
    self = [super init];
    if (self != nil) {
        _state = std::move(state);
    }
    return self;
}

- (void)windowWillClose:(NSNotification*)notification
{
    (void)notification;
    if (std::shared_ptr<cendrel::RecorderState> state = _state.lock()) {
        state->closedByUser();
    }
}

@end

namespace cendrel {

namespace {

NSTextField* makeLabel(NSString* text, NSFont* font, NSRect frame, NSAutoresizingMaskOptions autoresizing)
{
    NSTextField* label = [NSTextField labelWithString:text];
    label.font = font;
    label.alignment = NSTextAlignmentCenter;
    label.frame = frame;
    label.autoresizingMask = autoresizing;
    return label;
}

class MacRecorderPanel final : public RecorderPanel {
public:
    MacRecorderPanel(const RecorderTexts& texts, RecorderPanelObserver observer)
        : state_(std::make_shared<RecorderState>(std::move(observer)))
    {
        NSPanel* panel = [[NSPanel alloc] initWithContentRect:NSMakeRect(0, 0, 360, 150)
                                                    styleMask:panelStyle
                                                      backing:NSBackingStoreBuffered
                                                        defer:NO];
        panel.title = toNSString(texts.title);
        panel.level = floatingLevel;
        panel.floatingPanel = YES;
        panel.hidesOnDeactivate = NO;
        // Shown on the Space the user is on, over a full-screen application,
        // rather than switching Spaces to where it was last.
        panel.collectionBehavior =
            NSWindowCollectionBehaviorMoveToActiveSpace | NSWindowCollectionBehaviorFullScreenAuxiliary;

        NSView* container = [[NSView alloc] initWithFrame:[panel.contentView bounds]];
        container.autoresizingMask = fillsPanel;
        NSTextField* prompt =
            makeLabel(toNSString(texts.prompt), [NSFont systemFontOfSize:17 weight:NSFontWeightSemibold],
                      NSMakeRect(20, 86, 320, 28), keepsTop);
        NSTextField* current = makeLabel(@"", [NSFont systemFontOfSize:13], NSMakeRect(20, 56, 320, 20), keepsTop);
        current.textColor = NSColor.secondaryLabelColor;
        NSTextField* hint =
            makeLabel(toNSString(texts.hint), [NSFont systemFontOfSize:11], NSMakeRect(20, 18, 320, 18), keepsBottom);
        hint.textColor = NSColor.tertiaryLabelColor;
        [container addSubview:prompt];
        [container addSubview:current];
        [container addSubview:hint];
        panel.contentView = container;
        state_->windowDelegate = [[CNDRecorderWindowDelegate alloc] initWithState:state_];
        panel.delegate = state_->windowDelegate;

        state_->panel = panel;
        state_->promptLabel = prompt;
        state_->currentLabel = current;
    }

    ~MacRecorderPanel() override
    {
        state_->stopTakingKeys();
        state_->panel.delegate = nil;
        [state_->panel orderOut:nil];
    }

    void setPrompt(const std::string& text) override { state_->promptLabel.stringValue = toNSString(text); }
    void setCurrent(const std::string& text) override { state_->currentLabel.stringValue = toNSString(text); }

    void show() override
    {
        // Key presses go to the key window of the active application only.
        bringApplicationForward();
        [state_->panel center];
        [state_->panel makeKeyAndOrderFront:nil];
        state_->startTakingKeys();
    }

    void hide() override
    {
        state_->stopTakingKeys();
        [state_->panel orderOut:nil];
        giveFocusBack();
    }

    bool hasKeyboardFocus() override { return state_->panel.keyWindow != NO; }

private:
    std::shared_ptr<RecorderState> state_;
};

class MacPanels final : public Panels {
public:
    std::unique_ptr<RecorderPanel> makeRecorderPanel(const RecorderTexts& texts,
                                                     RecorderPanelObserver observer) override
    {
        return std::make_unique<MacRecorderPanel>(texts, std::move(observer));
    }
};

} // namespace

std::shared_ptr<Panels> makeMacPanels()
{
    return std::make_shared<MacPanels>();
}

} // namespace cendrel
