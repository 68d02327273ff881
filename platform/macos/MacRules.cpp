#include "MacRules.h"

#include <algorithm>

namespace cendrel::mac {

bool isOurHotKeyPress(std::uint32_t pressedId)
{
    return pressedId == hotKeyId;
}

void HotKeyPresses::add(const void* key, std::function<void()> onPress)
{
    live_.emplace_back(key, std::move(onPress));
}

void HotKeyPresses::remove(const void* key)
{
    std::erase_if(live_, [key](const auto& entry) { return entry.first == key; });
}

void HotKeyPresses::pressed(std::uint32_t pressedId)
{
    if (!isOurHotKeyPress(pressedId))
        return;
    // Which registration is pressed is decided when the post runs: one
    // released meanwhile is not called.
    toMainQueue_([weak = weak_from_this()] {
        if (auto presses = weak.lock())
            presses->deliver();
    });
}

void HotKeyPresses::deliver()
{
    if (live_.empty())
        return;
    // A copy: the press may release the registration it came through.
    auto onPress = live_.back().second;
    if (onPress)
        onPress();
}

bool KeyWatchCheck::keyPressesVisible()
{
    bool trusted = system_.isTrusted();
    if (!trusted && !asked_) {
        asked_ = true;
        trusted = system_.askForTrust();
    }
    return trusted && !system_.secureInputOn();
}

void bringForward(const Activation& system)
{
    if (system.isHidden())
        system.unhideWithoutActivation();
    system.activate();
}

void hideUnlessModal(const std::function<bool()>& modalRunning, const std::function<void()>& hide)
{
    if (!modalRunning())
        hide();
}

bool loginItemEnabled(long status)
{
    return status == static_cast<long>(LoginItemStatus::enabled);
}

bool loginItemNeedsApproval(long status)
{
    return status == static_cast<long>(LoginItemStatus::requiresApproval);
}

} // namespace cendrel::mac
