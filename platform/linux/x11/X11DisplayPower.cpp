// DPMS "off" forced on the server, as `xset dpms force off` does, on our own
// connection. DPMS is enabled first: a forced level means nothing while it is
// disabled. Gap: a server without DPMS (Xvfb, some remote displays) has no
// way to switch the display off, and says so.
#include "X11DisplayPower.h"

#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace cendrel {

X11DisplayPower::X11DisplayPower(std::shared_ptr<X11Connection> x, std::shared_ptr<SystemLog> log)
    : x_(std::move(x)), log_(std::move(log))
{
}

bool X11DisplayPower::switchOff()
{
    xcb_connection_t* connection = x_->connection();
    const xcb_query_extension_reply_t* dpms = xcb_get_extension_data(connection, &xcb_dpms_id);
    if (dpms == nullptr || !dpms->present) {
        log_->log("Cendrel: the X server has no DPMS, so the display cannot be switched off");
        return false;
    }
    auto* capable = xcb_dpms_capable_reply(connection, xcb_dpms_capable(connection), nullptr);
    const bool isCapable = capable != nullptr && capable->capable != 0;
    std::free(capable);
    if (!isCapable) {
        log_->log("Cendrel: the X server's DPMS cannot switch this display off");
        return false;
    }
    const auto enable = xcb_dpms_enable_checked(connection);
    const auto off = xcb_dpms_force_level_checked(connection, XCB_DPMS_DPMS_MODE_OFF);
    bool refused = false;
    int code = 0;
    for (const auto cookie : {enable, off}) {
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            refused = true;
            code = error->error_code;
            std::free(error);
        }
    }
    if (refused) {
        log_->log("Cendrel: the X server refused to switch the display off (error " + std::to_string(code) + ")");
        return false;
    }
    return true;
}

} // namespace cendrel
