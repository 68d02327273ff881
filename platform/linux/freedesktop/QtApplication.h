// The application: QApplication's event loop, the alert and notifications.
#pragma once

#include "Application.h"

namespace cendrel {

class QtApplication final : public Application {
public:
    void run(std::function<void()> didFinishLaunching) override;
    void becomeAccessory() override;
    void terminate() override;
    void showAlert(const std::string& message, const std::string& information) override;
    // A desktop notification (org.freedesktop.Notifications), where the
    // session has a notification server.
    void notify(const std::string& title, const std::string& body) override;
    // Qt timers are not throttled: nothing to hold.
    std::unique_ptr<Activity> beginActivity(std::string_view reason) override;
};

} // namespace cendrel
