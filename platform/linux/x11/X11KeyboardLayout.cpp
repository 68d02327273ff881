// The text a key types in the layout (XKB group) in use right now, with no
// modifier and no lock. The keymap and layout are fetched again only after
// the server has said the keyboard, its map or its group changed: fetching
// costs round trips with large replies, on the way from a touch to the lock.
// Gap: keys outside the position tables type nothing.
#include "X11KeyboardLayout.h"

#include "X11KeyCodes.h"

#include <QString>
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <array>

namespace cendrel {

X11KeyboardLayout::X11KeyboardLayout(std::shared_ptr<X11Connection> x)
    : x_(std::move(x)), context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
}

X11KeyboardLayout::~X11KeyboardLayout()
{
    if (keymap_ != nullptr)
        xkb_keymap_unref(keymap_);
    if (context_ != nullptr)
        xkb_context_unref(context_);
}

void X11KeyboardLayout::refresh()
{
    generation_ = x_->keyboardGeneration();
    if (keymap_ != nullptr)
        xkb_keymap_unref(keymap_);
    keymap_ = nullptr;
    const std::int32_t device = x_->keyboardDevice();
    if (context_ == nullptr || device < 0)
        return;
    keymap_ = xkb_x11_keymap_new_from_device(context_, x_->connection(), device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap_ == nullptr)
        return;
    layout_ = 0;
    if (xkb_state* live = xkb_x11_state_new_from_device(keymap_, x_->connection(), device)) {
        layout_ = xkb_state_serialize_layout(live, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(live);
    }
}

std::optional<std::uint32_t> X11KeyboardLayout::keyInCurrentKeymap(KeyCode keyCode)
{
    const auto xKeyCode = x11_keys::xKeyCodeFromKeyCode(keyCode);
    if (!xKeyCode)
        return std::nullopt;
    if (generation_ != x_->keyboardGeneration())
        refresh();
    if (keymap_ == nullptr)
        return std::nullopt;
    return *xKeyCode;
}

std::optional<std::string> X11KeyboardLayout::characterForKey(KeyCode keyCode)
{
    const auto xKeyCode = keyInCurrentKeymap(keyCode);
    if (!xKeyCode)
        return std::nullopt;
    std::optional<std::string> text;
    if (xkb_state* plain = xkb_state_new(keymap_)) {
        xkb_state_update_mask(plain, 0, 0, 0, 0, 0, layout_);
        std::array<char, 64> buffer{};
        const int length = xkb_state_key_get_utf8(plain, *xKeyCode, buffer.data(), buffer.size());
        if (length > 0 && static_cast<std::size_t>(length) < buffer.size())
            text = std::string(buffer.data(), static_cast<std::size_t>(length));
        xkb_state_unref(plain);
    }
    return text;
}

std::optional<std::string> X11KeyboardLayout::keySymbolName(KeyCode keyCode)
{
    const auto xKeyCode = keyInCurrentKeymap(keyCode);
    if (!xKeyCode)
        return std::nullopt;
    const xkb_keysym_t* symbols = nullptr;
    if (xkb_keymap_key_get_syms_by_level(keymap_, *xKeyCode, layout_, 0, &symbols) < 1)
        return std::nullopt;
    std::array<char, 64> name{};
    const int length = xkb_keysym_get_name(symbols[0], name.data(), name.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= name.size())
        return std::nullopt;
    return std::string(name.data(), static_cast<std::size_t>(length));
}

std::string X11KeyboardLayout::uppercase(const std::string& text)
{
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    // Bytes that are not UTF-8 would come back as replacement characters.
    if (decoded.toUtf8() != QByteArray::fromStdString(text))
        return text;
    return decoded.toUpper().toStdString();
}

} // namespace cendrel
