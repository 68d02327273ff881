#include "RecorderWindow.h"

#include "Platform.h"

#include <utility>

namespace cendrel {

namespace {

constexpr Rect panelRect{0, 0, 360, 150};
// Titled, closable, non-activating: it takes key presses without pulling the
// user out of what is in front.
constexpr std::uint64_t panelStyleMask = 0x1 | 0x2 | 0x80;
constexpr std::uint64_t bufferedBacking = 2;
constexpr std::int64_t floatingWindowLevel = 3;

constexpr std::uint64_t widthSizable = 2;
constexpr std::uint64_t heightSizable = 16;
constexpr std::uint64_t minYMargin = 8;
constexpr std::uint64_t maxYMargin = 32;

constexpr std::uint16_t escapeKeyCode = 53;
constexpr std::uint64_t deviceIndependentFlags = 0xFFFF0000;

constexpr const char* panelTitle = "Set Lock Shortcut";
constexpr const char* promptText = "Press the new shortcut…";

struct RecorderTexts {
    const char* addModifier;
    const char* hint;
};

constexpr RecorderTexts glyphTexts{"Add a modifier (⌘ ⌥ ⌃ ⇧)", "Use at least one modifier (⌘ ⌥ ⌃ ⇧). Esc to cancel."};
constexpr RecorderTexts nameTexts{"Add a modifier (Ctrl Alt Shift Super)",
                                  "Use at least one modifier (Ctrl Alt Shift Super). Esc to cancel."};

const RecorderTexts& texts()
{
    return platform().keyboardLayout->notation() == ShortcutNotation::glyphs ? glyphTexts : nameTexts;
}

} // namespace

void RecorderWindow::show(const Shortcut& current, std::function<void(const Shortcut&)> callback)
{
    onCapture = std::move(callback);
    if (!window)
        buildWindow();
    currentLabel->setStringValue("Current: " + current.displayString());
    promptLabel->setStringValue(promptText);
    platform().application->activateIgnoringOtherApps(true);
    window->center();
    window->makeKeyAndOrderFront();
    stopMonitoring();
    startMonitoring();
}

void RecorderWindow::buildWindow()
{
    Panels& panels = *platform().panels;
    auto panel = panels.newPanel(panelRect, panelStyleMask, bufferedBacking, false);
    panel->setTitle(panelTitle);
    panel->setLevel(floatingWindowLevel);
    panel->setFloatingPanel(true);
    panel->setHidesOnDeactivate(false);

    auto container = panels.newView(panel->contentView()->bounds());
    container->setAutoresizingMask(widthSizable | heightSizable);

    auto prompt = panels.labelWithString(promptText);
    prompt->setFont(Font{17, true, FontWeight::semibold});
    prompt->setAlignment(TextAlignment::center);
    prompt->setFrame(Rect{20, 86, 320, 28});
    prompt->setAutoresizingMask(widthSizable | minYMargin);

    auto current = panels.labelWithString("");
    current->setFont(Font{13, false, FontWeight::regular});
    current->setTextColor(LabelColor::secondary);
    current->setAlignment(TextAlignment::center);
    current->setFrame(Rect{20, 56, 320, 20});
    current->setAutoresizingMask(widthSizable | minYMargin);

    auto hint = panels.labelWithString(texts().hint);
    hint->setFont(Font{11, false, FontWeight::regular});
    hint->setTextColor(LabelColor::tertiary);
    hint->setAlignment(TextAlignment::center);
    hint->setFrame(Rect{20, 18, 320, 18});
    hint->setAutoresizingMask(widthSizable | maxYMargin);

    container->addSubview(prompt);
    container->addSubview(current);
    container->addSubview(hint);
    panel->setContentView(container);
    panel->setDelegate(weak_from_this());

    window = std::move(panel);
    promptLabel = std::move(prompt);
    currentLabel = std::move(current);
}

void RecorderWindow::startMonitoring()
{
    monitor = platform().runLoop->addLocalMonitor(
        eventMask(EventType::keyDown), [weak = weak_from_this()](const Event& event) -> std::optional<Event> {
            if (auto self = weak.lock())
                return self->handleKeyDown(event);
            return event;
        });
}

void RecorderWindow::stopMonitoring()
{
    if (!monitor)
        return;
    platform().runLoop->removeMonitor(monitor);
    monitor.reset();
}

void RecorderWindow::close()
{
    stopMonitoring();
    window->orderOut();
}

void RecorderWindow::windowWillClose()
{
    stopMonitoring();
}

std::optional<Event> RecorderWindow::handleKeyDown(const Event& event)
{
    if (event.keyCode == escapeKeyCode && (event.modifierFlags & deviceIndependentFlags) == 0) {
        close();
        return std::nullopt;
    }
    const auto shortcut = Shortcut::from(event);
    if (!shortcut) {
        promptLabel->setStringValue(texts().addModifier);
        return std::nullopt;
    }
    // A copy: the callback may show the recorder again and replace its own.
    if (auto capture = onCapture)
        capture(*shortcut);
    close();
    return std::nullopt;
}

} // namespace cendrel
