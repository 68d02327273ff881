// The application: QApplication's event loop, the alert and notifications.
#pragma once

#include "Application.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QDBusMessage;

namespace cendrel {

// The desktop notification (org.freedesktop.Notifications' Notify) that
// tells the owner something urgent, ready to send on the session bus; it
// takes the place of the one the server numbered `replacesId` (0: none).
QDBusMessage notification(const Notice& notice, std::uint32_t replacesId = 0);

class QtApplication final : public Application {
public:
    void run(std::function<void()> didFinishLaunching) override;
    void becomeAccessory() override;
    void terminate() override;
    void showAlert(const std::string& message, const std::string& information) override;
    void closeAlert() override;
    // A desktop notification (org.freedesktop.Notifications), where the
    // session has a notification server.
    void notify(const Notice& notice) override;
    // Qt timers are not throttled: nothing to hold.
    std::unique_ptr<Activity> beginActivity(std::string_view reason) override;
    void listenForRequests(std::function<void(Request)> onRequest) override { *requestListener = std::move(onRequest); }

    // Where the requests that reach the program over the bus go.
    const std::shared_ptr<std::function<void(Request)>> requestListener =
        std::make_shared<std::function<void(Request)>>();

private:
    // The number the server gave the latest notice of each subject; held
    // weakly by the replies still on their way.
    std::shared_ptr<std::map<NoticeSubject, std::uint32_t>> shown_ =
        std::make_shared<std::map<NoticeSubject, std::uint32_t>>();
};

} // namespace cendrel
