// Passive grabs of the combination on the root window, one per Num Lock and
// Caps Lock variant, so that neither lock spoils the shortcut. Gap: a key the
// position tables do not know cannot be a hot key.
#include "X11HotKeys.h"

#include "X11KeyCodes.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

namespace cendrel {

class X11HotKeys::Registration final : public HotKeyRegistration {
public:
    Registration(std::weak_ptr<X11HotKeys> owner, std::shared_ptr<X11Connection> x, std::shared_ptr<Grab> grab)
        : owner_(std::move(owner)), x_(std::move(x)), grab_(std::move(grab))
    {
    }
    ~Registration() override
    {
        for (const auto variant : grab_->variants)
            xcb_ungrab_key(x_->connection(), grab_->keyCode, x_->root(), variant);
        xcb_flush(x_->connection());
        if (auto owner = owner_.lock()) {
            std::erase(owner->grabs_, grab_);
            // Its release may never reach us now; a new grab starts afresh.
            std::erase(owner->keysDown_, grab_->keyCode);
        }
    }

private:
    std::weak_ptr<X11HotKeys> owner_;
    std::shared_ptr<X11Connection> x_;
    std::shared_ptr<Grab> grab_;
};

X11HotKeys::X11HotKeys(std::shared_ptr<X11Connection> x, std::shared_ptr<RunLoop> runLoop)
    : x_(std::move(x)), runLoop_(std::move(runLoop))
{
}

std::shared_ptr<X11HotKeys> X11HotKeys::create(std::shared_ptr<X11Connection> x, std::shared_ptr<RunLoop> runLoop)
{
    std::shared_ptr<X11HotKeys> self(new X11HotKeys(std::move(x), std::move(runLoop)));
    self->x_->onKey = [weak = std::weak_ptr(self)](bool press, std::uint8_t keyCode, std::uint16_t state) {
        if (auto hotKeys = weak.lock())
            hotKeys->handleKey(press, keyCode, state);
    };
    return self;
}

HotKeyResult X11HotKeys::registerHotKey(std::uint32_t keyCode, Modifiers modifiers, std::function<void()> onPress)
{
    const HotKeyFailure noKey{"(no key on this keyboard for key code " + std::to_string(keyCode) + ")"};
    const auto xKeyCode = x11_keys::xKeyCodeFromKeyCode(keyCode);
    if (!xKeyCode)
        return noKey;
    const std::uint16_t xModifiers = x11_keys::xStateFromModifiers(modifiers);
    // The server lets one client grab a combination twice, and the first
    // release would then take both: refuse it here instead.
    if (isHotKey(*xKeyCode, xModifiers))
        return HotKeyFailure{"(the key combination is already registered)"};

    x_->refreshModifierMap();
    const std::uint16_t numLock = x_->numLockMask();
    const std::array<std::uint16_t, 4> variants{xModifiers,
                                                static_cast<std::uint16_t>(xModifiers | x11_keys::xLockMask),
                                                static_cast<std::uint16_t>(xModifiers | numLock),
                                                static_cast<std::uint16_t>(xModifiers | numLock | x11_keys::xLockMask)};
    auto grab = std::make_shared<Grab>();
    grab->keyCode = *xKeyCode;
    grab->modifiers = xModifiers;
    grab->onPress = std::move(onPress);
    xcb_connection_t* connection = x_->connection();
    std::uint8_t refusal = 0;
    for (const auto variant : variants) {
        // Without a Num Lock key two variants are the same grab.
        if (std::find(grab->variants.begin(), grab->variants.end(), variant) != grab->variants.end())
            continue;
        const auto cookie = xcb_grab_key_checked(connection, 1, x_->root(), variant, *xKeyCode, XCB_GRAB_MODE_ASYNC,
                                                 XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
            refusal = error->error_code;
            std::free(error);
            break;
        }
        grab->variants.push_back(variant);
    }
    if (refusal != 0) {
        // All or nothing.
        for (const auto variant : grab->variants)
            xcb_ungrab_key(connection, *xKeyCode, x_->root(), variant);
        xcb_flush(connection);
        if (refusal == XCB_ACCESS)
            return HotKeyFailure{"(another program already holds this key combination)"};
        // A key code outside the keyboard's range.
        if (refusal == XCB_VALUE)
            return noKey;
        return HotKeyFailure{"(the X server refused the key combination, error " + std::to_string(refusal) + ")"};
    }
    grabs_.push_back(grab);
    return std::make_unique<Registration>(weak_from_this(), x_, std::move(grab));
}

bool X11HotKeys::isHotKey(std::uint32_t xKeyCode, std::uint16_t xState) const
{
    return std::any_of(grabs_.begin(), grabs_.end(), [&](const auto& grab) { return grab->matches(xKeyCode, xState); });
}

void X11HotKeys::handleKey(bool press, std::uint8_t keyCode, std::uint16_t state)
{
    if (!press) {
        std::erase(keysDown_, keyCode);
        return;
    }
    const auto found =
        std::find_if(grabs_.begin(), grabs_.end(), [&](const auto& grab) { return grab->matches(keyCode, state); });
    if (found == grabs_.end() || std::find(keysDown_.begin(), keysDown_.end(), keyCode) != keysDown_.end())
        return;
    keysDown_.push_back(keyCode);
    // Never from inside the X event handler: the callback may register or
    // release grabs, and the caller is still walking xcb's queue.
    runLoop_->post([weak = std::weak_ptr(*found)] {
        if (auto grab = weak.lock(); grab && grab->onPress)
            grab->onPress();
    });
}

} // namespace cendrel
