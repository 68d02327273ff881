// X protocol plumbing shared by the hot keys, the input watch and the layout.
// Gap: raw events report what the server sees, so input to any client counts,
// including the desktop's own panels; the run loop drops events while one of
// this program's windows or menus is active.
#include "LinuxXConnection.h"

#include "LinuxKeyCodes.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>
// xkb.h names a member `explicit`, which C++ reserves.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace cendrel {

namespace {

template <typename Reply> struct FreeDeleter {
    void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeDeleter<Reply>>;

// The four lock combinations a grab must cover.
std::array<std::uint16_t, 4> lockVariants(std::uint16_t modifiers, std::uint16_t numLock)
{
    return {modifiers, static_cast<std::uint16_t>(modifiers | linux_keys::xLockMask),
            static_cast<std::uint16_t>(modifiers | numLock),
            static_cast<std::uint16_t>(modifiers | numLock | linux_keys::xLockMask)};
}

} // namespace

std::shared_ptr<LinuxXConnection> LinuxXConnection::open(std::string& error)
{
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        const char* display = std::getenv("DISPLAY");
        error = (display == nullptr || *display == '\0') ? "DISPLAY is not set"
                                                         : std::string("cannot open display ") + display;
        return nullptr;
    }
    std::shared_ptr<LinuxXConnection> self(new LinuxXConnection());
    self->connection_ = connection;

    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    self->root_ = screens.data->root;

    // XInput 2.2: raw events reach the root window even while another client
    // holds a grab.
    const auto* xinput = xcb_get_extension_data(connection, &xcb_input_id);
    if (xinput != nullptr && xinput->present) {
        ReplyPtr<xcb_input_xi_query_version_reply_t> version(
            xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
        if (version && (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 2))) {
            self->hasXInput_ = true;
            self->xinputOpcode_ = xinput->major_opcode;
        }
    }

    if (xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr)) {
        self->xkbContext_ = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        self->xkbDevice_ = xkb_x11_get_core_keyboard_device_id(connection);
        // A held key then repeats as presses alone, without a release between
        // them, so a held hot key can be told from a pressed one.
        const auto flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        std::free(xcb_xkb_per_client_flags_reply(
            connection, xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
    }
    self->refreshModifierMap();
    return self;
}

LinuxXConnection::~LinuxXConnection()
{
    notifier_.reset();
    if (xkbContext_ != nullptr) {
        xkb_context_unref(xkbContext_);
    }
    xcb_disconnect(connection_);
}

void LinuxXConnection::attachToEventLoop()
{
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drainEvents(); });
    // A reply read for a request can pull events into xcb's queue without the
    // socket becoming readable again; look there before the loop sleeps.
    if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_.get(),
                         [this] { drainEvents(); });
    }
}

void LinuxXConnection::drainEvents()
{
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        handleEvent(event);
        std::free(event);
    }
}

void LinuxXConnection::handleEvent(const void* raw)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const auto type = static_cast<std::uint8_t>(event->response_type & 0x7f);
    if (type == XCB_KEY_PRESS) {
        const auto* press = static_cast<const xcb_key_press_event_t*>(raw);
        const auto modifiers = static_cast<std::uint16_t>(press->state & linux_keys::xShortcutModifiers);
        const bool grabbed = std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
            return grab.keycode == press->detail && grab.modifiers == modifiers;
        });
        const bool repeat =
            std::find(grabbedKeysDown_.begin(), grabbedKeysDown_.end(), press->detail) != grabbedKeysDown_.end();
        if (!grabbed || repeat) {
            return;
        }
        grabbedKeysDown_.push_back(press->detail);
        if (onGrabbedKeyPress) {
            onGrabbedKeyPress(press->detail, modifiers);
        }
    } else if (type == XCB_KEY_RELEASE) {
        std::erase(grabbedKeysDown_, static_cast<const xcb_key_release_event_t*>(raw)->detail);
    } else if (type == XCB_MAPPING_NOTIFY) {
        refreshModifierMap();
    } else if (type == XCB_GE_GENERIC && hasXInput_) {
        const auto* generic = static_cast<const xcb_ge_generic_event_t*>(raw);
        if (generic->extension == xinputOpcode_) {
            const auto* rawEvent = static_cast<const xcb_input_raw_key_press_event_t*>(raw);
            handleRawEvent(rawEvent->event_type, rawEvent->detail);
        }
    }
}

void LinuxXConnection::handleRawEvent(std::uint16_t type, std::uint32_t detail)
{
    if (type == XCB_INPUT_RAW_KEY_PRESS || type == XCB_INPUT_RAW_KEY_RELEASE) {
        const bool press = type == XCB_INPUT_RAW_KEY_PRESS;
        const std::uint16_t modifier = detail < modifierOfKey_.size() ? modifierOfKey_[detail] : 0;
        if (modifier != 0) {
            const auto key = static_cast<std::uint8_t>(detail);
            if (press) {
                heldModifierKeys_.push_back(key);
            } else {
                std::erase(heldModifierKeys_, key);
                heldModifiers_ = static_cast<std::uint16_t>(heldModifiers_ & ~modifier);
            }
            for (auto held : heldModifierKeys_) {
                heldModifiers_ |= modifierOfKey_[held];
            }
            return;
        }
        if (press) {
            const auto modifiers = static_cast<std::uint16_t>(heldModifiers_ & linux_keys::xShortcutModifiers);
            const bool grabbed = std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& grab) {
                return grab.keycode == detail && grab.modifiers == modifiers;
            });
            if (grabbed) {
                return;
            }
        }
        if (onRawInput) {
            onRawInput({press ? RawInput::Kind::keyPress : RawInput::Kind::keyRelease, detail});
        }
    } else if (type == XCB_INPUT_RAW_BUTTON_PRESS || type == XCB_INPUT_RAW_BUTTON_RELEASE) {
        if (onRawInput) {
            onRawInput(
                {type == XCB_INPUT_RAW_BUTTON_PRESS ? RawInput::Kind::buttonPress : RawInput::Kind::buttonRelease,
                 detail});
        }
    }
}

void LinuxXConnection::refreshModifierMap()
{
    std::fill(modifierOfKey_.begin(), modifierOfKey_.end(), std::uint16_t{0});
    ReplyPtr<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (!reply) {
        return;
    }
    const xcb_keycode_t* keycodes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keycode = keycodes[modifier * perModifier + i];
            if (keycode != 0) {
                modifierOfKey_[keycode] |= static_cast<std::uint16_t>(1u << modifier);
            }
        }
    }
}

std::uint16_t LinuxXConnection::numLockMask()
{
    std::uint16_t mask = 0;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    if (symbols == nullptr) {
        return mask;
    }
    if (xcb_keycode_t* keycodes = xcb_key_symbols_get_keycode(symbols, XKB_KEY_Num_Lock)) {
        for (xcb_keycode_t* keycode = keycodes; *keycode != XCB_NO_SYMBOL; ++keycode) {
            mask |= modifierOfKey_[*keycode];
        }
        std::free(keycodes);
    }
    xcb_key_symbols_free(symbols);
    return static_cast<std::uint16_t>(mask & ~linux_keys::xShortcutModifiers);
}

bool LinuxXConnection::grabKey(std::uint8_t keycode, std::uint16_t modifiers)
{
    refreshModifierMap();
    const auto variants = lockVariants(modifiers, numLockMask());
    std::vector<std::uint16_t> granted;
    bool refused = false;
    for (const auto variant : variants) {
        if (std::find(granted.begin(), granted.end(), variant) != granted.end()) {
            continue;
        }
        const auto cookie =
            xcb_grab_key_checked(connection_, 1, root_, variant, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            std::free(error);
            refused = true;
            break;
        }
        granted.push_back(variant);
    }
    if (refused) {
        for (const auto variant : granted) {
            xcb_ungrab_key(connection_, keycode, root_, variant);
        }
        xcb_flush(connection_);
        return false;
    }
    grabs_.push_back({keycode, modifiers, std::move(granted)});
    return true;
}

void LinuxXConnection::ungrabKey(std::uint8_t keycode, std::uint16_t modifiers)
{
    auto found = std::find_if(grabs_.begin(), grabs_.end(),
                              [&](const Grab& grab) { return grab.keycode == keycode && grab.modifiers == modifiers; });
    if (found == grabs_.end()) {
        return;
    }
    for (const auto variant : found->variants) {
        xcb_ungrab_key(connection_, keycode, root_, variant);
    }
    xcb_flush(connection_);
    grabs_.erase(found);
}

void LinuxXConnection::setRawInputWanted(bool wanted)
{
    if (!hasXInput_ || wanted == rawSelected_) {
        return;
    }
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, 0};
    if (wanted) {
        mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                    XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
        refreshModifierMap();
        // Start from the modifiers held right now; raw events keep it current.
        ReplyPtr<xcb_query_pointer_reply_t> pointer(
            xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr));
        heldModifiers_ = pointer ? static_cast<std::uint16_t>(pointer->mask & 0xff) : 0;
        heldModifierKeys_.clear();
    }
    xcb_input_xi_select_events(connection_, root_, 1, &mask.head);
    xcb_flush(connection_);
    rawSelected_ = wanted;
}

std::optional<std::string> LinuxXConnection::textForKey(std::uint8_t keycode)
{
    if (xkbContext_ == nullptr || xkbDevice_ < 0) {
        return std::nullopt;
    }
    // Fetched afresh: the user may have switched layouts since the last call.
    xkb_keymap* keymap =
        xkb_x11_keymap_new_from_device(xkbContext_, connection_, xkbDevice_, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (keymap == nullptr) {
        return std::nullopt;
    }
    std::optional<std::string> text;
    if (xkb_state* live = xkb_x11_state_new_from_device(keymap, connection_, xkbDevice_)) {
        const xkb_layout_index_t layout = xkb_state_serialize_layout(live, XKB_STATE_LAYOUT_EFFECTIVE);
        xkb_state_unref(live);
        if (xkb_state* plain = xkb_state_new(keymap)) {
            // The current layout, with no modifier and no lock held.
            xkb_state_update_mask(plain, 0, 0, 0, 0, 0, layout);
            std::array<char, 64> buffer{};
            const int length = xkb_state_key_get_utf8(plain, keycode, buffer.data(), buffer.size());
            if (length > 0 && static_cast<std::size_t>(length) < buffer.size()) {
                text = std::string(buffer.data(), static_cast<std::size_t>(length));
            }
            xkb_state_unref(plain);
        }
    }
    xkb_keymap_unref(keymap);
    return text;
}

} // namespace cendrel
