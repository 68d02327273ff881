// X protocol plumbing shared by the hot keys, the input watch and the layout.
#include "X11Connection.h"

#include "X11KeyCodes.h"

#include <QAbstractEventDispatcher>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xinput.h>
// xkb.h names a member `explicit`, which C++ reserves.
#define explicit xkb_explicit
#include <xcb/xkb.h>
#undef explicit
#include <xkbcommon/xkbcommon-keysyms.h>
#include <xkbcommon/xkbcommon-x11.h>

#include <cstdlib>

namespace cendrel {

namespace {
template <typename Reply> struct FreeDeleter {
    void operator()(Reply* reply) const { std::free(reply); }
};
template <typename Reply> using ReplyPtr = std::unique_ptr<Reply, FreeDeleter<Reply>>;
} // namespace

std::shared_ptr<X11Connection> X11Connection::open(std::string& error)
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
    std::shared_ptr<X11Connection> self(new X11Connection());
    self->connection_ = connection;
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    self->root_ = screens.data->root;

    const auto* xinput = xcb_get_extension_data(connection, &xcb_input_id);
    if (xinput != nullptr && xinput->present) {
        // Announcing 2.2 is what makes the server send raw events while grabbed.
        ReplyPtr<xcb_input_xi_query_version_reply_t> version(
            xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
        if (version && (version->major_version > 2 || (version->major_version == 2 && version->minor_version >= 2))) {
            self->hasXInput_ = true;
            self->xinputOpcode_ = xinput->major_opcode;
        }
    }
    std::uint8_t xkbEventBase = 0;
    if (xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
                                    XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &xkbEventBase, nullptr)) {
        self->keyboardDevice_ = xkb_x11_get_core_keyboard_device_id(connection);
        self->xkbEventBase_ = xkbEventBase;
        // Told of a new keyboard, a new map or another layout (group), so the
        // layout need not be fetched again while none of them changes.
        const std::uint16_t events =
            XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY | XCB_XKB_EVENT_TYPE_STATE_NOTIFY;
        const std::uint16_t mapParts = XCB_XKB_MAP_PART_KEY_TYPES | XCB_XKB_MAP_PART_KEY_SYMS |
                                       XCB_XKB_MAP_PART_MODIFIER_MAP | XCB_XKB_MAP_PART_EXPLICIT_COMPONENTS |
                                       XCB_XKB_MAP_PART_KEY_ACTIONS | XCB_XKB_MAP_PART_VIRTUAL_MODS |
                                       XCB_XKB_MAP_PART_VIRTUAL_MOD_MAP;
        xcb_xkb_select_events_details_t details{};
        details.affectNewKeyboard = details.newKeyboardDetails = XCB_XKB_NKN_DETAIL_KEYCODES;
        details.affectState = details.stateDetails = XCB_XKB_STATE_PART_GROUP_STATE;
        xcb_xkb_select_events_aux(connection, static_cast<xcb_xkb_device_spec_t>(self->keyboardDevice_), events, 0, 0,
                                  mapParts, mapParts, &details);
        // A held key then repeats as presses alone, without a release between
        // them, so a held hot key can be told from one pressed again.
        const auto flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
        std::free(xcb_xkb_per_client_flags_reply(
            connection, xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr));
    }
    self->refreshModifierMap();
    return self;
}

X11Connection::~X11Connection()
{
    notifier_.reset();
    xcb_disconnect(connection_);
}

void X11Connection::attachToEventLoop()
{
    notifier_ = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(connection_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drainEvents(true); });
    // A reply read for a request can pull events into xcb's queue without the
    // socket becoming readable again; look there before the loop sleeps. Only
    // there: reading the socket at every pass would cost a system call each
    // time a timer fires.
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, notifier_.get(),
                         [this] { drainEvents(false); });
}

void X11Connection::drainEvents(bool readSocket)
{
    bool handled = false;
    while (xcb_generic_event_t* event =
               readSocket ? xcb_poll_for_event(connection_) : xcb_poll_for_queued_event(connection_)) {
        handleEvent(event);
        std::free(event);
        handled = true;
    }
    if (handled && onDrained)
        onDrained();
}

void X11Connection::handleEvent(const void* raw)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(raw);
    const auto type = static_cast<std::uint8_t>(event->response_type & 0x7f);
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        const auto* key = static_cast<const xcb_key_press_event_t*>(raw);
        if (onKey)
            onKey(type == XCB_KEY_PRESS, key->detail, key->state);
    } else if (type == XCB_MAPPING_NOTIFY) {
        refreshModifierMap();
        ++keyboardGeneration_;
    } else if (xkbEventBase_ != 0 && type == xkbEventBase_) {
        ++keyboardGeneration_;
    } else if (type == XCB_GE_GENERIC && hasXInput_) {
        const auto* generic = static_cast<const xcb_ge_generic_event_t*>(raw);
        if (generic->extension == xinputOpcode_ && onRawEvent) {
            const auto* rawEvent = static_cast<const xcb_input_raw_key_press_event_t*>(raw);
            onRawEvent(rawEvent->event_type, rawEvent->detail);
        }
    }
}

void X11Connection::refreshModifierMap()
{
    modifierOfKey_.fill(0);
    ReplyPtr<xcb_get_modifier_mapping_reply_t> reply(
        xcb_get_modifier_mapping_reply(connection_, xcb_get_modifier_mapping(connection_), nullptr));
    if (!reply)
        return;
    const xcb_keycode_t* keyCodes = xcb_get_modifier_mapping_keycodes(reply.get());
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t keyCode = keyCodes[modifier * perModifier + i];
            if (keyCode != 0)
                modifierOfKey_[keyCode] |= static_cast<std::uint16_t>(1u << modifier);
        }
    }
}

std::uint16_t X11Connection::numLockMask()
{
    std::uint16_t mask = 0;
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(connection_);
    if (symbols == nullptr)
        return mask;
    if (xcb_keycode_t* keyCodes = xcb_key_symbols_get_keycode(symbols, XKB_KEY_Num_Lock)) {
        for (const xcb_keycode_t* keyCode = keyCodes; *keyCode != XCB_NO_SYMBOL; ++keyCode)
            mask |= modifierOfKey(*keyCode);
        std::free(keyCodes);
    }
    xcb_key_symbols_free(symbols);
    return static_cast<std::uint16_t>(mask & ~x11_keys::xShortcutModifiers);
}

} // namespace cendrel
