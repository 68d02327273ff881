// Switching the display off through the X server's DPMS extension, and what
// the server shows of a screen locker: its keyboard grab.
#pragma once

#include "RunLoop.h"
#include "SystemLog.h"
#include "X11Connection.h"

#include <memory>

namespace cendrel {

class X11DisplayPower {
public:
    X11DisplayPower(std::shared_ptr<X11Connection> x, std::shared_ptr<SystemLog> log, std::shared_ptr<RunLoop> runLoop);

    // Switches every monitor of the display off now; the next input switches
    // them on again. DPMS stays as the user set it: when it was disabled it
    // is disabled again once the display is back on. False, after a log line
    // saying why, when the server cannot (no DPMS, as under Xvfb, or a
    // refusal).
    bool switchOff();
    // True when another client holds the keyboard (every X screen locker
    // grabs it): our own grab of it is refused as already grabbed.
    bool keyboardHeldByAnother();

private:
    void disableOnceBackOn();

    std::shared_ptr<X11Connection> x_;
    std::shared_ptr<SystemLog> log_;
    std::shared_ptr<RunLoop> runLoop_;
    std::unique_ptr<Timer> restore_;
};

} // namespace cendrel
