// What keys type in the keyboard's current layout, through xkbcommon.
#pragma once

#include "KeyboardLayout.h"
#include "X11Connection.h"

#include <memory>

struct xkb_context;

namespace cendrel {

class X11KeyboardLayout final : public KeyboardLayout {
public:
    explicit X11KeyboardLayout(std::shared_ptr<X11Connection> x);
    ~X11KeyboardLayout() override;

    std::optional<std::string> characterForKey(KeyCode keyCode) override;
    // Linux desktops write shortcuts with names: Super+Alt+L.
    ShortcutNotation notation() override { return ShortcutNotation::names; }

private:
    std::shared_ptr<X11Connection> x_;
    xkb_context* context_ = nullptr;
};

} // namespace cendrel
