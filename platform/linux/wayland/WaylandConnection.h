// The backend's own connection to the Wayland compositor, beside whatever
// Qt uses: the idle notifications that stand for input go through it. Its
// socket is read from the Qt event loop, so everything it reports arrives on
// the main thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct ext_idle_notifier_v1;
struct org_kde_kwin_idle;
struct wl_output;
struct zwlr_output_power_manager_v1;
class QSocketNotifier;

namespace cendrel {

class WaylandConnection {
public:
    // Null when no compositor answers on $WAYLAND_DISPLAY; the reason is in
    // `error`. The globals it offers are known on return.
    static std::shared_ptr<WaylandConnection> open(std::string& error);
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;
    ~WaylandConnection();

    // Starts reading events from the Qt event loop; needs the application.
    void attachToEventLoop();

    wl_display* display() const { return display_; }
    // The first seat, and the idle mechanisms on offer; null when absent or
    // taken back by the compositor.
    wl_seat* seat() const { return seat_; }
    ext_idle_notifier_v1* idleNotifier() const { return idleNotifier_; }
    std::uint32_t idleNotifierVersion() const { return idleNotifierVersion_; }
    org_kde_kwin_idle* kdeIdle() const { return kdeIdle_; }
    // What can switch outputs off (wlroots), and the outputs there are now.
    zwlr_output_power_manager_v1* outputPowerManager() const { return outputPowerManager_; }
    std::vector<wl_output*> outputs() const;
    // Empty while the connection and the globals in use are there; once it
    // is lost, what went, in words for the owner.
    const std::string& lost() const { return lost_; }

    // Sends what was asked for and reads and dispatches events until
    // `done` says so or the time is up. True when `done` did.
    bool dispatchUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Sends what was asked for, without waiting.
    void flush();

    // Told once, when the connection or a global in use goes.
    std::function<void(const std::string& what)> onLost;

    // The registry listener's entry points.
    static void globalAdded(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                            std::uint32_t version);
    static void globalRemoved(void* data, wl_registry* registry, std::uint32_t name);

private:
    WaylandConnection() = default;
    void readEvents();
    bool dispatchPending();
    void lose(const std::string& what);

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    std::uint32_t seatName_ = 0;
    ext_idle_notifier_v1* idleNotifier_ = nullptr;
    std::uint32_t idleNotifierName_ = 0;
    std::uint32_t idleNotifierVersion_ = 0;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    std::uint32_t kdeIdleName_ = 0;
    zwlr_output_power_manager_v1* outputPowerManager_ = nullptr;
    // By their global names.
    std::vector<std::pair<std::uint32_t, wl_output*>> outputs_;
    std::string lost_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace cendrel
