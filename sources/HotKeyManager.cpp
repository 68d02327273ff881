#include "HotKeyManager.h"

#include "Platform.h"

#include <algorithm>
#include <string>
#include <variant>

namespace cendrel {

bool HotKeyManager::registerShortcut(const Shortcut& shortcut)
{
    // The system may refuse a second registration of the same combination,
    // even our own: an equal hot key is given up first.
    if (registered == shortcut) {
        registration.reset();
        registered.reset();
    }
    if (!tryRegister(shortcut)) {
        // The first shortcut asked for stays wanted, so that a later retry()
        // tries it again; a refused replacement leaves the earlier one wanted.
        if (!wanted)
            wanted = shortcut;
        return false;
    }
    wanted = shortcut;
    return true;
}

bool HotKeyManager::retry()
{
    // A desktop that chooses the trigger is not asked again: it would put
    // its dialog before the owner at each opening of the menu.
    if (!wanted || registered == wanted)
        return isActive();
    return tryRegister(*wanted);
}

bool HotKeyManager::isActive() const
{
    if (registration == nullptr || registered != wanted)
        return false;
    return !desktopChooses ||
           (binding && binding->outcome == DesktopBinding::Outcome::assigned && !binding->text.empty());
}

void HotKeyManager::logRefusal(const Shortcut& shortcut, const std::string& reason)
{
    auto refusal = std::make_pair(shortcut, reason);
    if (std::find(refusalsLogged.begin(), refusalsLogged.end(), refusal) != refusalsLogged.end())
        return;
    platform().systemLog->log("Cendrel: failed to register hotkey " + reason);
    refusalsLogged.push_back(std::move(refusal));
}

void HotKeyManager::bindingReported(const DesktopBinding& reported)
{
    if (binding == reported)
        return;
    if (reported.outcome == DesktopBinding::Outcome::refused && registered)
        logRefusal(*registered, reported.text);
    binding = reported;
    if (auto callback = onBindingChange)
        callback();
}

bool HotKeyManager::tryRegister(const Shortcut& shortcut)
{
    const Platform& system = platform();
    auto result = system.hotKeys->registerHotKey(shortcut.keyCode, shortcut.modifiers, [weak = weak_from_this()] {
        auto self = weak.lock();
        if (!self)
            return;
        // A copy: the callback may replace itself.
        if (auto callback = self->onTrigger)
            callback();
    });
    if (auto* failure = std::get_if<HotKeyFailure>(&result)) {
        logRefusal(shortcut, failure->reason);
        return false;
    }
    std::erase_if(refusalsLogged, [&](const auto& logged) { return logged.first == shortcut; });
    // The new one first, then the old one goes: never a moment without a hot key.
    registration = std::move(std::get<std::unique_ptr<HotKeyRegistration>>(result));
    registered = shortcut;
    binding.reset();
    desktopChooses =
        registration->reportBinding([weak = weak_from_this(), which = ++generation](const DesktopBinding& reported) {
            if (auto self = weak.lock(); self && self->generation == which)
                self->bindingReported(reported);
        });
    return true;
}

} // namespace cendrel
