// The hot-key part of the Carbon event manager, in its own shape: opaque
// references, four-character codes and a plain handler function.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cendrel {

using OSStatus = std::int32_t;
constexpr OSStatus noErr = 0;

struct OpaqueEventTargetHandle;
struct OpaqueEventHandlerHandle;
struct OpaqueEventHandlerCallHandle;
struct OpaqueEventHandle;
struct OpaqueHotKeyHandle;
using EventTargetHandle = OpaqueEventTargetHandle*;
using EventHandlerHandle = OpaqueEventHandlerHandle*;
using EventHandlerCallHandle = OpaqueEventHandlerCallHandle*;
using EventHandle = OpaqueEventHandle*;
using HotKeyHandle = OpaqueHotKeyHandle*;

constexpr std::uint32_t fourCharCode(const char (&code)[5])
{
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16) |
           (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

constexpr std::uint32_t kEventClassKeyboard = fourCharCode("keyb");
constexpr std::uint32_t kEventHotKeyPressed = 5;
constexpr std::uint32_t kEventParamDirectObject = fourCharCode("----");
constexpr std::uint32_t typeEventHotKeyID = fourCharCode("hkid");

struct EventTypeSpec {
    std::uint32_t eventClass = 0;
    std::uint32_t eventKind = 0;
};

// Signature first, then id: 8 bytes, as the event manager lays it out.
struct EventHotKeyID {
    std::uint32_t signature = 0;
    std::uint32_t id = 0;
};

using EventHandlerProc = OSStatus (*)(EventHandlerCallHandle callRef, EventHandle event, void* userData);

class HotKeyEvents {
public:
    HotKeyEvents() = default;
    HotKeyEvents(const HotKeyEvents&) = delete;
    HotKeyEvents& operator=(const HotKeyEvents&) = delete;
    virtual ~HotKeyEvents() = default;

    virtual EventTargetHandle applicationEventTarget() = 0;
    // Each call of the handler receives userData.
    virtual OSStatus installEventHandler(EventTargetHandle target, EventHandlerProc handler, std::uint32_t typeCount,
                                         const EventTypeSpec* types, void* userData,
                                         EventHandlerHandle* outHandler) = 0;
    virtual OSStatus removeEventHandler(EventHandlerHandle handler) = 0;
    // Presses of the combination reach the target as hot-key-pressed events
    // carrying the identifier.
    virtual OSStatus registerEventHotKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID hotKeyID,
                                         EventTargetHandle target, std::uint32_t options, HotKeyHandle* outHotKey) = 0;
    virtual OSStatus unregisterEventHotKey(HotKeyHandle hotKey) = 0;
    // Copies the named parameter of the event into outData. Either out
    // pointer for the actual type and size may be null.
    virtual OSStatus getEventParameter(EventHandle event, std::uint32_t name, std::uint32_t desiredType,
                                       std::uint32_t* outActualType, std::size_t bufferSize, std::size_t* outActualSize,
                                       void* outData) = 0;
};

} // namespace cendrel
