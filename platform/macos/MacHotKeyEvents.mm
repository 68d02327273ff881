// HotKeyEvents on macOS: the Carbon event manager, call for call. Handlers are
// installed through one plain C trampoline, so the core's handler is called
// with its own types rather than through a cast function pointer. No gap.
#import <Carbon/Carbon.h>

#include "MacBackend.h"

#include <map>
#include <type_traits>
#include <vector>

namespace cendrel {

namespace {

// The interface's shapes are Carbon's: the values pass unchanged.
static_assert(std::is_same_v<::OSStatus, cendrel::OSStatus>);
static_assert(std::is_same_v<::OSType, std::uint32_t>);
static_assert(std::is_same_v<::ByteCount, std::size_t>);
static_assert(cendrel::kEventClassKeyboard == ::kEventClassKeyboard);
static_assert(cendrel::kEventHotKeyPressed == ::kEventHotKeyPressed);
static_assert(cendrel::kEventParamDirectObject == ::kEventParamDirectObject);
static_assert(cendrel::typeEventHotKeyID == ::typeEventHotKeyID);
static_assert(sizeof(cendrel::EventHotKeyID) == sizeof(::EventHotKeyID));

// What a Carbon handler installed for the core calls.
struct InstalledHandler {
    EventHandlerProc handler;
    void* userData;
};

} // namespace

} // namespace cendrel

extern "C" {
// The Carbon handler: a plain C function that hands the event on with the
// core's opaque types. Both sides are pointers to incomplete structs, so the
// casts change no value.
static ::OSStatus cendrelEventHandlerTrampoline(EventHandlerCallRef callRef, EventRef event, void* userData)
{
    const auto* installed = static_cast<const cendrel::InstalledHandler*>(userData);
    return installed->handler(reinterpret_cast<cendrel::EventHandlerCallHandle>(callRef),
                              reinterpret_cast<cendrel::EventHandle>(event), installed->userData);
}
}

namespace cendrel {

namespace {

EventTargetRef toCarbon(EventTargetHandle target)
{
    return reinterpret_cast<EventTargetRef>(target);
}

class MacHotKeyEvents final : public HotKeyEvents {
public:
    EventTargetHandle applicationEventTarget() override
    {
        return reinterpret_cast<EventTargetHandle>(GetApplicationEventTarget());
    }

    OSStatus installEventHandler(EventTargetHandle target, EventHandlerProc handler, std::uint32_t typeCount,
                                 const EventTypeSpec* types, void* userData, EventHandlerHandle* outHandler) override
    {
        std::vector<::EventTypeSpec> carbonTypes;
        carbonTypes.reserve(typeCount);
        for (std::uint32_t index = 0; index < typeCount; ++index) {
            carbonTypes.push_back(::EventTypeSpec{types[index].eventClass, types[index].eventKind});
        }
        auto installed = std::make_unique<InstalledHandler>(InstalledHandler{handler, userData});
        EventHandlerRef carbonHandler = nullptr;
        ::OSStatus status = InstallEventHandler(toCarbon(target), &cendrelEventHandlerTrampoline, typeCount,
                                                carbonTypes.data(), installed.get(), &carbonHandler);
        if (outHandler != nullptr) {
            *outHandler = reinterpret_cast<EventHandlerHandle>(carbonHandler);
        }
        if (status == noErr) {
            // Kept until the handler is removed: Carbon calls the trampoline
            // with it until then.
            installed_[carbonHandler] = std::move(installed);
        }
        return status;
    }

    OSStatus removeEventHandler(EventHandlerHandle handler) override
    {
        auto carbonHandler = reinterpret_cast<EventHandlerRef>(handler);
        ::OSStatus status = RemoveEventHandler(carbonHandler);
        installed_.erase(carbonHandler);
        return status;
    }

    OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID hotKeyID,
                                 EventTargetHandle target, std::uint32_t options, HotKeyHandle* outHotKey) override
    {
        EventHotKeyRef carbonHotKey = nullptr;
        ::OSStatus status = RegisterEventHotKey(keyCode, modifiers, ::EventHotKeyID{hotKeyID.signature, hotKeyID.id},
                                                toCarbon(target), options, &carbonHotKey);
        if (outHotKey != nullptr) {
            *outHotKey = reinterpret_cast<HotKeyHandle>(carbonHotKey);
        }
        return status;
    }

    OSStatus unregisterEventHotKey(HotKeyHandle hotKey) override
    {
        return UnregisterEventHotKey(reinterpret_cast<EventHotKeyRef>(hotKey));
    }

    OSStatus getEventParameter(EventHandle event, std::uint32_t name, std::uint32_t desiredType,
                               std::uint32_t* outActualType, std::size_t bufferSize, std::size_t* outActualSize,
                               void* outData) override
    {
        return GetEventParameter(reinterpret_cast<EventRef>(event), name, desiredType, outActualType, bufferSize,
                                 outActualSize, outData);
    }

private:
    // One record per installed handler, by Carbon's reference to it.
    std::map<EventHandlerRef, std::unique_ptr<InstalledHandler>> installed_;
};

} // namespace

std::shared_ptr<HotKeyEvents> makeMacHotKeyEvents()
{
    return std::make_shared<MacHotKeyEvents>();
}

} // namespace cendrel
