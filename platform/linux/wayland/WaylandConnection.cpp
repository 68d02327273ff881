// Each global is bound at the lower of the offered version and the one we
// know. A global we use that the compositor takes back (a seat unplugged, a
// notifier withdrawn) counts as losing the connection: input can no longer be
// seen through it.
#include "WaylandConnection.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"
#include "wlr-output-power-management-unstable-v1-client-protocol.h"

#include <QSocketNotifier>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace cendrel {

namespace {

constexpr std::uint32_t knownIdleNotifierVersion = 2;
constexpr std::chrono::milliseconds startTimeout{5000};

const wl_registry_listener registryListener{
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
        WaylandConnection::globalAdded(data, registry, name, interface, version);
    },
    [](void* data, wl_registry* registry, std::uint32_t name) {
        WaylandConnection::globalRemoved(data, registry, name);
    }};

} // namespace

std::shared_ptr<WaylandConnection> WaylandConnection::open(std::string& error)
{
    const char* socket = std::getenv("WAYLAND_DISPLAY");
    if (socket == nullptr || *socket == '\0') {
        error = "WAYLAND_DISPLAY is not set";
        return nullptr;
    }
    std::shared_ptr<WaylandConnection> connection(new WaylandConnection);
    connection->display_ = wl_display_connect(nullptr);
    if (connection->display_ == nullptr) {
        error = std::string("cannot connect to ") + socket + " (" + std::strerror(errno) + ")";
        return nullptr;
    }
    connection->registry_ = wl_display_get_registry(connection->display_);
    wl_registry_add_listener(connection->registry_, &registryListener, connection.get());
    // One round trip brings every global; a compositor that never answers
    // must not hold the start for ever.
    bool synced = false;
    wl_callback* sync = wl_display_sync(connection->display_);
    static const wl_callback_listener syncListener{
        [](void* data, wl_callback*, std::uint32_t) { *static_cast<bool*>(data) = true; }};
    wl_callback_add_listener(sync, &syncListener, &synced);
    const bool answered = connection->dispatchUntil([&synced] { return synced; }, startTimeout);
    wl_callback_destroy(sync);
    if (!answered) {
        error = connection->lost_.empty() ? "the compositor did not answer" : connection->lost_;
        return nullptr;
    }
    return connection;
}

WaylandConnection::~WaylandConnection()
{
    notifier_.reset();
    if (idleNotifier_ != nullptr)
        ext_idle_notifier_v1_destroy(idleNotifier_);
    if (kdeIdle_ != nullptr)
        org_kde_kwin_idle_destroy(kdeIdle_);
    if (outputPowerManager_ != nullptr)
        zwlr_output_power_manager_v1_destroy(outputPowerManager_);
    for (const auto& output : outputs_)
        wl_output_destroy(output.second);
    if (seat_ != nullptr)
        wl_seat_destroy(seat_);
    if (registry_ != nullptr)
        wl_registry_destroy(registry_);
    if (display_ != nullptr)
        wl_display_disconnect(display_);
}

void WaylandConnection::globalAdded(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                                    std::uint32_t version)
{
    auto* self = static_cast<WaylandConnection*>(data);
    const std::string_view offered = interface;
    if (offered == wl_seat_interface.name && self->seat_ == nullptr) {
        self->seat_ = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        self->seatName_ = name;
    } else if (offered == ext_idle_notifier_v1_interface.name && self->idleNotifier_ == nullptr) {
        self->idleNotifierVersion_ = std::min(version, knownIdleNotifierVersion);
        self->idleNotifier_ = static_cast<ext_idle_notifier_v1*>(
            wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, self->idleNotifierVersion_));
        self->idleNotifierName_ = name;
    } else if (offered == org_kde_kwin_idle_interface.name && self->kdeIdle_ == nullptr) {
        self->kdeIdle_ =
            static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        self->kdeIdleName_ = name;
    } else if (offered == zwlr_output_power_manager_v1_interface.name && self->outputPowerManager_ == nullptr) {
        self->outputPowerManager_ = static_cast<zwlr_output_power_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_output_power_manager_v1_interface, 1));
    } else if (offered == wl_output_interface.name) {
        self->outputs_.emplace_back(name,
                                    static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1)));
    }
}

void WaylandConnection::globalRemoved(void* data, wl_registry*, std::uint32_t name)
{
    auto* self = static_cast<WaylandConnection*>(data);
    if (self->seat_ != nullptr && name == self->seatName_)
        self->lose("the compositor removed the seat");
    else if (self->idleNotifier_ != nullptr && name == self->idleNotifierName_)
        self->lose("the compositor removed its idle notifier");
    else if (self->kdeIdle_ != nullptr && name == self->kdeIdleName_)
        self->lose("the compositor removed its idle notifier");
    // A monitor unplugged: nothing to switch off there any more.
    std::erase_if(self->outputs_, [name](const auto& output) {
        if (output.first == name)
            wl_output_destroy(output.second);
        return output.first == name;
    });
}

std::vector<wl_output*> WaylandConnection::outputs() const
{
    std::vector<wl_output*> outputs;
    for (const auto& output : outputs_)
        outputs.push_back(output.second);
    return outputs;
}

void WaylandConnection::attachToEventLoop()
{
    notifier_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readEvents(); });
    flush();
}

void WaylandConnection::flush()
{
    // A full buffer (EAGAIN) is sent at the next flush; anything else is a
    // dead connection, which the next read reports.
    if (lost_.empty())
        wl_display_flush(display_);
}

void WaylandConnection::readEvents()
{
    if (!lost_.empty())
        return;
    if (wl_display_prepare_read(display_) == 0 && wl_display_read_events(display_) == -1) {
        lose("the connection to the compositor closed");
        return;
    }
    if (dispatchPending())
        flush();
}

bool WaylandConnection::dispatchPending()
{
    if (wl_display_dispatch_pending(display_) == -1) {
        lose(wl_display_get_error(display_) == EPROTO ? "the compositor ended the connection for a protocol error"
                                                      : "the connection to the compositor closed");
        return false;
    }
    return lost_.empty();
}

bool WaylandConnection::dispatchUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (!lost_.empty())
            return false;
        if (wl_display_prepare_read(display_) != 0) {
            // Events already queued come first.
            dispatchPending();
            continue;
        }
        flush();
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(display_);
            if (ready == -1 && errno == EINTR)
                continue;
            if (ready == -1)
                lose("the connection to the compositor closed");
            return false;
        }
        if (wl_display_read_events(display_) == -1) {
            lose("the connection to the compositor closed");
            return false;
        }
        dispatchPending();
    }
    return true;
}

void WaylandConnection::lose(const std::string& what)
{
    if (!lost_.empty())
        return;
    lost_ = what;
    // The socket would stay readable (hung up) and wake the loop for ever.
    if (notifier_)
        notifier_->setEnabled(false);
    if (onLost)
        onLost(what);
}

} // namespace cendrel
