// Starting the application when the user logs in.
#pragma once

#include <optional>
#include <string>

namespace cendrel {

struct LoginItemError {
    // The error written out in full, for the log.
    std::string description;
    // The text meant for the user, for the alert.
    std::string localizedDescription;
};

class LoginItems {
public:
    LoginItems() = default;
    LoginItems(const LoginItems&) = delete;
    LoginItems& operator=(const LoginItems&) = delete;
    virtual ~LoginItems() = default;

    // Read afresh at every call; never cached.
    virtual bool isEnabled() = 0;
    // The owner switched the item off in the system's settings: registering
    // cannot turn it on again, only the owner can, there.
    virtual bool needsApproval() { return false; }
    // Opens the system's settings where login items are switched on and off.
    virtual void openSettings() {}
    // Nothing on success, the error when the system refused.
    virtual std::optional<LoginItemError> enable() = 0;
    virtual std::optional<LoginItemError> disable() = 0;
};

} // namespace cendrel
