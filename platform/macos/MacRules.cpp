#include "MacRules.h"

#include <algorithm>

namespace cendrel::mac {

bool isOurHotKeyPress(std::uint32_t pressedId)
{
    return pressedId == hotKeyId;
}

void HotKeyPresses::add(const void* key, KeyPress combination, std::function<void()> onPress)
{
    live_.push_back({key, combination, std::move(onPress)});
}

void HotKeyPresses::remove(const void* key)
{
    std::erase_if(live_, [key](const Live& entry) { return entry.key == key; });
}

bool HotKeyPresses::isLiveHotKey(const KeyPress& press) const
{
    // Caps Lock counts only where the registration asks for it; the other
    // flags (Fn, keypad) never reach a hot key.
    return std::ranges::any_of(live_, [&press](const Live& entry) {
        const Modifiers wanted = entry.combination.modifiers;
        return entry.combination.keyCode == press.keyCode &&
               wanted.shortcutModifiers() == press.modifiers.shortcutModifiers() &&
               (!wanted.contains(Modifier::capsLock) || press.modifiers.contains(Modifier::capsLock));
    });
}

bool isWatchedInput(const SeenEvent& event, const HotKeyPresses& hotKeys)
{
    // NX_SUBTYPE_AUX_CONTROL_BUTTONS; data1 holds the key's state in its
    // second byte, 0xA going down and 0xB coming up.
    constexpr short auxControlButtons = 8;
    constexpr long keyGoingDown = 0xA;
    switch (event.kind) {
    case SeenEvent::Kind::pointer:
        return true;
    case SeenEvent::Kind::keyDown:
        return !hotKeys.isLiveHotKey(event.key);
    case SeenEvent::Kind::flagsChanged:
        return event.key.keyCode == functionKeyCode && event.key.modifiers.contains(Modifier::function);
    case SeenEvent::Kind::systemDefined:
        return event.subtype == auxControlButtons && (event.data1 & 0xFF00) >> 8 == keyGoingDown;
    }
    return true;
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
    auto onPress = live_.back().onPress;
    if (onPress)
        onPress();
}

bool KeyWatchCheck::keyPressesVisible()
{
    return system_.isTrusted() && !system_.secureInputOn();
}

void KeyWatchCheck::offerTrust()
{
    if (asked_ || system_.isTrusted())
        return;
    asked_ = true;
    system_.askForTrust();
}

void bringForward(const Activation& system)
{
    if (system.isHidden())
        system.unhideWithoutActivation();
    system.activate();
}

void hideUnlessShowing(const std::function<bool()>& windowShown, const std::function<void()>& hide)
{
    if (!windowShown())
        hide();
}

void MenuSwap::replace(std::function<void()> install)
{
    if (open_) {
        waiting_ = std::move(install);
        return;
    }
    waiting_ = nullptr;
    install();
}

void MenuSwap::closed()
{
    open_ = false;
    // Moved out first: installing may replace the menu again.
    auto install = std::move(waiting_);
    waiting_ = nullptr;
    if (install)
        install();
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
