// The small floating panel that records a new shortcut from one key press.
#pragma once

#include "Panels.h"
#include "RunLoop.h"
#include "Shortcut.h"

#include <functional>
#include <memory>
#include <optional>

namespace cendrel {

class RecorderWindow : public WindowDelegate, public std::enable_shared_from_this<RecorderWindow> {
public:
    // Shows nothing until asked to; the panel is built on first show.
    RecorderWindow() = default;
    RecorderWindow(const RecorderWindow&) = delete;
    RecorderWindow& operator=(const RecorderWindow&) = delete;

    // Shows the panel and records. onCapture is called at most once per
    // recording, synchronously while the key press is handled, before the
    // panel hides; never on cancel, on the close button or without a modifier.
    // A new call replaces the callback of an earlier one.
    void show(const Shortcut& current, std::function<void(const Shortcut&)> onCapture);

    void windowWillClose() override;

private:
    void buildWindow();
    void startMonitoring();
    void stopMonitoring();
    void close();
    std::optional<Event> handleKeyDown(const Event& event);

    std::shared_ptr<Panel> window;
    std::shared_ptr<EventMonitor> monitor;
    std::shared_ptr<Label> promptLabel;
    std::shared_ptr<Label> currentLabel;
    std::function<void(const Shortcut&)> onCapture;
};

} // namespace cendrel
