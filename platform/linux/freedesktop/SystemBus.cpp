// sd-bus on Qt's loop: the descriptor's readiness and the connection's next
// timeout wake the loop, and sd_bus_process() then does all there is to do.
// Each lock opens its own connection, so a bus that never answers holds up
// nothing but that lock.
#include "SystemBus.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <poll.h>
#include <time.h>

namespace cendrel {

struct SystemBus::Pending {
    SystemBus* owner = nullptr;
    ReplyHandler onReply;
};

std::shared_ptr<SystemBus> SystemBus::open()
{
    sd_bus* bus = nullptr;
    // $DBUS_SYSTEM_BUS_ADDRESS, or the system's socket; the connect does not
    // wait for the bus to answer.
    if (sd_bus_open_system(&bus) < 0 || sd_bus_get_fd(bus) < 0) {
        sd_bus_unref(bus);
        return nullptr;
    }
    auto connection = std::shared_ptr<SystemBus>(new SystemBus(bus));
    // The first pass sends what is queued, after the caller has returned.
    QTimer::singleShot(0, connection->timeout_.get(), [weak = std::weak_ptr(connection)] {
        if (const auto self = weak.lock())
            self->pump();
    });
    return connection;
}

SystemBus::SystemBus(sd_bus* bus)
    : bus_(bus), readable_(std::make_unique<QSocketNotifier>(sd_bus_get_fd(bus), QSocketNotifier::Read)),
      writable_(std::make_unique<QSocketNotifier>(sd_bus_get_fd(bus), QSocketNotifier::Write)),
      timeout_(std::make_unique<QTimer>())
{
    timeout_->setSingleShot(true);
    // The notifiers and the timer are ours, so `this` outlives them.
    const auto pumpThis = [this] { pump(); };
    QObject::connect(readable_.get(), &QSocketNotifier::activated, pumpThis);
    QObject::connect(writable_.get(), &QSocketNotifier::activated, pumpThis);
    QObject::connect(timeout_.get(), &QTimer::timeout, pumpThis);
}

SystemBus::~SystemBus()
{
    readable_->setEnabled(false);
    writable_->setEnabled(false);
    // Its floating reply slots go with it, without being called.
    sd_bus_close_unref(bus_);
}

bool SystemBus::call(const char* destination, const char* path, const char* interface, const char* member,
                     ReplyHandler onReply, const char* property)
{
    Pending& pending = pending_.emplace_back(Pending{this, std::move(onReply)});
    const int queued =
        property == nullptr
            ? sd_bus_call_method_async(bus_, nullptr, destination, path, interface, member, onMessage, &pending, "")
            : sd_bus_call_method_async(bus_, nullptr, destination, path, "org.freedesktop.DBus.Properties", "Get",
                                       onMessage, &pending, "ss", interface, property);
    if (queued < 0) {
        pending_.pop_back();
        return false;
    }
    watch();
    return true;
}

bool SystemBus::ready() const
{
    return sd_bus_is_ready(bus_) > 0;
}

void SystemBus::silence()
{
    for (Pending& pending : pending_)
        pending.onReply = nullptr;
}

int SystemBus::onMessage(sd_bus_message* message, void* userdata, sd_bus_error*)
{
    auto* pending = static_cast<Pending*>(userdata);
    SystemBus& self = *pending->owner;
    const ReplyHandler onReply = std::move(pending->onReply);
    self.pending_.remove_if([pending](const Pending& each) { return &each == pending; });
    if (onReply) {
        const sd_bus_error* error = sd_bus_message_get_error(message);
        onReply(error != nullptr && error->name != nullptr ? std::optional<std::string>(error->name) : std::nullopt,
                message);
    }
    return 0;
}

void SystemBus::pump()
{
    // A handler may let go of the last other reference.
    const auto keepAlive = shared_from_this();
    int processed = 0;
    do
        processed = sd_bus_process(bus_, nullptr);
    while (processed > 0);
    if (processed < 0) {
        // Gone: whatever still waits has been answered with an error.
        readable_->setEnabled(false);
        writable_->setEnabled(false);
        timeout_->stop();
        return;
    }
    watch();
}

void SystemBus::watch()
{
    const int events = sd_bus_get_events(bus_);
    writable_->setEnabled(events > 0 && (events & POLLOUT) != 0);
    std::uint64_t due = 0;
    if (sd_bus_get_timeout(bus_, &due) < 0 || due == UINT64_MAX) {
        timeout_->stop();
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto nowMicroseconds = std::uint64_t(now.tv_sec) * 1'000'000 + std::uint64_t(now.tv_nsec) / 1000;
    const auto left = due > nowMicroseconds ? (due - nowMicroseconds + 999) / 1000 : 0;
    timeout_->start(static_cast<int>(std::min<std::uint64_t>(left, 60'000)));
}

} // namespace cendrel
