// What the macOS backend decides, as plain C++ with the system calls passed
// in, so that the Linux test build runs it; the .mm files hold the calls.
#pragma once

#include "Keys.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace cendrel::mac {

// The id half of the hot-key identifier (CNDR, 1). Only it is compared: the
// signature half says nothing the id does not.
inline constexpr std::uint32_t hotKeyId = 1;
bool isOurHotKeyPress(std::uint32_t pressedId);

// The hot-key presses of the live registrations. Every registration carries
// the same identifier, so a press does not say which one it belongs to; it
// goes to the most recent one still alive when the posted press runs (the
// core makes the new registration before it drops the old).
class HotKeyPresses final : public std::enable_shared_from_this<HotKeyPresses> {
public:
    using Poster = std::function<void(std::function<void()>)>;
    explicit HotKeyPresses(Poster toMainQueue) : toMainQueue_(std::move(toMainQueue)) {}

    // A registration's combination and press handler; the key is its
    // address, for remove().
    void add(const void* key, KeyPress combination, std::function<void()> onPress);
    void remove(const void* key);
    // From the event handler, with the id it read: posts one delivery to the
    // main queue when the press is ours.
    void pressed(std::uint32_t pressedId);
    // Whether a key press is the combination of a live registration: the
    // hot key itself, which an input monitor may see too.
    bool isLiveHotKey(const KeyPress& press) const;

private:
    void deliver();

    struct Live {
        const void* key;
        KeyPress combination;
        std::function<void()> onPress;
    };
    Poster toMainQueue_;
    std::vector<Live> live_;
};

// The input monitors' event masks, by NSEventType bit. The global monitor
// adds what types without a key press: Fn (Globe) going down, which starts
// Dictation when pressed twice, and the media, volume and brightness keys.
// Neither can be part of a shortcut. The local one leaves them out: in
// Cendrel's own windows they do nothing.
inline constexpr std::uint64_t localEventMask =
    1ULL << 1 | 1ULL << 3 | 1ULL << 25 | 1ULL << 10 | 1ULL << 22; // buttons, keyDown, scrollWheel
inline constexpr std::uint64_t globalEventMask =
    localEventMask | 1ULL << 12 | 1ULL << 14; // flagsChanged, systemDefined

// What a monitor saw, in the rules' terms. The .mm reads each field only for
// the event types that carry it: AppKit raises on the others.
struct SeenEvent {
    enum class Kind { pointer, keyDown, flagsChanged, systemDefined };
    Kind kind = Kind::pointer;
    // keyDown and flagsChanged: the key and the modifiers then held.
    KeyPress key;
    // systemDefined only.
    short subtype = 0;
    long data1 = 0;
};
// kVK_Function: the Fn key, and the Globe key that replaced it.
inline constexpr KeyCode functionKeyCode = 63;
// Whether a seen event is input that locks an armed guard. A key press of a
// live hot key is the hot key's to handle; modifier keys alone never lock,
// for every shortcut starts with them, but Fn going down does.
bool isWatchedInput(const SeenEvent& event, const HotKeyPresses& hotKeys);

// Whether a key press in another application can be seen: only by a process
// trusted for Accessibility, and never while any application has secure
// event input on (a focused password field, Secure Keyboard Entry).
struct KeyWatchSystem {
    std::function<bool()> isTrusted;
    // The system's own prompt to grant the trust; it answers at once, and
    // the owner later, in System Settings.
    std::function<void()> askForTrust;
    std::function<bool()> secureInputOn;
};

class KeyWatchCheck {
public:
    explicit KeyWatchCheck(KeyWatchSystem system) : system_(std::move(system)) {}
    // Only asks the system: never prompts, for it is asked while arming.
    bool keyPressesVisible();
    // The prompt, when the trust is missing, at most once per run.
    void offerTrust();

private:
    KeyWatchSystem system_;
    bool asked_ = false;
};

// A local monitor's answer: the event handed on, or nothing (dropped). The
// event that locked is dropped, so that it cannot open the menu or press an
// alert's button over the lock screen.
template <typename Event> Event* afterInputWatch(Event* event, const std::function<bool()>& onInput)
{
    return onInput && onInput() ? nullptr : event;
}

// The recorder takes only the key presses meant for its own panel; those
// for an alert of ours go on to it.
template <typename Event> Event* afterRecorder(Event* event, bool forPanel, const std::function<void()>& take)
{
    if (!forPanel)
        return event;
    if (take)
        take();
    return nullptr;
}

// Bringing the application forward for a panel or an alert: a hidden
// application shows none of its windows, activated or not.
struct Activation {
    std::function<bool()> isHidden;
    std::function<void()> unhideWithoutActivation;
    std::function<void()> activate;
};
void bringForward(const Activation& system);

// Hiding the application when the recorder or an alert goes, which gives the
// key focus back to the program the owner came from; never while another
// window of ours is still up (a modal alert would wait on a window no one
// can see).
void hideUnlessShowing(const std::function<bool()>& windowShown, const std::function<void()>& hide);

// A status item's menu replaced while it opens or is open goes on showing the
// old one, and a check mark set on the new one is never seen: the new menu
// waits for the close. An opening that is cancelled counts as closed, since
// AppKit does not promise a close after a cancel.
class MenuSwap {
public:
    // Runs `install` now, or keeps it (replacing any kept one) until the
    // open menu closes.
    void replace(std::function<void()> install);
    void opened() { open_ = true; }
    void closed();
    bool isOpen() const { return open_; }

private:
    bool open_ = false;
    std::function<void()> waiting_;
};

// SMAppService's status, by its value.
enum class LoginItemStatus : long { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };
bool loginItemEnabled(long status);
bool loginItemNeedsApproval(long status);

} // namespace cendrel::mac
