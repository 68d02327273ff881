// The one system-wide shortcut.
#pragma once

#include "Keys.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

namespace cendrel {

// A registered hot key. Releasing it unregisters it.
class HotKeyRegistration {
public:
    HotKeyRegistration() = default;
    HotKeyRegistration(const HotKeyRegistration&) = delete;
    HotKeyRegistration& operator=(const HotKeyRegistration&) = delete;
    virtual ~HotKeyRegistration() = default;
};

// Why a registration was refused, in words for the log: it follows
// "Cendrel: failed to register hotkey " ("(status -9878)" on macOS).
struct HotKeyFailure {
    std::string reason;
};

using HotKeyResult = std::variant<std::unique_ptr<HotKeyRegistration>, HotKeyFailure>;

class HotKeys {
public:
    HotKeys() = default;
    HotKeys(const HotKeys&) = delete;
    HotKeys& operator=(const HotKeys&) = delete;
    virtual ~HotKeys() = default;

    // Makes the combination work from every application. Each press (not the
    // repeats of a held key) calls `onPress` on the main thread, on a later
    // pass of the loop than the one that saw the press. The modifiers are
    // Control, Option, Shift and Command, and Caps Lock only when a stored
    // shortcut asks for it (the combination then needs Caps Lock on).
    virtual HotKeyResult registerHotKey(std::uint32_t keyCode, Modifiers modifiers, std::function<void()> onPress) = 0;
};

} // namespace cendrel
