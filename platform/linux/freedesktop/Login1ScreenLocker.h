// The session lock through logind, and the display-off stand-in.
#pragma once

#include "ScreenLocker.h"

class QString;

namespace cendrel {

// What a D-Bus error from the Lock call means for the lock.
LockFailure lockFailureFromError(const QString& errorName);

class Login1ScreenLocker final : public ScreenLocker {
public:
    void lockSession(const std::function<void(LockFailure)>& onFailure) override;
    // Starts `xset dpms force off`, found on PATH, without waiting for it.
    bool sleepDisplay() override;
};

} // namespace cendrel
