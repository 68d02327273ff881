// Qt's event loop as the main run loop: timers, the main queue, the global
// input watch over XInput 2 raw events and the local key monitor.
#pragma once

#include "LinuxXConnection.h"
#include "RunLoop.h"

#include <memory>
#include <vector>

namespace cendrel {

// The AppKit event a raw X event stands for; nothing for scroll-button
// releases, which AppKit does not report.
std::optional<Event> eventFromRawInput(const RawInput& input);

class LinuxTimerHost;
class LinuxEventMonitor;
class LinuxKeyFilter;

class LinuxRunLoop final : public RunLoop {
public:
    // The connection may be null (tests): no global watch then.
    explicit LinuxRunLoop(std::shared_ptr<LinuxXConnection> x);
    ~LinuxRunLoop() override;

    std::shared_ptr<Timer> scheduledTimer(Seconds interval, bool repeats, std::function<void()> block) override;
    void addTimerForCommonModes(const std::shared_ptr<Timer>& timer) override;
    void postToMainQueue(std::function<void()> block) override;
    std::shared_ptr<EventMonitor> addGlobalMonitor(std::uint64_t mask,
                                                   std::function<void(const Event&)> handler) override;
    std::shared_ptr<EventMonitor> addLocalMonitor(std::uint64_t mask,
                                                  std::function<std::optional<Event>(const Event&)> handler) override;
    void removeMonitor(const std::shared_ptr<EventMonitor>& monitor) override;
    Point mouseLocation() override;

    // The status menu is open from begin to end: default-mode timers that
    // come due meanwhile fire once it closes. Calls nest.
    void beginMenuTracking();
    void endMenuTracking();
    bool isTrackingMenu() const { return menuDepth_ > 0; }

    // Key presses reaching this program's windows, for the local monitors;
    // true when a monitor consumed the event.
    bool deliverLocalKeyDown(const Event& event);

private:
    void deliverRawInput(const RawInput& input);
    void updateRawSelection();

    std::shared_ptr<LinuxXConnection> x_;
    std::unique_ptr<LinuxTimerHost> timers_;
    std::unique_ptr<LinuxKeyFilter> keyFilter_;
    std::vector<std::shared_ptr<LinuxEventMonitor>> globalMonitors_;
    std::vector<std::shared_ptr<LinuxEventMonitor>> localMonitors_;
    int menuDepth_ = 0;
};

} // namespace cendrel
