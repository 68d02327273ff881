// The one system-wide shortcut.
#pragma once

#include "Keys.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

namespace cendrel {

// What the desktop made of a hot key whose trigger it chooses itself (a
// shortcuts portal, where the owner confirms or changes the combination).
struct DesktopBinding {
    enum class Outcome {
        // The desktop bound it, through its shortcuts service or as a key the
        // owner bound to Cendrel's command in its settings; `text` is its own
        // words for what the owner presses, empty when it left the shortcut
        // without a trigger.
        assigned,
        // It would not bind it; `text` says why, in words for the log.
        refused,
        // The desktop offers no such service: the owner binds a key to
        // Cendrel's command there.
        unavailable,
    };
    Outcome outcome = Outcome::unavailable;
    std::string text;
    friend bool operator==(const DesktopBinding&, const DesktopBinding&) = default;
};

// Where the owner binds a key to Cendrel's command when nothing binds the
// shortcut for the program, and what to enter there.
struct BindingAdvice {
    std::string where;
    std::string what;
};

// A shortcut as the advice needs it: the key as desktops write it in their
// shortcut settings ("l", "comma") and as the owner reads it ("Alt+Super+L").
struct ShortcutWords {
    Modifiers modifiers;
    std::string keySymbol;
    std::string displayText;
};

// A registered hot key. Releasing it unregisters it.
class HotKeyRegistration {
public:
    HotKeyRegistration() = default;
    HotKeyRegistration(const HotKeyRegistration&) = delete;
    HotKeyRegistration& operator=(const HotKeyRegistration&) = delete;
    virtual ~HotKeyRegistration() = default;

    // Where the desktop chooses the trigger, true, and `onBinding` is told on
    // the main thread, on a later pass of the loop, once the desktop has
    // answered and again whenever the owner changes the trigger there; until
    // then no press arrives. False for a hot key the program grabs itself,
    // whose combination is the trigger from the start: `onBinding` is then
    // never called.
    virtual bool reportBinding(std::function<void(const DesktopBinding&)> onBinding)
    {
        (void)onBinding;
        return false;
    }
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

    // False where a combination the program grabs itself reaches it only
    // from some programs (an X grab under a Wayland compositor): there only
    // a binding the desktop makes arms the guard.
    virtual bool grabHearsEveryKey() const { return true; }

    // What the owner enters, and where, to bind `shortcut` to `command` in
    // the desktop's own notation.
    virtual BindingAdvice bindingAdvice(const ShortcutWords& shortcut, const std::string& command) const
    {
        return {"the desktop's keyboard shortcut settings", shortcut.displayText + " running " + command};
    }
};

} // namespace cendrel
