// The hot key as passive key grabs on the X root window.
#pragma once

#include "HotKeys.h"
#include "RunLoop.h"
#include "X11Connection.h"
#include "X11KeyCodes.h"

#include <memory>
#include <vector>

namespace cendrel {

class X11HotKeys final : public HotKeys, public std::enable_shared_from_this<X11HotKeys> {
public:
    // Presses are handed to `runLoop` and reach their callback on a later pass.
    static std::shared_ptr<X11HotKeys> create(std::shared_ptr<X11Connection> x, std::shared_ptr<RunLoop> runLoop);

    HotKeyResult registerHotKey(std::uint32_t keyCode, Modifiers modifiers, std::function<void()> onPress) override;

    // Whether a press of this X key with these modifiers held belongs to a
    // registered hot key (and so is not input the guard should see).
    bool isHotKey(std::uint32_t xKeyCode, std::uint16_t xState) const;

private:
    struct Grab {
        std::uint8_t keyCode = 0;
        std::uint16_t modifiers = 0;
        // The lock variants the server granted: Num Lock may move to another
        // modifier before the grab is released.
        std::vector<std::uint16_t> variants;
        std::function<void()> onPress;
        // Caps Lock counts only for a combination that asks for it.
        bool matches(std::uint32_t xKeyCode, std::uint32_t xState) const
        {
            const std::uint32_t relevant = x11_keys::xShortcutModifiers | (modifiers & x11_keys::xLockMask);
            return keyCode == xKeyCode && modifiers == (xState & relevant);
        }
    };
    class Registration;

    X11HotKeys(std::shared_ptr<X11Connection> x, std::shared_ptr<RunLoop> runLoop);
    void handleKey(bool press, std::uint8_t keyCode, std::uint16_t state);

    std::shared_ptr<X11Connection> x_;
    std::shared_ptr<RunLoop> runLoop_;
    std::vector<std::shared_ptr<Grab>> grabs_;
    // Grabbed keys pressed and not yet released: further presses are repeats.
    std::vector<std::uint8_t> keysDown_;
};

} // namespace cendrel
