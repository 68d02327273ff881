#include "LinuxHotKeyEvents.h"

#include <gtest/gtest.h>

#include <array>

namespace cendrel {
namespace {

// Without an X connection nothing can be grabbed; registration says so and
// hands back no reference, as a refused Carbon registration does.
TEST(LinuxHotKeyEventsTest, RegistrationWithoutAServerIsRefusedCleanly)
{
    LinuxHotKeyEvents events(nullptr);
    auto hotKey = reinterpret_cast<HotKeyHandle>(std::uintptr_t{1});
    const OSStatus status =
        events.registerEventHotKey(37, 0x900, {fourCharCode("CNDR"), 1}, events.applicationEventTarget(), 0, &hotKey);
    EXPECT_LT(status, 0);
    EXPECT_EQ(hotKey, nullptr);
    EXPECT_NE(events.unregisterEventHotKey(nullptr), noErr);
}

TEST(LinuxHotKeyEventsTest, KeysOffTheTablesCannotBeRegistered)
{
    LinuxHotKeyEvents events(nullptr);
    HotKeyHandle hotKey = nullptr;
    // Fn has no X key code; 300 is no key at all.
    for (const std::uint32_t keyCode : {0x3Fu, 300u}) {
        EXPECT_EQ(events.registerEventHotKey(keyCode, 0x100, {}, events.applicationEventTarget(), 0, &hotKey),
                  eventHotKeyInvalidErr);
    }
}

TEST(LinuxHotKeyEventsTest, HandlersCanBeInstalledAndRemoved)
{
    LinuxHotKeyEvents events(nullptr);
    const EventTypeSpec pressed{kEventClassKeyboard, kEventHotKeyPressed};
    EventHandlerHandle handler = nullptr;
    EXPECT_EQ(events.installEventHandler(
                  events.applicationEventTarget(), [](EventHandlerCallHandle, EventHandle, void*) { return noErr; }, 1,
                  &pressed, nullptr, &handler),
              noErr);
    EXPECT_NE(handler, nullptr);
    EXPECT_NE(events.applicationEventTarget(), nullptr);
    EXPECT_EQ(events.removeEventHandler(handler), noErr);
}

TEST(LinuxHotKeyEventsTest, OnlyTheHotKeyIdentifierCanBeRead)
{
    LinuxHotKeyEvents events(nullptr);
    // The event a press hands to the handler: the identifier, and nothing else.
    EventHotKeyID pressedId{fourCharCode("CNDR"), 1};
    auto event = reinterpret_cast<EventHandle>(&pressedId);
    EventHotKeyID read{};
    std::uint32_t type = 0;
    std::size_t size = 0;
    EXPECT_EQ(
        events.getEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, &type, sizeof read, &size, &read),
        noErr);
    EXPECT_EQ(read.signature, fourCharCode("CNDR"));
    EXPECT_EQ(read.id, 1u);
    EXPECT_EQ(type, typeEventHotKeyID);
    EXPECT_EQ(size, sizeof(EventHotKeyID));
    // The out pointers for type and size may be null.
    EXPECT_EQ(events.getEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, nullptr, sizeof read, nullptr,
                                       &read),
              noErr);

    std::array<std::uint8_t, 4> small{};
    EXPECT_EQ(events.getEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, nullptr, small.size(),
                                       nullptr, small.data()),
              eventParameterNotFoundErr);
    EXPECT_EQ(
        events.getEventParameter(event, fourCharCode("xxxx"), typeEventHotKeyID, nullptr, sizeof read, nullptr, &read),
        eventParameterNotFoundErr);
    EXPECT_EQ(events.getEventParameter(event, kEventParamDirectObject, fourCharCode("type"), nullptr, sizeof read,
                                       nullptr, &read),
              eventParameterNotFoundErr);
    EXPECT_EQ(events.getEventParameter(nullptr, kEventParamDirectObject, typeEventHotKeyID, nullptr, sizeof read,
                                       nullptr, &read),
              eventParameterNotFoundErr);
}

} // namespace
} // namespace cendrel
