// HotKeys on macOS: Carbon's RegisterEventHotKey, with one press handler on
// the application event target that hands each press to the main queue. No
// gap.
#import <Carbon/Carbon.h>
#include <dispatch/dispatch.h>

#include "MacBackend.h"
#include "MacKeys.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace cendrel {

namespace {

constexpr OSType fourCharCode(const char (&code)[5])
{
    return static_cast<OSType>(static_cast<unsigned char>(code[0])) << 24 |
           static_cast<OSType>(static_cast<unsigned char>(code[1])) << 16 |
           static_cast<OSType>(static_cast<unsigned char>(code[2])) << 8 |
           static_cast<OSType>(static_cast<unsigned char>(code[3]));
}

// Every registration carries the same identifier, so a press does not say
// which one it belongs to; it goes to the most recent one still alive (the
// core makes the new one before it drops the old).
constexpr EventHotKeyID cendrelHotKeyID = {fourCharCode("CNDR"), 1};
static_assert(cendrelHotKeyID.signature == 0x434E4452, "first character in the most significant byte");

class MacHotKeyRegistration;

// The live registrations, oldest first. Shared by the hot keys, their
// registrations and the presses waiting on the main queue.
class HotKeyPresses final : public std::enable_shared_from_this<HotKeyPresses> {
public:
    void add(MacHotKeyRegistration* registration) { live_.push_back(registration); }
    void remove(MacHotKeyRegistration* registration)
    {
        live_.erase(std::remove(live_.begin(), live_.end(), registration), live_.end());
    }

    // From the Carbon handler. Which registration is pressed is decided when
    // the block runs: one released meanwhile is not called.
    void post()
    {
        std::weak_ptr<HotKeyPresses> weakSelf = weak_from_this();
        dispatch_async(dispatch_get_main_queue(), ^{
          if (std::shared_ptr<HotKeyPresses> presses = weakSelf.lock()) {
              presses->deliver();
          }
        });
    }

private:
    void deliver();

    std::vector<MacHotKeyRegistration*> live_;
};

class MacHotKeyRegistration final : public HotKeyRegistration {
public:
    MacHotKeyRegistration(std::shared_ptr<HotKeyPresses> presses, EventHotKeyRef hotKey, std::function<void()> onPress)
        : presses_(std::move(presses)), hotKey_(hotKey), onPress_(std::move(onPress))
    {
        presses_->add(this);
    }

    ~MacHotKeyRegistration() override
    {
        UnregisterEventHotKey(hotKey_);
        presses_->remove(this);
    }

    const std::function<void()>& onPress() const { return onPress_; }

private:
    std::shared_ptr<HotKeyPresses> presses_;
    EventHotKeyRef hotKey_;
    std::function<void()> onPress_;
};

void HotKeyPresses::deliver()
{
    if (live_.empty()) {
        return;
    }
    // A copy: the press may release the registration that it came through.
    std::function<void()> onPress = live_.back()->onPress();
    if (onPress) {
        onPress();
    }
}

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
    if (hotKeyID.id == cendrel::cendrelHotKeyID.id) {
        static_cast<cendrel::HotKeyPresses*>(userData)->post();
    }
    return noErr;
}
}

namespace cendrel {

namespace {

class MacHotKeys final : public HotKeys {
public:
    MacHotKeys()
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
        return std::make_unique<MacHotKeyRegistration>(presses_, hotKey, std::move(onPress));
    }

private:
    std::shared_ptr<HotKeyPresses> presses_ = std::make_shared<HotKeyPresses>();
    EventHandlerRef handler_ = nullptr;
};

} // namespace

std::shared_ptr<HotKeys> makeMacHotKeys()
{
    return std::make_shared<MacHotKeys>();
}

} // namespace cendrel
