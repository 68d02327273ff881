// The application object: delegate, run loop entry, activation and the one
// modal alert the program ever shows.
#pragma once

#include <memory>
#include <string>

namespace cendrel {

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    // Called once, on the main thread, when launching has finished.
    virtual void applicationDidFinishLaunching() = 0;
};

enum class ActivationPolicy : int { regular = 0, accessory = 1, prohibited = 2 };

class Application {
public:
    Application() = default;
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    virtual ~Application() = default;

    // The application refers to its delegate without owning it.
    virtual void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) = 0;
    // Returns only when the application stops its run loop.
    virtual void run() = 0;
    virtual void setActivationPolicy(ActivationPolicy policy) = 0;
    virtual void terminate() = 0;
    virtual void activateIgnoringOtherApps(bool flag) = 0;
    // A modal alert with its default single button; returns once dismissed.
    virtual void runModalAlert(const std::string& messageText, const std::string& informativeText) = 0;
};

} // namespace cendrel
