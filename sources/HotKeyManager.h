// The one system-wide hot key, and its presses delivered on the main thread.
#pragma once

#include "HotKeys.h"
#include "Shortcut.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace cendrel {

class HotKeyManager : public std::enable_shared_from_this<HotKeyManager> {
public:
    HotKeyManager() = default;
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    // Makes `shortcut` the hot key. A refusal is logged, once for each
    // shortcut and reason however often it is tried, and leaves the earlier
    // hot key wanted, and registered unless it was equal (an equal one is
    // registered afresh, so it is gone then). True when `shortcut` is now
    // active. (`register` itself is a reserved word in C++.)
    bool registerShortcut(const Shortcut& shortcut);
    // Tries the wanted hot key again after a refusal (another program may
    // have given it up); true when it is active afterwards.
    bool retry();
    // Whether the last shortcut asked for is registered right now, and,
    // where the desktop chooses the trigger, bound to one.
    bool isActive() const;
    // Whether the desktop, not the program, chooses what the owner presses
    // for the registered hot key (a shortcuts portal).
    bool desktopChoosesTrigger() const { return registration != nullptr && desktopChooses; }
    // What the desktop said last of the registered hot key; nothing while it
    // has not answered, or where the program grabs the combination itself.
    const std::optional<DesktopBinding>& desktopBinding() const { return binding; }

    // Called on the main thread, on a later pass of the loop, once per press.
    // Read afresh when the press is delivered.
    std::function<void()> onTrigger;
    // Called on the main thread each time the desktop says something new of
    // the registered hot key; a refusal is logged first.
    std::function<void()> onBindingChange;

private:
    bool tryRegister(const Shortcut& shortcut);
    void bindingReported(const DesktopBinding& reported);
    // Logs a refusal unless it was logged for this shortcut already.
    void logRefusal(const Shortcut& shortcut, const std::string& reason);

    std::optional<Shortcut> wanted;
    std::optional<Shortcut> registered;
    std::unique_ptr<HotKeyRegistration> registration;
    bool desktopChooses = false;
    std::optional<DesktopBinding> binding;
    // Counts registrations, so that a late answer about a replaced one is
    // not taken for the current one's.
    unsigned generation = 0;
    // Refusals written to the log, so that retries do not repeat them; a
    // shortcut's are forgotten once it registers.
    std::vector<std::pair<Shortcut, std::string>> refusalsLogged;
};

} // namespace cendrel
