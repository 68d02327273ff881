// The system's login-item service, for the application itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cendrel {

// SMAppServiceStatus: notRegistered 0, enabled 1, requiresApproval 2, notFound 3.
constexpr std::int64_t loginItemStatusEnabled = 1;

struct LoginItemError {
    // The error written out as text, for the log.
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
    virtual std::int64_t status() = 0;
    // Nothing on success, the error when the service refused.
    virtual std::optional<LoginItemError> registerMainApp() = 0;
    virtual std::optional<LoginItemError> unregisterMainApp() = 0;
};

} // namespace cendrel
