// Simulated Carbon hot-key event manager: one application event target,
// installed handlers, hot-key registrations, and presses routed to handlers
// synchronously, as the event manager calls them.
#pragma once

#include "HotKeyEvents.h"

#include <optional>
#include <string>
#include <vector>

namespace cendrel {

struct SimHotKeyRegistration {
    HotKeyHandle handle = nullptr;
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    EventHotKeyID hotKeyID;
    EventTargetHandle target = nullptr;
    std::uint32_t options = 0;
};

struct SimEventHandler {
    EventHandlerHandle handle = nullptr;
    EventTargetHandle target = nullptr;
    EventHandlerProc proc = nullptr;
    std::vector<EventTypeSpec> types;
    void* userData = nullptr;
};

class SimHotKeyEvents final : public HotKeyEvents {
public:
    // The event manager's status codes that the sim answers with.
    static constexpr OSStatus paramErr = -50;
    static constexpr OSStatus eventParameterNotFoundErr = -9870;
    static constexpr OSStatus eventNotHandledErr = -9874;
    static constexpr OSStatus eventHotKeyExistsErr = -9878;
    static constexpr OSStatus eventHotKeyInvalidErr = -9879;

    SimHotKeyEvents();
    ~SimHotKeyEvents() override;

    EventTargetHandle applicationEventTarget() override;
    // paramErr for a foreign target, no handler or no types. outHandler may be null.
    OSStatus installEventHandler(EventTargetHandle target, EventHandlerProc handler, std::uint32_t typeCount,
                                 const EventTypeSpec* types, void* userData, EventHandlerHandle* outHandler) override;
    // paramErr for a handler that is not installed.
    OSStatus removeEventHandler(EventHandlerHandle handler) override;
    // Fails with the status set by setRegistrationStatus(), or with
    // eventHotKeyExistsErr when the same key and modifiers are already
    // registered; a failure keeps nothing and sets *outHotKey to null.
    OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID hotKeyID,
                                 EventTargetHandle target, std::uint32_t options, HotKeyHandle* outHotKey) override;
    // eventHotKeyInvalidErr for a registration that is not live.
    OSStatus unregisterEventHotKey(HotKeyHandle hotKey) override;
    // Valid only for the event being delivered, inside a handler. Copies the
    // identifier for kEventParamDirectObject as typeEventHotKeyID into a
    // buffer of at least 8 bytes. An event without one gives
    // eventParameterNotFoundErr; a short buffer gives paramErr. On any
    // failure nothing is written.
    OSStatus getEventParameter(EventHandle event, std::uint32_t name, std::uint32_t desiredType,
                               std::uint32_t* outActualType, std::size_t bufferSize, std::size_t* outActualSize,
                               void* outData) override;

    // --- Test side -------------------------------------------------------
    // Every later registration fails with this status; noErr lets them through again.
    void setRegistrationStatus(OSStatus status) { registrationStatus_ = status; }

    // The user presses the combination. When it is registered, a
    // hot-key-pressed event carrying the registration's identifier goes to the
    // handlers, before this returns; true then, false when nothing is
    // registered for it. Handlers run as the event manager chains them: the
    // most recently installed first, and the event stops at the first one
    // that returns anything but eventNotHandledErr.
    bool pressHotKey(std::uint32_t keyCode, std::uint32_t carbonModifiers);
    // A hot-key-pressed event with any identifier, registered or not.
    void deliverHotKeyEvent(EventHotKeyID hotKeyID);
    // A hot-key-pressed event whose direct-object parameter cannot be read.
    void deliverEventWithoutIdentifier();

    const std::vector<SimHotKeyRegistration>& registrations() const { return registrations_; }
    const std::vector<SimEventHandler>& handlers() const { return handlers_; }
    // In call order: "install keyb/5", "register 37 2304 CNDR/1",
    // "unregister 37 2304", "remove"; a failed call ends in " -> <status>".
    const std::vector<std::string>& operations() const { return operations_; }
    // What the handlers returned, in call order.
    const std::vector<OSStatus>& handlerStatuses() const { return handlerStatuses_; }

private:
    struct Event;
    void dispatch(const Event& event);

    std::uint8_t targetObject_ = 0; // its address is the application target
    std::uintptr_t nextHandle_ = 1;
    OSStatus registrationStatus_ = noErr;
    std::vector<SimHotKeyRegistration> registrations_;
    std::vector<SimEventHandler> handlers_;
    std::vector<std::string> operations_;
    std::vector<OSStatus> handlerStatuses_;
    const Event* currentEvent_ = nullptr;
};

} // namespace cendrel
