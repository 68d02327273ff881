#include "SimHotKeyEvents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

constexpr EventTypeSpec hotKeyPressed{kEventClassKeyboard, kEventHotKeyPressed};
constexpr EventHotKeyID cndr1{fourCharCode("CNDR"), 1};

// What one installed handler saw: the identifier it read, or -1 when the
// read failed, and the status of that read.
struct Probe {
    SimHotKeyEvents* events = nullptr;
    OSStatus answer = noErr;
    std::vector<std::int64_t> ids;
    std::vector<OSStatus> readStatuses;
};

OSStatus probeHandler(EventHandlerCallHandle, EventHandle event, void* userData)
{
    auto* probe = static_cast<Probe*>(userData);
    EventHotKeyID id{0xAAAAAAAA, 0xAAAAAAAA};
    const OSStatus status = probe->events->getEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, nullptr,
                                                             sizeof id, nullptr, &id);
    probe->readStatuses.push_back(status);
    probe->ids.push_back(status == noErr ? std::int64_t{id.id} : (id.id == 0xAAAAAAAA ? -1 : -2));
    return probe->answer;
}

class SimHotKeyEventsTest : public ::testing::Test {
protected:
    EventHandlerHandle install(Probe& probe, const EventTypeSpec& type = hotKeyPressed)
    {
        probe.events = &events;
        EventHandlerHandle handle = nullptr;
        EXPECT_EQ(events.installEventHandler(events.applicationEventTarget(), probeHandler, 1, &type, &probe, &handle),
                  noErr);
        return handle;
    }
    HotKeyHandle registerKey(std::uint32_t keyCode, std::uint32_t modifiers, EventHotKeyID id = cndr1)
    {
        // Not null, so that a failure is seen to clear it.
        auto handle = reinterpret_cast<HotKeyHandle>(std::uintptr_t{0xDEAD});
        last = events.registerEventHotKey(keyCode, modifiers, id, events.applicationEventTarget(), 0, &handle);
        return handle;
    }

    SimHotKeyEvents events;
    OSStatus last = noErr;
};

TEST_F(SimHotKeyEventsTest, PressOfARegisteredCombinationReachesTheHandlerWithItsIdentifier)
{
    Probe probe;
    install(probe);
    registerKey(37, 0x900, {fourCharCode("XXXX"), 7});
    EXPECT_FALSE(events.pressHotKey(37, 0x100)) << "modifiers must match exactly";
    EXPECT_TRUE(probe.ids.empty());
    EXPECT_TRUE(events.pressHotKey(37, 0x900));
    EXPECT_EQ(probe.ids, std::vector<std::int64_t>{7});
}

TEST_F(SimHotKeyEventsTest, HandlersForOtherEventTypesOrRemovedOnesAreNotCalled)
{
    Probe wrongKind, removed;
    install(wrongKind, {kEventClassKeyboard, 6});
    auto handle = install(removed);
    EXPECT_EQ(events.removeEventHandler(handle), noErr);
    EXPECT_EQ(events.removeEventHandler(handle), SimHotKeyEvents::paramErr);
    events.deliverHotKeyEvent(cndr1);
    EXPECT_TRUE(wrongKind.ids.empty());
    EXPECT_TRUE(removed.ids.empty());
}

TEST_F(SimHotKeyEventsTest, HandlersChainNewestFirstUntilOneHandlesTheEvent)
{
    Probe older, newer;
    install(older);
    install(newer);
    newer.answer = SimHotKeyEvents::eventNotHandledErr;
    events.deliverHotKeyEvent(cndr1);
    newer.answer = noErr;
    events.deliverHotKeyEvent(cndr1);
    EXPECT_EQ(newer.ids.size(), 2u);
    EXPECT_EQ(older.ids.size(), 1u);
    EXPECT_EQ(events.handlerStatuses(), (std::vector<OSStatus>{SimHotKeyEvents::eventNotHandledErr, noErr, noErr}));
}

TEST_F(SimHotKeyEventsTest, EventWithoutIdentifierLeavesTheBufferUntouched)
{
    Probe probe;
    install(probe);
    events.deliverEventWithoutIdentifier();
    EXPECT_EQ(probe.ids, std::vector<std::int64_t>{-1});
    EXPECT_EQ(probe.readStatuses, std::vector<OSStatus>{SimHotKeyEvents::eventParameterNotFoundErr});
}

TEST_F(SimHotKeyEventsTest, ParameterReadsCheckNameTypeAndSize)
{
    struct Read {
        std::uint32_t name;
        std::uint32_t type;
        std::size_t size;
        OSStatus expected;
    };
    const std::vector<Read> reads{
        {kEventParamDirectObject, typeEventHotKeyID, 8, noErr},
        {kEventParamDirectObject, typeEventHotKeyID, 16, noErr},
        {kEventParamDirectObject, typeEventHotKeyID, 4, SimHotKeyEvents::paramErr},
        {fourCharCode("kcod"), typeEventHotKeyID, 8, SimHotKeyEvents::eventParameterNotFoundErr},
        {kEventParamDirectObject, fourCharCode("magn"), 8, SimHotKeyEvents::eventParameterNotFoundErr},
    };
    struct Context {
        SimHotKeyEvents* events;
        const std::vector<Read>* reads;
        std::vector<OSStatus> statuses;
        std::vector<std::uint32_t> ids;
        std::uint32_t actualType = 0;
        std::size_t actualSize = 0;
    } context{&events, &reads, {}, {}};
    auto handler = [](EventHandlerCallHandle, EventHandle event, void* data) -> OSStatus {
        auto* c = static_cast<Context*>(data);
        for (const auto& read : *c->reads) {
            std::uint32_t buffer[4] = {0, 0, 0, 0};
            c->statuses.push_back(c->events->getEventParameter(event, read.name, read.type, &c->actualType, read.size,
                                                               &c->actualSize, buffer));
            c->ids.push_back(buffer[1]);
        }
        return noErr;
    };
    events.installEventHandler(events.applicationEventTarget(), handler, 1, &hotKeyPressed, &context, nullptr);
    events.deliverHotKeyEvent(cndr1);
    for (std::size_t i = 0; i < reads.size(); ++i) {
        EXPECT_EQ(context.statuses[i], reads[i].expected) << "read " << i;
        EXPECT_EQ(context.ids[i], reads[i].expected == noErr ? 1u : 0u) << "read " << i;
    }
    EXPECT_EQ(context.actualType, typeEventHotKeyID);
    EXPECT_EQ(context.actualSize, 8u);
}

TEST_F(SimHotKeyEventsTest, RegistrationFailuresKeepNothing)
{
    auto first = registerKey(37, 0x900);
    EXPECT_EQ(last, noErr);
    EXPECT_EQ(registerKey(37, 0x900), nullptr);
    EXPECT_EQ(last, SimHotKeyEvents::eventHotKeyExistsErr);

    events.setRegistrationStatus(-9999);
    EXPECT_EQ(registerKey(12, 0x100), nullptr);
    EXPECT_EQ(last, -9999);
    EXPECT_FALSE(events.pressHotKey(12, 0x100));
    events.setRegistrationStatus(noErr);
    EXPECT_NE(registerKey(12, 0x100), nullptr);

    EXPECT_EQ(events.unregisterEventHotKey(first), noErr);
    EXPECT_EQ(events.unregisterEventHotKey(first), SimHotKeyEvents::eventHotKeyInvalidErr);
    ASSERT_EQ(events.registrations().size(), 1u);
    EXPECT_EQ(events.registrations()[0].keyCode, 12u);
    EXPECT_EQ(events.operations(), (std::vector<std::string>{
                                       "register 37 2304 CNDR/1",
                                       "register 37 2304 CNDR/1 -> -9878",
                                       "register 12 256 CNDR/1 -> -9999",
                                       "register 12 256 CNDR/1",
                                       "unregister 37 2304",
                                       "unregister -> -9879",
                                   }));
}

TEST_F(SimHotKeyEventsTest, HandlerMayRemoveItselfWhileCalled)
{
    struct Self {
        SimHotKeyEvents* events;
        EventHandlerHandle handle = nullptr;
        int calls = 0;
    } self{&events};
    auto handler = [](EventHandlerCallHandle, EventHandle, void* data) -> OSStatus {
        auto* s = static_cast<Self*>(data);
        ++s->calls;
        s->events->removeEventHandler(s->handle);
        return SimHotKeyEvents::eventNotHandledErr;
    };
    Probe older;
    install(older);
    events.installEventHandler(events.applicationEventTarget(), handler, 1, &hotKeyPressed, &self, &self.handle);
    events.deliverHotKeyEvent(cndr1);
    events.deliverHotKeyEvent(cndr1);
    EXPECT_EQ(self.calls, 1);
    EXPECT_EQ(older.ids.size(), 2u);
}

} // namespace
} // namespace cendrel
