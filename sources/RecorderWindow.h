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
    // Answers a captured shortcut: nothing when it is taken, or the reason it
    // cannot be used, which the panel shows while the recording goes on.
    using CaptureHandler = std::function<std::optional<std::string>(const Shortcut&)>;

    // Shows nothing until asked to; the panel is built on first show.
    RecorderWindow() = default;
    RecorderWindow(const RecorderWindow&) = delete;
    RecorderWindow& operator=(const RecorderWindow&) = delete;

    // Shows the panel and records. onCapture is called synchronously while a
    // key press with a modifier is handled, before the panel hides; never on
    // cancel, on the close button or without a modifier. onFinish is called
    // once each recording ends, whichever way. A new call replaces the
    // callbacks of an earlier one, which then ends without onFinish.
    void show(const Shortcut& current, CaptureHandler onCapture, std::function<void()> onFinish = {});
    bool isRecording() const { return recording; }
    // Ends a recording without a capture, as Escape does.
    void cancel();

    // Asked first for every key press the panel takes; true when the press
    // locked the screen (an armed guard), and is then not recorded. The panel
    // holds the keyboard, so the system's watch may never see these presses.
    std::function<bool()> keyPressLocks;

private:
    void buildWindow();
    void close();
    void finish();
    void handleKeyPress(const KeyPress& press);

    std::unique_ptr<RecorderPanel> window;
    CaptureHandler onCapture;
    std::function<void()> onFinish;
    bool recording = false;
};

} // namespace cendrel
