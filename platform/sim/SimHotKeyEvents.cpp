// Simulated hot-key event manager. Gap: one process and one target; another
// application holding a combination is not modelled.
#include "SimHotKeyEvents.h"

#include <algorithm>
#include <cstring>

namespace cendrel {

struct SimHotKeyEvents::Event {
    std::uint32_t eventClass = kEventClassKeyboard;
    std::uint32_t eventKind = kEventHotKeyPressed;
    std::optional<EventHotKeyID> hotKeyID;
};

namespace {
std::string fourCharText(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>((code >> shift) & 0xFF);
    return text;
}

std::string failedSuffix(OSStatus status)
{
    return " -> " + std::to_string(status);
}

template <class Handle> Handle handleFromNumber(std::uintptr_t number)
{
    return reinterpret_cast<Handle>(number);
}
} // namespace

SimHotKeyEvents::SimHotKeyEvents() = default;
SimHotKeyEvents::~SimHotKeyEvents() = default;

EventTargetHandle SimHotKeyEvents::applicationEventTarget()
{
    return reinterpret_cast<EventTargetHandle>(&targetObject_);
}

OSStatus SimHotKeyEvents::installEventHandler(EventTargetHandle target, EventHandlerProc handler,
                                              std::uint32_t typeCount, const EventTypeSpec* types, void* userData,
                                              EventHandlerHandle* outHandler)
{
    std::string entry = "install";
    for (std::uint32_t i = 0; types && i < typeCount; ++i)
        entry += " " + fourCharText(types[i].eventClass) + "/" + std::to_string(types[i].eventKind);
    if (target != applicationEventTarget() || !handler || typeCount == 0 || !types) {
        operations_.push_back(entry + failedSuffix(paramErr));
        return paramErr;
    }
    operations_.push_back(std::move(entry));
    auto handle = handleFromNumber<EventHandlerHandle>(nextHandle_++);
    handlers_.push_back({handle, target, handler, std::vector<EventTypeSpec>(types, types + typeCount), userData});
    if (outHandler)
        *outHandler = handle;
    return noErr;
}

OSStatus SimHotKeyEvents::removeEventHandler(EventHandlerHandle handler)
{
    auto found =
        std::find_if(handlers_.begin(), handlers_.end(), [handler](const auto& h) { return h.handle == handler; });
    if (found == handlers_.end()) {
        operations_.push_back("remove" + failedSuffix(paramErr));
        return paramErr;
    }
    handlers_.erase(found);
    operations_.emplace_back("remove");
    return noErr;
}

OSStatus SimHotKeyEvents::registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID hotKeyID,
                                              EventTargetHandle target, std::uint32_t options, HotKeyHandle* outHotKey)
{
    const std::string entry = "register " + std::to_string(keyCode) + " " + std::to_string(modifiers) + " " +
                              fourCharText(hotKeyID.signature) + "/" + std::to_string(hotKeyID.id);
    OSStatus status = registrationStatus_;
    if (status == noErr && (target != applicationEventTarget() || !outHotKey))
        status = paramErr;
    if (status == noErr && std::any_of(registrations_.begin(), registrations_.end(),
                                       [&](const auto& r) { return r.keyCode == keyCode && r.modifiers == modifiers; }))
        status = eventHotKeyExistsErr;
    if (status != noErr) {
        operations_.push_back(entry + failedSuffix(status));
        if (outHotKey)
            *outHotKey = nullptr;
        return status;
    }
    operations_.push_back(entry);
    auto handle = handleFromNumber<HotKeyHandle>(nextHandle_++);
    registrations_.push_back({handle, keyCode, modifiers, hotKeyID, target, options});
    *outHotKey = handle;
    return noErr;
}

OSStatus SimHotKeyEvents::unregisterEventHotKey(HotKeyHandle hotKey)
{
    auto found = std::find_if(registrations_.begin(), registrations_.end(),
                              [hotKey](const auto& r) { return r.handle == hotKey; });
    if (found == registrations_.end()) {
        operations_.push_back("unregister" + failedSuffix(eventHotKeyInvalidErr));
        return eventHotKeyInvalidErr;
    }
    operations_.push_back("unregister " + std::to_string(found->keyCode) + " " + std::to_string(found->modifiers));
    registrations_.erase(found);
    return noErr;
}

OSStatus SimHotKeyEvents::getEventParameter(EventHandle event, std::uint32_t name, std::uint32_t desiredType,
                                            std::uint32_t* outActualType, std::size_t bufferSize,
                                            std::size_t* outActualSize, void* outData)
{
    const auto* simEvent = reinterpret_cast<const Event*>(event);
    if (!simEvent || simEvent != currentEvent_)
        return paramErr;
    if (name != kEventParamDirectObject || desiredType != typeEventHotKeyID || !simEvent->hotKeyID)
        return eventParameterNotFoundErr;
    if (bufferSize < sizeof(EventHotKeyID) || !outData)
        return paramErr;
    std::memcpy(outData, &*simEvent->hotKeyID, sizeof(EventHotKeyID));
    if (outActualType)
        *outActualType = typeEventHotKeyID;
    if (outActualSize)
        *outActualSize = sizeof(EventHotKeyID);
    return noErr;
}

bool SimHotKeyEvents::pressHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers)
{
    auto found = std::find_if(registrations_.begin(), registrations_.end(),
                              [&](const auto& r) { return r.keyCode == keyCode && r.modifiers == carbonModifiers; });
    if (found == registrations_.end())
        return false;
    dispatch(Event{.hotKeyID = found->hotKeyID});
    return true;
}

void SimHotKeyEvents::deliverHotKeyEvent(EventHotKeyID hotKeyID)
{
    dispatch(Event{.hotKeyID = hotKeyID});
}

void SimHotKeyEvents::deliverEventWithoutIdentifier()
{
    dispatch(Event{});
}

void SimHotKeyEvents::dispatch(const Event& event)
{
    // Handlers may install or remove handlers: walk a snapshot of the handles.
    std::vector<EventHandlerHandle> order;
    for (auto it = handlers_.rbegin(); it != handlers_.rend(); ++it)
        if (std::any_of(it->types.begin(), it->types.end(), [&](const EventTypeSpec& type) {
                return type.eventClass == event.eventClass && type.eventKind == event.eventKind;
            }))
            order.push_back(it->handle);

    const Event* outer = currentEvent_;
    currentEvent_ = &event;
    for (auto handle : order) {
        auto found =
            std::find_if(handlers_.begin(), handlers_.end(), [handle](const auto& h) { return h.handle == handle; });
        if (found == handlers_.end())
            continue;
        const SimEventHandler handler = *found;
        const OSStatus status =
            handler.proc(reinterpret_cast<EventHandlerCallHandle>(handler.handle),
                         reinterpret_cast<EventHandle>(const_cast<Event*>(&event)), handler.userData);
        handlerStatuses_.push_back(status);
        if (status != eventNotHandledErr)
            break;
    }
    currentEvent_ = outer;
}

} // namespace cendrel
