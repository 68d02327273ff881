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
    // Whether the last shortcut asked for is registered right now.
    bool isActive() const { return registration != nullptr && registered == wanted; }

    // Called on the main thread, on a later pass of the loop, once per press.
    // Read afresh when the press is delivered.
    std::function<void()> onTrigger;

private:
    bool tryRegister(const Shortcut& shortcut);

    std::optional<Shortcut> wanted;
    std::optional<Shortcut> registered;
    std::unique_ptr<HotKeyRegistration> registration;
    // Refusals written to the log, so that retries do not repeat them; a
    // shortcut's are forgotten once it registers.
    std::vector<std::pair<Shortcut, std::string>> refusalsLogged;
};

} // namespace cendrel
