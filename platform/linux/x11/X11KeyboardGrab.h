// An active grab of the keyboard for one of the program's own windows.
#pragma once

#include <cstdint>
#include <memory>

namespace cendrel {

// While it lives, every key press goes to this program, even one that the
// window manager or another client holds with a passive grab (a combination
// it answers to). Released when destroyed; the server ends it on its own
// when the window is hidden.
class X11KeyboardGrab {
public:
    // Null when the server refuses: another client holds an active grab
    // (an open menu), the window is not on screen yet, or Qt is not on xcb.
    static std::unique_ptr<X11KeyboardGrab> grab(std::uintptr_t window);
    X11KeyboardGrab(const X11KeyboardGrab&) = delete;
    X11KeyboardGrab& operator=(const X11KeyboardGrab&) = delete;
    ~X11KeyboardGrab();

private:
    X11KeyboardGrab() = default;
};

} // namespace cendrel
