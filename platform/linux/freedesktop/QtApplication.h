// The application: QApplication's event loop, the alert and notifications.
#pragma once

#include "Application.h"

#include <functional>
#include <memory>

class QDBusMessage;

namespace cendrel {

// The desktop notification (org.freedesktop.Notifications' Notify) that
// tells the owner something urgent, ready to send on the session bus.
QDBusMessage notification(const Notice& notice);

class QtApplication final : public Application {
public:
    void run(std::function<void()> didFinishLaunching) override;
    void becomeAccessory() override;
    void terminate() override;
    void showAlert(const std::string& message, const std::string& information) override;
    // A desktop notification (org.freedesktop.Notifications), where the
    // session has a notification server.
    void notify(const Notice& notice) override;
    // Qt timers are not throttled: nothing to hold.
    std::unique_ptr<Activity> beginActivity(std::string_view reason) override;
    void listenForRequests(std::function<void(Request)> onRequest) override { *requestListener = std::move(onRequest); }

    // Where the requests that reach the program over the bus go.
    const std::shared_ptr<std::function<void(Request)>> requestListener =
        std::make_shared<std::function<void(Request)>>();
};

} // namespace cendrel
