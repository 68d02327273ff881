// The session lock through logind, then the desktop's screen saver, and the
// display-off stand-in.
#pragma once

#include "ScreenLocker.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QString;

namespace cendrel {

// What a D-Bus error from the Lock call means for the lock.
LockFailure lockFailureFromError(const QString& errorName);
// The socket a D-Bus address list names first among its unix addresses (an
// abstract name begins with a NUL byte); nothing when it names none.
std::optional<std::string> unixSocketOfBusAddress(std::string_view addresses);

class Login1ScreenLocker final : public ScreenLocker {
public:
    // `switchDisplayOff` is the stand-in: true when the display went off.
    explicit Login1ScreenLocker(std::function<bool()> switchDisplayOff);

    // Never holds the caller more than a second.
    void lockSession(const std::function<void(LockFailure)>& onFailure) override;
    // org.freedesktop.ScreenSaver on the session bus, in what is left of the
    // session lock's second.
    std::optional<LockFailure> lockScreenSaver() override;
    bool sleepDisplay() override;

private:
    std::function<bool()> switchDisplayOff_;
    std::chrono::steady_clock::time_point deadline_;
};

} // namespace cendrel
