// A second X client for tools/measure-linux.py: sends XTEST input and says,
// on CLOCK_MONOTONIC, when it left; and finds when a program's hot key grab
// is in force, without holding the combination itself.
//   measure-probe click <button>                  prints the seconds of the press
//   measure-probe move <x> <y>                    moves the pointer there; prints the seconds of the move
//   measure-probe ticks <count>                   wakes 25 times a second, and does nothing else
//   measure-probe ready <key> <modifier keys…> -- <program> <arguments…>
//       starts the program, presses the combination every millisecond until
//       it no longer reaches the root window (a grab took it), and prints
//       "<pid> <seconds at start> <seconds of the first press taken>"
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// A round trip: the server has handled every request before, XTEST input
// included, and sent what it caused.
void sync(xcb_connection_t* connection)
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

void fake(xcb_connection_t* connection, xcb_window_t root, std::uint8_t type, std::uint8_t detail, int x = 0, int y = 0)
{
    xcb_test_fake_input(connection, type, detail, XCB_CURRENT_TIME, root, static_cast<std::int16_t>(x),
                        static_cast<std::int16_t>(y), 0);
}

int ready(xcb_connection_t* connection, xcb_window_t root, char** argv)
{
    const auto key = static_cast<std::uint8_t>(std::atoi(argv[0]));
    std::vector<std::uint8_t> modifiers;
    int i = 1;
    for (; argv[i] != nullptr && std::string(argv[i]) != "--"; ++i)
        modifiers.push_back(static_cast<std::uint8_t>(std::atoi(argv[i])));
    if (argv[i] == nullptr || argv[i + 1] == nullptr)
        return 2;
    char** program = argv + i + 1;
    const std::uint32_t mask = XCB_EVENT_MASK_KEY_PRESS;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    sync(connection);
    const double started = now();
    const pid_t pid = fork();
    if (pid == 0) {
        // The program outlives us: it must not hold our output open.
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execv(program[0], program);
        _exit(127);
    }
    while (now() < started + 20) {
        const double pressed = now();
        for (const auto modifier : modifiers)
            fake(connection, root, XCB_KEY_PRESS, modifier);
        fake(connection, root, XCB_KEY_PRESS, key);
        fake(connection, root, XCB_KEY_RELEASE, key);
        for (auto modifier = modifiers.rbegin(); modifier != modifiers.rend(); ++modifier)
            fake(connection, root, XCB_KEY_RELEASE, *modifier);
        sync(connection);
        bool reachedRoot = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto* press = reinterpret_cast<xcb_key_press_event_t*>(event);
            reachedRoot = reachedRoot || ((event->response_type & 0x7f) == XCB_KEY_PRESS && press->detail == key);
            std::free(event);
        }
        if (!reachedRoot) {
            std::printf("%d %.6f %.6f\n", static_cast<int>(pid), started, pressed);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::printf("%d %.6f timeout\n", static_cast<int>(pid), started);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (argc < 3 || xcb_connection_has_error(connection)) {
        std::fputs("usage: measure-probe click <button> | move <x> <y> | ticks <count>"
                   " | ready <key> <modifier keys> -- <program>\n",
                   stderr);
        return 2;
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const std::string command = argv[1];
    int status = 2;
    if (command == "ticks") {
        // The floor under any 25 Hz poll: what the wakes alone cost.
        for (int tick = std::atoi(argv[2]); tick > 0; --tick)
            poll(nullptr, 0, 40);
        status = 0;
    } else if (command == "ready") {
        status = ready(connection, root, argv + 2);
    } else if (command == "click" || (command == "move" && argc == 4)) {
        const double sent = now();
        if (command == "click") {
            const auto button = static_cast<std::uint8_t>(std::atoi(argv[2]));
            fake(connection, root, XCB_BUTTON_PRESS, button);
            xcb_flush(connection);
            fake(connection, root, XCB_BUTTON_RELEASE, button);
        } else {
            fake(connection, root, XCB_MOTION_NOTIFY, 0, std::atoi(argv[2]), std::atoi(argv[3]));
        }
        sync(connection);
        std::printf("%.6f\n", sent);
        status = 0;
    }
    xcb_disconnect(connection);
    return status;
}
