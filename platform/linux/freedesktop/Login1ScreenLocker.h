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
    // `programs`: the desktop's lockers that run as programs.
    Login1ScreenLocker(std::function<bool()> switchDisplayOff, std::function<bool()> keyboardHeldByAnother,
                       LockPrograms programs);

    // Session.Lock on the caller's own session; evidence is LockedHint.
    std::unique_ptr<LockRequest> lockSession(LockReplyHandler onReply) override;
    std::unique_ptr<LockRequest> lockScreenSaver(const std::string& name, LockReplyHandler onReply) override;
    std::unique_ptr<LockRequest> runLockCommand(const std::vector<std::string>& argv,
                                                LockReplyHandler onReply) override;
    LockPrograms lockPrograms() const override { return programs_; }
    bool screenLooksLocked() override;
    bool switchDisplayOff() override;

private:
    LockPrograms programs_;
    std::function<bool()> switchDisplayOff_;
    std::function<bool()> keyboardHeldByAnother_;
};

} // namespace cendrel
