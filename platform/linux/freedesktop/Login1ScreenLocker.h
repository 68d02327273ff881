// The lock steps of a freedesktop session: login1, the screen savers on the
// session bus and a lock command, with the display-off stand-in and the
// evidence the X server gives.
#pragma once

#include "ScreenLocker.h"

#include <functional>
#include <string_view>

namespace cendrel {

// What a D-Bus error in answer to a Lock call means for the lock.
LockFailure lockFailureFromError(std::string_view errorName);

class Login1ScreenLocker final : public ScreenLocker {
public:
    // `switchDisplayOff`: true when the display went off.
    // `keyboardHeldByAnother`: true when another client holds the keyboard.
    Login1ScreenLocker(std::function<bool()> switchDisplayOff, std::function<bool()> keyboardHeldByAnother);

    // Session.Lock on the caller's own session; evidence is LockedHint.
    std::unique_ptr<LockRequest> lockSession(LockReplyHandler onReply) override;
    std::unique_ptr<LockRequest> lockScreenSaver(const std::string& name, LockReplyHandler onReply) override;
    std::unique_ptr<LockRequest> runLockCommand(const std::vector<std::string>& argv,
                                                LockReplyHandler onReply) override;
    bool screenLooksLocked() override;
    bool switchDisplayOff() override;

private:
    std::function<bool()> switchDisplayOff_;
    std::function<bool()> keyboardHeldByAnother_;
};

} // namespace cendrel
