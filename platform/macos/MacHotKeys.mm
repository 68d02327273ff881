// HotKeys on macOS: Carbon's RegisterEventHotKey, with one press handler on
// the application event target that hands each press to the main queue
// (which registration it reaches is decided in MacRules). No gap.
#import <Carbon/Carbon.h>

#include "MacBackend.h"
#include "MacKeys.h"
#include "MacRules.h"

#include <string>
#include <utility>

namespace cendrel {

namespace {

constexpr OSType fourCharCode(const char (&code)[5])
{
    return static_cast<OSType>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<OSType>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<OSType>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<OSType>(static_cast<unsigned char>(code[3]));
}

constexpr EventHotKeyID cendrelHotKeyID = {fourCharCode("CNDR"), mac::hotKeyId};
static_assert(cendrelHotKeyID.signature == 0x434E4452, "first character in the most significant byte");

class MacHotKeyRegistration final : public HotKeyRegistration {
public:
    MacHotKeyRegistration(std::shared_ptr<mac::HotKeyPresses> presses, EventHotKeyRef hotKey, KeyPress combination,
                          std::function<void()> onPress)
        : presses_(std::move(presses)), hotKey_(hotKey)
    {
        presses_->add(this, combination, std::move(onPress));
    }

    ~MacHotKeyRegistration() override
    {
        UnregisterEventHotKey(hotKey_);
        presses_->remove(this);
    }

private:
    std::shared_ptr<mac::HotKeyPresses> presses_;
    EventHotKeyRef hotKey_;
};

} // namespace

} // namespace cendrel

extern "C" {
// Carbon calls this on the main thread for every hot-key press of the
// application. The identifier is read into a zeroed one, so an event without
// it is simply not ours.
static OSStatus cendrelHotKeyPressed(EventHandlerCallRef callRef, EventRef event, void* userData)
{
    (void)callRef;
    if (userData == nullptr) {
        return noErr;
    }
    EventHotKeyID hotKeyID = {0, 0};
    GetEventParameter(event, kEventParamDirectObject, typeEventHotKeyID, nullptr, sizeof(hotKeyID), nullptr, &hotKeyID);
    static_cast<cendrel::mac::HotKeyPresses*>(userData)->pressed(hotKeyID.id);
    return noErr;
}
}

namespace cendrel {

namespace {

class MacHotKeys final : public HotKeys {
public:
    explicit MacHotKeys(std::shared_ptr<mac::HotKeyPresses> presses) : presses_(std::move(presses))
    {
        // Installed once for the life of the process; the presses object
        // outlives the handler, which is removed first.
        const EventTypeSpec pressed = {kEventClassKeyboard, kEventHotKeyPressed};
        InstallEventHandler(GetApplicationEventTarget(), &cendrelHotKeyPressed, 1, &pressed, presses_.get(), &handler_);
    }

    ~MacHotKeys() override
    {
        if (handler_ != nullptr) {
            RemoveEventHandler(handler_);
        }
    }

    HotKeyResult registerHotKey(std::uint32_t keyCode, Modifiers modifiers, std::function<void()> onPress) override
    {
        EventHotKeyRef hotKey = nullptr;
        OSStatus status = RegisterEventHotKey(keyCode, carbonModifierMask(modifiers), cendrelHotKeyID,
                                              GetApplicationEventTarget(), 0, &hotKey);
        if (status != noErr) {
            return HotKeyFailure{"(status " + std::to_string(status) + ")"};
        }
        return std::make_unique<MacHotKeyRegistration>(
            presses_, hotKey, KeyPress{static_cast<KeyCode>(keyCode), modifiers}, std::move(onPress));
    }

private:
    std::shared_ptr<mac::HotKeyPresses> presses_;
    EventHandlerRef handler_ = nullptr;
};

} // namespace

std::shared_ptr<HotKeys> makeMacHotKeys(std::shared_ptr<mac::HotKeyPresses> presses)
{
    return std::make_shared<MacHotKeys>(std::move(presses));
}

} // namespace cendrel
