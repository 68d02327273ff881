// Hot keys as passive grabs on the root window of the backend's own X
// connection; a press reaches the installed handlers as a hot-key-pressed
// event, as the Carbon event manager delivers it; a held hot key fires once.
#include "LinuxHotKeyEvents.h"

#include "LinuxKeyCodes.h"

#include <algorithm>
#include <cstring>

namespace cendrel {

struct LinuxHotKeyEvents::Handler {
    EventHandlerProc proc = nullptr;
    std::vector<EventTypeSpec> types;
    void* userData = nullptr;
};

struct LinuxHotKeyEvents::Registration {
    std::uint8_t keycode = 0;
    std::uint16_t modifiers = 0;
    EventHotKeyID id;
};

namespace {

// What an EventHandle points to while a handler runs.
struct HotKeyPressedEvent {
    EventHotKeyID id;
};

// There is one target, the application; any distinct non-null value names it.
OpaqueEventTargetHandle* applicationTarget()
{
    static int target = 0;
    return reinterpret_cast<OpaqueEventTargetHandle*>(&target);
}

} // namespace

LinuxHotKeyEvents::LinuxHotKeyEvents(std::shared_ptr<LinuxXConnection> x) : x_(std::move(x))
{
    if (x_) {
        x_->onGrabbedKeyPress = [this](std::uint8_t keycode, std::uint16_t modifiers) {
            dispatchPress(keycode, modifiers);
        };
    }
}

LinuxHotKeyEvents::~LinuxHotKeyEvents()
{
    if (x_) {
        x_->onGrabbedKeyPress = nullptr;
        for (const auto& registration : registrations_) {
            x_->ungrabKey(registration->keycode, registration->modifiers);
        }
    }
}

EventTargetHandle LinuxHotKeyEvents::applicationEventTarget()
{
    return applicationTarget();
}

OSStatus LinuxHotKeyEvents::installEventHandler(EventTargetHandle, EventHandlerProc handler, std::uint32_t typeCount,
                                                const EventTypeSpec* types, void* userData,
                                                EventHandlerHandle* outHandler)
{
    auto entry = std::make_unique<Handler>();
    entry->proc = handler;
    entry->userData = userData;
    if (types != nullptr) {
        entry->types.assign(types, types + typeCount);
    }
    if (outHandler != nullptr) {
        *outHandler = reinterpret_cast<EventHandlerHandle>(entry.get());
    }
    handlers_.push_back(std::move(entry));
    return noErr;
}

OSStatus LinuxHotKeyEvents::removeEventHandler(EventHandlerHandle handler)
{
    std::erase_if(handlers_,
                  [&](const auto& entry) { return reinterpret_cast<EventHandlerHandle>(entry.get()) == handler; });
    return noErr;
}

OSStatus LinuxHotKeyEvents::registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID hotKeyID,
                                                EventTargetHandle, std::uint32_t, HotKeyHandle* outHotKey)
{
    if (outHotKey != nullptr) {
        *outHotKey = nullptr;
    }
    const auto keycode = linux_keys::xKeycodeFromMacKeyCode(keyCode);
    if (!keycode || !x_) {
        return eventHotKeyInvalidErr;
    }
    const auto xModifiers = linux_keys::xModifiersFromCarbon(modifiers);
    const bool taken = std::any_of(registrations_.begin(), registrations_.end(), [&](const auto& registration) {
        return registration->keycode == *keycode && registration->modifiers == xModifiers;
    });
    if (taken || !x_->grabKey(*keycode, xModifiers)) {
        return eventHotKeyExistsErr;
    }
    auto registration = std::make_unique<Registration>();
    registration->keycode = *keycode;
    registration->modifiers = xModifiers;
    registration->id = hotKeyID;
    if (outHotKey != nullptr) {
        *outHotKey = reinterpret_cast<HotKeyHandle>(registration.get());
    }
    registrations_.push_back(std::move(registration));
    return noErr;
}

OSStatus LinuxHotKeyEvents::unregisterEventHotKey(HotKeyHandle hotKey)
{
    auto found = std::find_if(registrations_.begin(), registrations_.end(), [&](const auto& registration) {
        return reinterpret_cast<HotKeyHandle>(registration.get()) == hotKey;
    });
    if (found == registrations_.end()) {
        return eventHotKeyInvalidErr;
    }
    if (x_) {
        x_->ungrabKey((*found)->keycode, (*found)->modifiers);
    }
    registrations_.erase(found);
    return noErr;
}

OSStatus LinuxHotKeyEvents::getEventParameter(EventHandle event, std::uint32_t name, std::uint32_t desiredType,
                                              std::uint32_t* outActualType, std::size_t bufferSize,
                                              std::size_t* outActualSize, void* outData)
{
    if (event == nullptr || name != kEventParamDirectObject || desiredType != typeEventHotKeyID ||
        bufferSize < sizeof(EventHotKeyID) || outData == nullptr) {
        return eventParameterNotFoundErr;
    }
    const auto* pressed = reinterpret_cast<const HotKeyPressedEvent*>(event);
    std::memcpy(outData, &pressed->id, sizeof(EventHotKeyID));
    if (outActualType != nullptr) {
        *outActualType = typeEventHotKeyID;
    }
    if (outActualSize != nullptr) {
        *outActualSize = sizeof(EventHotKeyID);
    }
    return noErr;
}

void LinuxHotKeyEvents::dispatchPress(std::uint8_t keycode, std::uint16_t modifiers)
{
    for (const auto& registration : registrations_) {
        if (registration->keycode != keycode || registration->modifiers != modifiers) {
            continue;
        }
        HotKeyPressedEvent pressed{registration->id};
        // Handlers may remove themselves while running; walk a snapshot.
        std::vector<Handler> handlers;
        for (const auto& handler : handlers_) {
            handlers.push_back(*handler);
        }
        for (const auto& handler : handlers) {
            const bool wanted = std::any_of(handler.types.begin(), handler.types.end(), [](const EventTypeSpec& type) {
                return type.eventClass == kEventClassKeyboard && type.eventKind == kEventHotKeyPressed;
            });
            if (wanted && handler.proc != nullptr) {
                handler.proc(nullptr, reinterpret_cast<EventHandle>(&pressed), handler.userData);
            }
        }
        return;
    }
}

} // namespace cendrel
