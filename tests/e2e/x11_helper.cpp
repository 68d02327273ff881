// A second X client for the end-to-end tests: holds a key grab the way
// another program would, the whole keyboard the way a screen locker does, or
// chooses a layout as a layout switcher does.
//   x11_helper grab <keycode> <modifiers>   grabs, prints "grabbed", then "pressed" for each
//                                           press the grab takes, until stdin closes
//   x11_helper grab-keyboard                grabs the keyboard until the display goes
//   x11_helper group <index>                locks the keyboard's layout (XKB group) to that one
//   x11_helper window                       maps a window named "Other", prints "ready", then
//                                           "pressed" for each key typed into it and "mapped" for
//                                           each other window put on screen
#include <xcb/xcb.h>
// xkb.h names a member `explicit`, which C++ reserves.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit

#include <poll.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int grab(xcb_connection_t* connection, xcb_window_t root, int keycode, int modifiers)
{
    // Every lock variant, as a real hot-key client grabs them.
    for (const int lock : {0, 0x02, 0x10, 0x12}) {
        const auto cookie =
            xcb_grab_key_checked(connection, 1, root, static_cast<std::uint16_t>(modifiers | lock),
                                 static_cast<xcb_keycode_t>(keycode), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            std::free(error);
            std::puts("refused");
            return 1;
        }
    }
    std::puts("grabbed");
    std::fflush(stdout);
    pollfd fds[] = {{STDIN_FILENO, POLLIN, 0}, {xcb_get_file_descriptor(connection), POLLIN, 0}};
    char buffer[64];
    while (poll(fds, 2, -1) > 0) {
        if (fds[0].revents != 0 && read(STDIN_FILENO, buffer, sizeof buffer) <= 0)
            return 0;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            if ((event->response_type & 0x7f) == XCB_KEY_PRESS) {
                std::puts("pressed");
                std::fflush(stdout);
            }
            std::free(event);
        }
        if (xcb_connection_has_error(connection))
            return 1;
    }
    return 0;
}

int otherWindow(xcb_connection_t* connection, const xcb_screen_t& screen)
{
    const std::uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen.root, XCB_CW_EVENT_MASK, &rootEvents);
    const xcb_window_t window = xcb_generate_id(connection);
    const std::uint32_t events = XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_EXPOSURE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen.root, 0, 0, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen.root_visual, XCB_CW_EVENT_MASK, &events);
    const std::string name = "Other";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        static_cast<std::uint32_t>(name.size()), name.data());
    xcb_map_window(connection, window);
    xcb_flush(connection);
    // Its own window is mapped before it is exposed, and so never reported.
    bool ready = false;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection)) {
        const int type = event->response_type & 0x7f;
        std::free(event);
        const char* line = type == XCB_KEY_PRESS             ? "pressed"
                           : type == XCB_MAP_NOTIFY && ready ? "mapped"
                           : type == XCB_EXPOSE && !ready    ? "ready"
                                                             : nullptr;
        ready = ready || type == XCB_EXPOSE;
        if (line != nullptr)
            std::puts(line);
        std::fflush(stdout);
    }
    return 0;
}

int grabKeyboard(xcb_connection_t* connection, xcb_window_t root)
{
    auto* reply = xcb_grab_keyboard_reply(
        connection, xcb_grab_keyboard(connection, 0, root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
        nullptr);
    const bool grabbed = reply != nullptr && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    if (!grabbed)
        return 1;
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection))
        std::free(event);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fputs("x11_helper: cannot open the display\n", stderr);
        return 2;
    }
    const xcb_screen_t& screen = *xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t root = screen.root;
    const std::string command = argc > 1 ? argv[1] : "";
    int status = 2;
    if (command == "grab" && argc == 4) {
        status = grab(connection, root, std::atoi(argv[2]), std::atoi(argv[3]));
    } else if (command == "group" && argc == 3) {
        std::free(xcb_xkb_use_extension_reply(connection, xcb_xkb_use_extension(connection, 1, 0), nullptr));
        const auto cookie = xcb_xkb_latch_lock_state_checked(connection, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1,
                                                             static_cast<std::uint8_t>(std::atoi(argv[2])), 0, 0, 0);
        xcb_generic_error_t* error = xcb_request_check(connection, cookie);
        status = error != nullptr ? 1 : 0;
        std::free(error);
    } else if (command == "window") {
        status = otherWindow(connection, screen);
    } else if (command == "grab-keyboard") {
        status = grabKeyboard(connection, root);
    }
    xcb_disconnect(connection);
    return status;
}
