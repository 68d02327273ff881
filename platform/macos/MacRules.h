// What the macOS backend decides, as plain C++ with the system calls passed
// in, so that the Linux test build runs it; the .mm files hold the calls.
#pragma once

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

    // A registration's press handler; the key is its address, for remove().
    void add(const void* key, std::function<void()> onPress);
    void remove(const void* key);
    // From the event handler, with the id it read: posts one delivery to the
    // main queue when the press is ours.
    void pressed(std::uint32_t pressedId);

private:
    void deliver();

    Poster toMainQueue_;
    std::vector<std::pair<const void*, std::function<void()>>> live_;
};

// Whether a key press in another application can be seen: only by a process
// trusted for Accessibility, and never while any application has secure
// event input on (a focused password field, Secure Keyboard Entry).
struct KeyWatchSystem {
    std::function<bool()> isTrusted;
    // The system's own prompt to grant the trust; answers the trust as now.
    std::function<bool()> askForTrust;
    std::function<bool()> secureInputOn;
};

class KeyWatchCheck {
public:
    explicit KeyWatchCheck(KeyWatchSystem system) : system_(std::move(system)) {}
    // Asks for the trust the first time it is missing, once per launch.
    bool keyPressesVisible();

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

// Hiding the application when the recorder goes, which gives the key focus
// back, but never while a modal alert runs: it would wait on a window no
// one can see.
void hideUnlessModal(const std::function<bool()>& modalRunning, const std::function<void()>& hide);

// SMAppService's status, by its value.
enum class LoginItemStatus : long { notRegistered = 0, enabled = 1, requiresApproval = 2, notFound = 3 };
bool loginItemEnabled(long status);
bool loginItemNeedsApproval(long status);

} // namespace cendrel::mac
