// The backend's own connection to the X server, beside Qt's: passive key
// grabs for the hot key, XInput 2 raw events for the armed input watch and
// the keyboard layout through xkbcommon. Its socket is read from the Qt event
// loop, so everything it reports arrives on the main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;
struct xkb_context;
class QSocketNotifier;

namespace cendrel {

struct RawInput {
    enum class Kind { keyPress, keyRelease, buttonPress, buttonRelease };
    Kind kind = Kind::keyPress;
    // X key code for keys, button number for buttons.
    std::uint32_t detail = 0;
};

class LinuxXConnection {
public:
    // Null when the display cannot be opened; the reason is in `error`.
    static std::shared_ptr<LinuxXConnection> open(std::string& error);
    LinuxXConnection(const LinuxXConnection&) = delete;
    LinuxXConnection& operator=(const LinuxXConnection&) = delete;
    ~LinuxXConnection();

    // Starts reading events from the Qt event loop; needs the QApplication.
    void attachToEventLoop();

    // A grab of the key with exactly these modifiers, plus the Num Lock and
    // Caps Lock variants so that neither lock spoils the shortcut. False when
    // the server refuses any variant (another client holds it); nothing is
    // kept then.
    bool grabKey(std::uint8_t keycode, std::uint16_t modifiers);
    void ungrabKey(std::uint8_t keycode, std::uint16_t modifiers);
    // Called for each press of a grabbed combination; not for the presses a
    // held key repeats.
    std::function<void(std::uint8_t keycode, std::uint16_t modifiers)> onGrabbedKeyPress;

    // False when the server lacks XInput 2.2: no input watch is possible.
    bool hasRawInput() const { return hasXInput_; }
    // Raw input is selected only while someone wants it, so an idle program
    // wakes for nothing.
    void setRawInputWanted(bool wanted);
    // Raw presses and releases from every device, minus what a global watch
    // must not see: modifier keys on their own and presses of a grabbed
    // combination (those belong to the hot key).
    std::function<void(const RawInput&)> onRawInput;

    // The text the key types with no modifiers in the keyboard's current
    // layout; nothing when it types none.
    std::optional<std::string> textForKey(std::uint8_t keycode);

private:
    LinuxXConnection() = default;
    void drainEvents();
    void handleEvent(const void* event);
    void handleRawEvent(std::uint16_t type, std::uint32_t detail);
    void refreshModifierMap();
    std::uint16_t numLockMask();

    struct Grab {
        std::uint8_t keycode;
        std::uint16_t modifiers;
        // The lock variants the server granted: Num Lock may move to another
        // modifier before the grab is released.
        std::vector<std::uint16_t> variants;
    };

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint8_t xinputOpcode_ = 0;
    bool hasXInput_ = false;
    bool rawSelected_ = false;
    xkb_context* xkbContext_ = nullptr;
    std::int32_t xkbDevice_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::vector<Grab> grabs_;
    // Grabbed keys pressed and not yet released: further presses are repeats.
    std::vector<std::uint8_t> grabbedKeysDown_;
    // Modifier bit of each X key code (0 for ordinary keys).
    std::vector<std::uint16_t> modifierOfKey_ = std::vector<std::uint16_t>(256, 0);
    // Modifiers held, tracked from raw events so that a grabbed combination
    // is recognised in order, even when it has long been released by the time
    // its events are read.
    std::uint16_t heldModifiers_ = 0;
    std::vector<std::uint8_t> heldModifierKeys_;
};

} // namespace cendrel
