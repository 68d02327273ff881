// What the guard watches while armed: the pointer, and every button press,
// key press and scroll.
#pragma once

#include "Types.h"

#include <functional>
#include <memory>
#include <string>

namespace cendrel {

// An installed input watch. Releasing it removes the watch: its handler is
// not called afterwards.
class InputWatch {
public:
    InputWatch() = default;
    InputWatch(const InputWatch&) = delete;
    InputWatch& operator=(const InputWatch&) = delete;
    virtual ~InputWatch() = default;
};

class Input {
public:
    Input() = default;
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    virtual ~Input() = default;

    // Calls `onInput` on the main thread for each mouse-button press, key
    // press or scroll the system lets us see. Button and key releases, plain
    // pointer movement and modifier keys on their own are not reported.
    // `onInput` answers true when the input locked the screen: an event bound
    // for Cendrel's own menu or windows is then dropped, so that it cannot act
    // over the lock. Null when no watch could be installed.
    virtual std::unique_ptr<InputWatch> watchInput(std::function<bool()> onInput) = 0;
    // Whether a watch installed now would see key presses (it may see only
    // the pointer and its buttons, for want of a permission or an extension).
    // Only asks: never puts anything in front of the owner, for it is asked
    // while arming.
    virtual bool canWatchKeyPresses() = 0;
    // Where seeing other programs' key presses takes a permission the owner
    // grants and it is missing, shows the system's own request for it, at
    // most once per run. Called at launch only: answering the request is a
    // click, which must not fall in a grace period.
    virtual void offerKeyWatchPermission() {}
    // What no watch can see in this session, in words for the owner ("only X
    // programs' input is watched"); empty when it sees everything. Fixed for
    // the life of the process.
    virtual std::string watchLimitation() { return {}; }
    // Why no watch installed now could see the owner's input, in words for
    // the owner that follow "cannot arm: " ("a program is keeping the screen
    // awake, so input cannot be seen"); empty when one could. May ask the
    // system and wait for its answer.
    virtual std::string whyInputIsUnseen() { return {}; }
    // The pointer in global screen coordinates. Cheap: called 25 times a
    // second while armed where the pointer is polled, and allocates nothing.
    virtual Point pointerLocation() = 0;
    // Calls `onMoved` on the main thread with the pointer's location in
    // global screen coordinates after it has moved, at most once per pass of
    // the main loop however many moves there were; a backend that misses some
    // moves (a warp) also calls it now and then. A pointer at rest costs
    // nothing or next to it. Null when this backend offers no such reports (or
    // cannot right now): the pointer is then polled.
    virtual std::unique_ptr<InputWatch> watchPointerMotion(std::function<void(Point)> onMoved) = 0;
};

} // namespace cendrel
