// The Carbon-shaped hot-key interface over X key grabs on the root window.
#pragma once

#include "HotKeyEvents.h"
#include "LinuxXConnection.h"

#include <memory>
#include <vector>

namespace cendrel {

// Carbon's status for a combination that someone else already holds.
constexpr OSStatus eventHotKeyExistsErr = -9878;
// A key the tables cannot place on an X keyboard.
constexpr OSStatus eventHotKeyInvalidErr = -9879;
constexpr OSStatus eventParameterNotFoundErr = -9870;

class LinuxHotKeyEvents final : public HotKeyEvents {
public:
    explicit LinuxHotKeyEvents(std::shared_ptr<LinuxXConnection> x);
    ~LinuxHotKeyEvents() override;

    EventTargetHandle applicationEventTarget() override;
    OSStatus installEventHandler(EventTargetHandle target, EventHandlerProc handler, std::uint32_t typeCount,
                                 const EventTypeSpec* types, void* userData, EventHandlerHandle* outHandler) override;
    OSStatus removeEventHandler(EventHandlerHandle handler) override;
    OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID hotKeyID,
                                 EventTargetHandle target, std::uint32_t options, HotKeyHandle* outHotKey) override;
    OSStatus unregisterEventHotKey(HotKeyHandle hotKey) override;
    OSStatus getEventParameter(EventHandle event, std::uint32_t name, std::uint32_t desiredType,
                               std::uint32_t* outActualType, std::size_t bufferSize, std::size_t* outActualSize,
                               void* outData) override;

private:
    struct Handler;
    struct Registration;
    void dispatchPress(std::uint8_t keycode, std::uint16_t modifiers);

    std::shared_ptr<LinuxXConnection> x_;
    std::vector<std::unique_ptr<Handler>> handlers_;
    std::vector<std::unique_ptr<Registration>> registrations_;
};

} // namespace cendrel
