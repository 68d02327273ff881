// The small floating panel that records a new shortcut from one key press.
#pragma once

#include "RecorderPanel.h"
#include "Shortcut.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace cendrel {

class RecorderWindow : public std::enable_shared_from_this<RecorderWindow> {
public:
    // Answers a captured shortcut: nothing when it is taken and the panel can
    // close, or a text the panel shows while the recording goes on (why the
    // shortcut cannot be used, or what the owner must do with it).
    using CaptureHandler = std::function<std::optional<std::string>(const Shortcut&)>;

    // Shows nothing until asked to; the panel is built on first show.
    RecorderWindow() = default;
    RecorderWindow(const RecorderWindow&) = delete;
    RecorderWindow& operator=(const RecorderWindow&) = delete;

    // Shows the panel and records. onCapture is called synchronously while a
    // key press with a modifier is handled, before the panel hides; never on
    // cancel, on the close button, without a modifier or with Shift alone on
    // a key that types (see Shortcut::takesTypedText). A new call replaces
    // the callback of an earlier one. A `hint` replaces the usual one.
    void show(const Shortcut& current, CaptureHandler onCapture, const std::string& hint = {});
    // Replaces the hint line while the panel is shown.
    void setHint(const std::string& hint);
    bool isRecording() const { return recording; }
    // Recording, and the panel has the keyboard: a press of the hot key is
    // then meant for it.
    bool hasKeyboard() const { return recording && window && window->hasKeyboardFocus(); }
    // Takes `shortcut` as if its keys had been pressed into the panel (the
    // hot key itself, which the system hands to its registration instead).
    // Only while recording.
    void capture(const Shortcut& shortcut);
    // Ends a recording without a capture, as Escape does.
    void cancel();

    // Asked first for every key press the panel takes; true when the owner
    // took it (it locked an armed guard, or it was the hot key disarming), and
    // it is then not recorded. The panel may hold the whole keyboard, so
    // neither the system's watch nor the hot key sees these presses.
    std::function<bool(const KeyPress&)> keyPressTaken;

private:
    void buildWindow();
    void close();
    void handleKeyPress(const KeyPress& press);

    std::unique_ptr<RecorderPanel> window;
    CaptureHandler onCapture;
    bool recording = false;
    bool hintReplaced = false;
};

} // namespace cendrel
