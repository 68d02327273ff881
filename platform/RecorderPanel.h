// The small floating panel in which the user presses a new shortcut.
#pragma once

#include "Keys.h"

#include <functional>
#include <memory>
#include <string>

namespace cendrel {

class RecorderPanel {
public:
    RecorderPanel() = default;
    RecorderPanel(const RecorderPanel&) = delete;
    RecorderPanel& operator=(const RecorderPanel&) = delete;
    virtual ~RecorderPanel() = default;

    // The large line: the prompt, or what the last key press lacked.
    virtual void setPrompt(const std::string& text) = 0;
    // The line naming the current shortcut.
    virtual void setCurrent(const std::string& text) = 0;
    // Replaces the small line at the bottom, which may then be longer than
    // the one it was built with (where the owner binds the shortcut in the
    // desktop's settings, the exact text to enter there).
    virtual void setHint(const std::string& text) { (void)text; }
    // Brings the application forward and shows the panel, centred, as the key
    // window; from then on every key press that reaches the application goes
    // to `onKeyPress` and nowhere else, until hide() or the user closes it.
    virtual void show() = 0;
    // Stops taking key presses and hides the panel; it can be shown again.
    virtual void hide() = 0;
    // Whether key presses reach the panel now. A floating panel stays on
    // screen while another program is in front, and has the keyboard only
    // once it is the key window again.
    virtual bool hasKeyboardFocus() { return true; }
};

struct RecorderTexts {
    std::string title;
    std::string prompt;
    std::string hint;
};

struct RecorderPanelObserver {
    // A key press while the panel is shown (modifier keys on their own are not
    // key presses). Consumed: nothing else in the application sees it.
    std::function<void(const KeyPress&)> onKeyPress;
    // The user closed the panel (its close button); key presses stop.
    std::function<void()> onClose;
};

class Panels {
public:
    Panels() = default;
    Panels(const Panels&) = delete;
    Panels& operator=(const Panels&) = delete;
    virtual ~Panels() = default;

    // Built hidden, with the texts and an empty current line.
    virtual std::unique_ptr<RecorderPanel> makeRecorderPanel(const RecorderTexts& texts,
                                                             RecorderPanelObserver observer) = 0;
};

} // namespace cendrel
