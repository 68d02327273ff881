#include "HotKeyManager.h"

#include "Platform.h"

#include <string>

namespace cendrel {

HotKeyManager::HotKeyManager()
{
    installHandler();
}

HotKeyManager::~HotKeyManager()
{
    HotKeyEvents& events = *platform().hotKeyEvents;
    if (hotKeyRef) {
        events.unregisterEventHotKey(hotKeyRef);
        hotKeyRef = nullptr;
    }
    if (eventHandler) {
        events.removeEventHandler(eventHandler);
        eventHandler = nullptr;
    }
    onTrigger = nullptr;
}

void HotKeyManager::installHandler()
{
    HotKeyEvents& events = *platform().hotKeyEvents;
    const EventTypeSpec pressed{kEventClassKeyboard, kEventHotKeyPressed};
    // The handler gets our plain address: it must not keep us alive, and it is
    // removed before we go.
    events.installEventHandler(events.applicationEventTarget(), &HotKeyManager::handlePress, 1, &pressed, this,
                               &eventHandler);
}

void HotKeyManager::registerShortcut(const Shortcut& shortcut)
{
    HotKeyEvents& events = *platform().hotKeyEvents;
    if (hotKeyRef) {
        events.unregisterEventHotKey(hotKeyRef);
        hotKeyRef = nullptr;
    }
    const OSStatus status =
        events.registerEventHotKey(shortcut.keyCode, shortcut.carbonModifiers, EventHotKeyID{signature, hotKeyID},
                                   events.applicationEventTarget(), 0, &hotKeyRef);
    if (status != noErr) {
        hotKeyRef = nullptr;
        platform().systemLog->log("Cendrel: failed to register hotkey (status " + std::to_string(status) + ")");
    }
}

OSStatus HotKeyManager::handlePress(EventHandlerCallHandle, EventHandle event, void* userData)
{
    if (!userData)
        return noErr;
    auto self = static_cast<HotKeyManager*>(userData)->weak_from_this().lock();
    if (!self)
        return noErr;
    const Platform& system = platform();
    EventHotKeyID pressed{};
    system.hotKeyEvents->getEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, nullptr, sizeof pressed,
                                           nullptr, &pressed);
    // Only the id half is ours to compare; the signature is not.
    if (pressed.id == hotKeyID) {
        system.runLoop->postToMainQueue([self] {
            if (auto callback = self->onTrigger)
                callback();
        });
    }
    return noErr;
}

} // namespace cendrel
