// The application: its run loop entry, its place on the desktop and the one
// modal alert the program ever shows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace cendrel {

// Held while the guard must keep time: the system does not throttle the
// program's timers while one lives.
class Activity {
public:
    Activity() = default;
    Activity(const Activity&) = delete;
    Activity& operator=(const Activity&) = delete;
    virtual ~Activity() = default;
};

// What a notice is about: a newer notice on one subject replaces the older
// one on the desktop instead of piling up beside it.
enum class NoticeSubject { screenLock, hotKey, instance, launchAtLogin, arming, statusItem };

struct Notice {
    NoticeSubject subject = NoticeSubject::screenLock;
    // Critical notices stay until dismissed; keep them for what the owner
    // must act on (a screen that is not locked).
    bool critical = false;
    std::string title;
    std::string body;
};

// What another start of the program asks of the running one (`cendrel
// --toggle`, `--arm`, `--disarm`).
enum class Request { toggle, arm, disarm };

class Application {
public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application() = default;

    // Runs the application; `didFinishLaunching` is called once, on the main
    // thread, when launching is complete. Returns only when it stops.
    virtual void run(std::function<void()> didFinishLaunching) = 0;
    // No Dock icon or application menu: the status item is the whole face,
    // and closing the last window does not end the program.
    virtual void becomeAccessory() = 0;
    virtual void terminate() = 0;
    // A modal alert with one default button; returns once dismissed. The
    // application is brought forward first, so the alert has the focus.
    virtual void showAlert(const std::string& message, const std::string& information) = 0;
    // The same with a second button for what the owner can do about it; true
    // when that button was chosen.
    virtual bool showAlertWithAction(const std::string& message, const std::string& information,
                                     const std::string& actionTitle)
    {
        (void)actionTitle;
        showAlert(message, information);
        return false;
    }
    // Ends the alert on screen, if any, as if its default button was chosen;
    // the showAlert call that shows it returns once control is back with it.
    virtual void closeAlert() {}
    // Tells the owner something urgent without stopping the program (a
    // desktop notification), where the system offers that; logging is the
    // caller's business.
    virtual void notify(const Notice& notice) = 0;
    // Keeps timers on time until the activity is released.
    virtual std::unique_ptr<Activity> beginActivity(std::string_view reason) = 0;
    // Calls `onRequest` on the main thread for each request that reaches the
    // running program from outside. Where none can reach it, nothing is
    // ever called.
    virtual void listenForRequests(std::function<void(Request)> onRequest) { (void)onRequest; }
};

} // namespace cendrel
