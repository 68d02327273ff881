// The backend's own connection to the X server, beside Qt's: the hot-key
// grabs, the raw input watch and the keyboard layout go through it. Its
// socket is read from the Qt event loop, so everything it reports arrives on
// the main thread.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct xcb_connection_t;
class QSocketNotifier;

namespace cendrel {

class X11Connection {
public:
    // Null when the display cannot be opened; the reason is in `error`.
    static std::shared_ptr<X11Connection> open(std::string& error);
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;
    ~X11Connection();

    // Starts reading events from the Qt event loop; needs the QApplication.
    void attachToEventLoop();

    xcb_connection_t* connection() const { return connection_; }
    std::uint32_t root() const { return root_; }
    // XInput 2.2: raw events reach the root window even while another client
    // holds a grab. Without it no input watch is possible.
    bool hasRawInput() const { return hasXInput_; }
    // The core keyboard's XKB device, or -1 when the server lacks XKB.
    std::int32_t keyboardDevice() const { return keyboardDevice_; }

    // Re-reads which modifier bit each key sets; the map can change at any
    // time (xmodmap, a new layout), so callers refresh before relying on it.
    void refreshModifierMap();
    std::uint16_t modifierOfKey(std::uint32_t keyCode) const
    {
        return keyCode < modifierOfKey_.size() ? modifierOfKey_[keyCode] : 0;
    }
    // The bit Num Lock sets today (usually Mod2; none without a Num Lock key).
    std::uint16_t numLockMask();
    // Changes whenever the keyboard, its map or its layout (group) changes.
    std::uint64_t keyboardGeneration() const { return keyboardGeneration_; }

    // Core key events: those of our own grabs. `state` is the X modifier state.
    std::function<void(bool press, std::uint8_t keyCode, std::uint16_t state)> onKey;
    // XInput raw events selected on the root window: their XI type and detail.
    std::function<void(std::uint16_t type, std::uint32_t detail)> onRawEvent;
    // After the events read in one go have all been handled: what they asked
    // for is done once here, however many there were.
    std::function<void()> onDrained;

private:
    X11Connection() = default;
    void drainEvents(bool readSocket);
    void handleEvent(const void* event);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint8_t xinputOpcode_ = 0;
    bool hasXInput_ = false;
    std::int32_t keyboardDevice_ = -1;
    std::uint8_t xkbEventBase_ = 0;
    std::uint64_t keyboardGeneration_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::array<std::uint16_t, 256> modifierOfKey_{};
};

} // namespace cendrel
