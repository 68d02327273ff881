// A connection of our own to the system bus through sd-bus, driven by Qt's
// event loop through the connection's descriptor and timeout.
#pragma once

#include <systemd/sd-bus.h>

#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

class QSocketNotifier;
class QTimer;

namespace cendrel {

class SystemBus final : public std::enable_shared_from_this<SystemBus> {
public:
    // The error's name, or nothing and the reply.
    using ReplyHandler = std::function<void(const std::optional<std::string>& error, sd_bus_message* reply)>;

    // Connects without waiting: authentication and Hello go on in the
    // loop. Nothing when there is no bus to connect to.
    static std::shared_ptr<SystemBus> open();
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;
    ~SystemBus();

    // A method call without arguments, or Properties.Get of `property` when
    // one is named. The handler is called from the loop, never from here,
    // and never after silence(). False when the call could not be queued.
    bool call(const char* destination, const char* path, const char* interface, const char* member,
              ReplyHandler onReply, const char* property = nullptr);
    // Authenticated and welcomed by the bus.
    bool ready() const;
    // No handler is called from now on.
    void silence();

private:
    struct Pending;
    explicit SystemBus(sd_bus* bus);
    static int onMessage(sd_bus_message* message, void* userdata, sd_bus_error* error);
    void pump();
    void watch();

    sd_bus* bus_;
    std::list<Pending> pending_;
    std::unique_ptr<QSocketNotifier> readable_;
    std::unique_ptr<QSocketNotifier> writable_;
    std::unique_ptr<QTimer> timeout_;
};

} // namespace cendrel
