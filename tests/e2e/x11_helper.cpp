// A second X client for the end-to-end tests: holds a key grab the way
// another program would, or sends an XTEST click and says when it left.
//   x11_helper grab <keycode> <modifiers>   grabs, prints "grabbed", waits for stdin to close
//   x11_helper click <button>                 prints the CLOCK_MONOTONIC seconds of the press
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
    char buffer[64];
    while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
    }
    return 0;
}

int click(xcb_connection_t* connection, xcb_window_t root, int button)
{
    const auto detail = static_cast<std::uint8_t>(button);
    const auto pressed = std::chrono::steady_clock::now();
    xcb_test_fake_input(connection, XCB_BUTTON_PRESS, detail, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_flush(connection);
    xcb_test_fake_input(connection, XCB_BUTTON_RELEASE, detail, XCB_CURRENT_TIME, root, 0, 0, 0);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    const double seconds = std::chrono::duration<double>(pressed.time_since_epoch()).count();
    std::printf("%.6f\n", seconds);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fputs("usage: x11_helper grab <keycode> <modifiers> | click <button>\n", stderr);
        return 2;
    }
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fputs("x11_helper: cannot open the display\n", stderr);
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::string command = argv[1];
    int status = 2;
    if (command == "grab" && argc == 4) {
        status = grab(connection, root, std::atoi(argv[2]), std::atoi(argv[3]));
    } else if (command == "click" && argc == 3) {
        status = click(connection, root, std::atoi(argv[2]));
    }
    xcb_disconnect(connection);
    return status;
}
