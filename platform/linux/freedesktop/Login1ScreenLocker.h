// The lock steps of a freedesktop session: login1, the screen savers on the
// session bus and the lock commands, with the display-off stand-in and the
// evidence the X server gives.
#pragma once

#include "DesktopLockers.h"
#include "ScreenLocker.h"
#include "SystemLog.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace cendrel {

// What a D-Bus error in answer to a Lock call means for the lock.
LockFailure lockFailureFromError(std::string_view errorName);

// The lockers of the session's kind (DesktopLockers), each asked the
// freedesktop way.
class Login1ScreenLocker final : public ScreenLocker {
public:
    // `lockCommand`: the owner's `lock.command`, read at each lock.
    // `switchDisplayOff`: true when the display went off.
    // `keyboardHeldByAnother`: true when another client holds the keyboard.
    Login1ScreenLocker(LinuxDesktop desktop, std::function<std::optional<std::string>()> lockCommand,
                       std::shared_ptr<SystemLog> log, std::function<bool()> switchDisplayOff,
                       std::function<bool()> keyboardHeldByAnother);

    std::vector<LockStep> lockSteps() override;
    bool screenLooksLocked() override;
    bool switchDisplayOff() override;
    bool lockerFound() override;

private:
    LinuxDesktop desktop_;
    std::function<std::optional<std::string>()> lockCommand_;
    std::shared_ptr<SystemLog> log_;
    std::function<bool()> switchDisplayOff_;
    std::function<bool()> keyboardHeldByAnother_;
};

} // namespace cendrel
