// What keys type in the keyboard's current layout, through xkbcommon.
#pragma once

#include "KeyboardLayout.h"
#include "X11Connection.h"

#include <cstdint>
#include <memory>
#include <optional>

struct xkb_context;
struct xkb_keymap;

namespace cendrel {

class X11KeyboardLayout final : public KeyboardLayout {
public:
    explicit X11KeyboardLayout(std::shared_ptr<X11Connection> x);
    ~X11KeyboardLayout() override;

    std::optional<std::string> characterForKey(KeyCode keyCode) override;
    // Linux desktops write shortcuts with names: Super+Alt+L.
    ShortcutNotation notation() override { return ShortcutNotation::names; }
    // The keysym of the key's first level in the current layout.
    std::optional<std::string> keySymbolName(KeyCode keyCode) override;
    // Qt's full Unicode case mapping (ß becomes SS).
    std::string uppercase(const std::string& text) override;

private:
    void refresh();
    // The X key code of a key, with the keymap brought up to date; nothing
    // when the key has none or no keymap could be read.
    std::optional<std::uint32_t> keyInCurrentKeymap(KeyCode keyCode);

    std::shared_ptr<X11Connection> x_;
    xkb_context* context_ = nullptr;
    // The keymap and layout as of the connection's keyboard generation.
    xkb_keymap* keymap_ = nullptr;
    std::uint32_t layout_ = 0;
    std::optional<std::uint64_t> generation_;
};

} // namespace cendrel
