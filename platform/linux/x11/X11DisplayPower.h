// Switching the display off through the X server's DPMS extension.
#pragma once

#include "SystemLog.h"
#include "X11Connection.h"

#include <memory>

namespace cendrel {

class X11DisplayPower {
public:
    X11DisplayPower(std::shared_ptr<X11Connection> x, std::shared_ptr<SystemLog> log);

    // Switches every monitor of the display off now; the next input switches
    // them on again. False, after a log line saying why, when the server
    // cannot (no DPMS, as under Xvfb, or a refusal).
    bool switchOff();

private:
    std::shared_ptr<X11Connection> x_;
    std::shared_ptr<SystemLog> log_;
};

} // namespace cendrel
