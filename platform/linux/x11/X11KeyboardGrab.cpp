// The grab is made on Qt's own connection, not the backend's: the server
// sends grabbed key events to the client that grabbed, and Qt must receive
// them to deliver them to the window. With owner events on, a press meant for
// one of our windows goes there as usual; every other press goes to the
// grabbing window.
#include "X11KeyboardGrab.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

namespace cendrel {

namespace {

xcb_connection_t* qtConnection()
{
    const auto* application = qGuiApp;
    if (application == nullptr)
        return nullptr;
    const auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

} // namespace

std::unique_ptr<X11KeyboardGrab> X11KeyboardGrab::grab(std::uintptr_t window)
{
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr || window == 0)
        return nullptr;
    const auto cookie = xcb_grab_keyboard(connection, 1, static_cast<xcb_window_t>(window), XCB_CURRENT_TIME,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(connection, cookie, nullptr);
    const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    if (!grabbed)
        return nullptr;
    return std::unique_ptr<X11KeyboardGrab>(new X11KeyboardGrab());
}

X11KeyboardGrab::~X11KeyboardGrab()
{
    if (xcb_connection_t* connection = qtConnection()) {
        xcb_ungrab_keyboard(connection, XCB_CURRENT_TIME);
        xcb_flush(connection);
    }
}

} // namespace cendrel
