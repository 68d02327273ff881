// The one system-wide hot key, and its presses delivered on the main thread.
#pragma once

#include "HotKeyEvents.h"
#include "Shortcut.h"

#include <functional>
#include <memory>

namespace cendrel {

class HotKeyManager : public std::enable_shared_from_this<HotKeyManager> {
public:
    static constexpr std::uint32_t signature = fourCharCode("CNDR");
    static constexpr std::uint32_t hotKeyID = 1;

    // Installs the press handler; registers no key yet.
    HotKeyManager();
    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;
    // Unregisters the hot key and removes the handler.
    ~HotKeyManager();

    // Replaces the registered hot key, also by an equal one. A refusal is
    // logged; no hot key is active until the next successful call.
    // (`register` itself is a reserved word in C++.)
    void registerShortcut(const Shortcut& shortcut);

    // Called on the main thread, on a later pass of the loop, once per press.
    // Read afresh when the press is delivered.
    std::function<void()> onTrigger;

private:
    void installHandler();
    static OSStatus handlePress(EventHandlerCallHandle callRef, EventHandle event, void* userData);

    HotKeyHandle hotKeyRef = nullptr;
    EventHandlerHandle eventHandler = nullptr;
};

} // namespace cendrel
