// DPMS "off" forced on the server, as `xset dpms force off` does, on our own
// connection. A forced level means nothing while DPMS is disabled, so a
// disabled DPMS is enabled for the moment and disabled again, once the
// display is back on (disabling it switches the display on). Timeouts are
// never touched. Gap: a server without DPMS (Xvfb, some remote displays) has
// no way to switch the display off, and says so.
#include "X11DisplayPower.h"

#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace cendrel {

namespace {

// While the display is off, how often to look whether it is back on.
constexpr Seconds restoreInterval{2.0};

struct Info {
    bool enabled = false;
    bool on = true;
};

std::optional<Info> dpmsInfo(xcb_connection_t* connection)
{
    auto* info = xcb_dpms_info_reply(connection, xcb_dpms_info(connection), nullptr);
    if (info == nullptr)
        return std::nullopt;
    const Info state{info->state != 0, info->power_level == XCB_DPMS_DPMS_MODE_ON};
    std::free(info);
    return state;
}

} // namespace

X11DisplayPower::X11DisplayPower(std::shared_ptr<X11Connection> x, std::shared_ptr<SystemLog> log,
                                 std::shared_ptr<RunLoop> runLoop)
    : x_(std::move(x)), log_(std::move(log)), runLoop_(std::move(runLoop))
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
    const auto before = dpmsInfo(connection);
    if (!isCapable || !before) {
        log_->log("Cendrel: the X server's DPMS cannot switch this display off");
        return false;
    }
    const bool enable = !before->enabled;
    xcb_void_cookie_t cookies[2];
    std::size_t sent = 0;
    if (enable)
        cookies[sent++] = xcb_dpms_enable_checked(connection);
    cookies[sent++] = xcb_dpms_force_level_checked(connection, XCB_DPMS_DPMS_MODE_OFF);
    int code = 0;
    for (std::size_t i = 0; i < sent; ++i) {
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookies[i])) {
            code = error->error_code;
            std::free(error);
        }
    }
    if (enable && !restore_)
        disableOnceBackOn();
    if (code != 0) {
        log_->log("Cendrel: the X server refused to switch the display off (error " + std::to_string(code) + ")");
        return false;
    }
    return true;
}

void X11DisplayPower::disableOnceBackOn()
{
    restore_ = runLoop_->scheduleTimer(restoreInterval, true, [this] {
        xcb_connection_t* connection = x_->connection();
        const auto now = dpmsInfo(connection);
        if (now && !now->on)
            return;
        if (now && now->enabled)
            xcb_dpms_disable(connection);
        xcb_flush(connection);
        // Released last: this block belongs to it.
        restore_.reset();
    });
}

bool X11DisplayPower::keyboardHeldByAnother()
{
    xcb_connection_t* connection = x_->connection();
    auto* grab = xcb_grab_keyboard_reply(
        connection,
        xcb_grab_keyboard(connection, 0, x_->root(), XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr);
    const bool held = grab != nullptr && grab->status == XCB_GRAB_STATUS_ALREADY_GRABBED;
    if (grab != nullptr && grab->status == XCB_GRAB_STATUS_SUCCESS) {
        xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
    std::free(grab);
    return held;
}

} // namespace cendrel
