#include "RecorderWindow.h"

#include "Platform.h"

#include <utility>

namespace cendrel {

namespace {

constexpr KeyCode escapeKeyCode = 53;
constexpr const char* panelTitle = "Set Lock Shortcut";
constexpr const char* promptText = "Press the new shortcut…";

struct Texts {
    const char* addModifier;
    const char* addToShift;
    const char* hint;
};

constexpr Texts glyphTexts{"Add a modifier (⌘ ⌥ ⌃ ⇧)", "With ⇧, add a modifier (⌘ ⌥ ⌃)",
                           "Use at least one modifier (⌘ ⌥ ⌃ ⇧). Esc to cancel."};
constexpr Texts nameTexts{"Add a modifier (Ctrl Alt Shift Super)", "With Shift, add a modifier (Ctrl Alt Super)",
                          "Use at least one modifier (Ctrl Alt Shift Super). Esc to cancel."};

const Texts& texts()
{
    return platform().keyboardLayout->notation() == ShortcutNotation::glyphs ? glyphTexts : nameTexts;
}

} // namespace

void RecorderWindow::show(const Shortcut& current, CaptureHandler capture, const std::string& hint)
{
    onCapture = std::move(capture);
    if (!window)
        buildWindow();
    // Put back after a show with another hint.
    if (!hint.empty() || hintReplaced)
        setHint(hint.empty() ? texts().hint : hint);
    hintReplaced = !hint.empty();
    window->setCurrent("Current: " + current.displayString());
    window->setPrompt(promptText);
    recording = true;
    window->show();
}

void RecorderWindow::setHint(const std::string& hint)
{
    hintReplaced = true;
    if (window)
        window->setHint(hint);
}

void RecorderWindow::buildWindow()
{
    RecorderPanelObserver observer;
    observer.onKeyPress = [weak = weak_from_this()](const KeyPress& press) {
        if (auto self = weak.lock())
            self->handleKeyPress(press);
    };
    observer.onClose = [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->recording = false;
    };
    window = platform().panels->makeRecorderPanel({panelTitle, promptText, texts().hint}, std::move(observer));
}

void RecorderWindow::close()
{
    recording = false;
    window->hide();
}

void RecorderWindow::cancel()
{
    if (recording)
        close();
}

void RecorderWindow::handleKeyPress(const KeyPress& press)
{
    if (!recording)
        return;
    if (auto taken = keyPressTaken; taken && taken(press))
        return;
    if (press.keyCode == escapeKeyCode && press.modifiers.empty()) {
        close();
        return;
    }
    const auto shortcut = Shortcut::from(press);
    if (!shortcut || shortcut->takesTypedText()) {
        window->setPrompt(shortcut ? texts().addToShift : texts().addModifier);
        return;
    }
    capture(*shortcut);
}

void RecorderWindow::capture(const Shortcut& shortcut)
{
    std::optional<std::string> refusal;
    if (auto handler = onCapture)
        refusal = handler(shortcut);
    if (refusal) {
        window->setPrompt(*refusal);
        return;
    }
    close();
}

} // namespace cendrel
