// Raw events report what the server sees: input to every client counts, this
// program's own windows and the desktop's panels included. Raw motion, which
// carries no position, says when the pointer must be asked for again, so a
// pointer at rest costs few round trips. Gap: under XWayland only input that
// goes to X clients is seen; a pointer warped by a program (xdotool mousemove)
// makes no raw motion and is seen only at the next periodic look.
#include "X11Input.h"

#include "X11KeyCodes.h"
#include "X11Screens.h"

#include <QCursor>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cstdlib>

namespace cendrel {

namespace {
// Of the armed poll's calls (25 a second), one in this many asks the server
// even without raw motion: a warp moves the pointer without any.
constexpr int askAtLeastEvery = 10;
} // namespace

class X11Input::Watch final : public InputWatch {
public:
    Watch(std::weak_ptr<X11Input> owner, const std::function<bool()>* handler)
        : owner_(std::move(owner)), handler_(handler)
    {
    }
    ~Watch() override
    {
        if (auto owner = owner_.lock()) {
            std::erase_if(owner->watches_, [this](const auto& watch) { return watch.get() == handler_; });
            owner->selectRawEvents(!owner->watches_.empty());
        }
    }

private:
    std::weak_ptr<X11Input> owner_;
    const std::function<bool()>* handler_;
};

X11Input::X11Input(std::shared_ptr<X11Connection> x, std::shared_ptr<const X11HotKeys> hotKeys, std::string limitation)
    : x_(std::move(x)), hotKeys_(std::move(hotKeys)), limitation_(std::move(limitation))
{
}

std::shared_ptr<X11Input> X11Input::create(std::shared_ptr<X11Connection> x, std::shared_ptr<const X11HotKeys> hotKeys,
                                           std::string limitation)
{
    std::shared_ptr<X11Input> self(new X11Input(std::move(x), std::move(hotKeys), std::move(limitation)));
    self->x_->onRawEvent = [weak = std::weak_ptr(self)](std::uint16_t type, std::uint32_t detail) {
        if (auto input = weak.lock())
            input->handleRawEvent(type, detail);
    };
    return self;
}

std::unique_ptr<InputWatch> X11Input::watchInput(std::function<bool()> onInput)
{
    if (!x_->hasRawInput())
        return nullptr;
    watches_.push_back(std::make_shared<std::function<bool()>>(std::move(onInput)));
    selectRawEvents(true);
    return std::make_unique<Watch>(weak_from_this(), watches_.back().get());
}

bool X11Input::canWatchKeyPresses()
{
    return x_->hasRawInput();
}

Point X11Input::pointerLocation()
{
    if (selected_ && !pointerMoved_ && ++callsSinceAsked_ < askAtLeastEvery)
        return pointer_;
    // Cleared before asking: motion after the answer is reported after it.
    pointerMoved_ = false;
    callsSinceAsked_ = 0;
    const QPoint position = QCursor::pos();
    pointer_ = globalPointFromX({double(position.x()), double(position.y())}, primaryScreenXRect().value_or(Rect{}));
    return pointer_;
}

void X11Input::selectRawEvents(bool wanted)
{
    if (wanted == selected_)
        return;
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, 0};
    if (wanted) {
        // Releases of keys are wanted only to follow the modifiers held.
        mask.bits = XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                    XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;
        x_->refreshModifierMap();
        // Start from the modifiers held right now; raw events keep it current.
        xcb_connection_t* connection = x_->connection();
        auto* pointer = xcb_query_pointer_reply(connection, xcb_query_pointer(connection, x_->root()), nullptr);
        heldModifiers_ = pointer != nullptr ? static_cast<std::uint16_t>(pointer->mask & 0xff) : 0;
        std::free(pointer);
        heldModifierKeys_.clear();
    }
    xcb_input_xi_select_events(x_->connection(), x_->root(), 1, &mask.head);
    xcb_flush(x_->connection());
    selected_ = wanted;
    // Whatever moved before the selection was not reported.
    pointerMoved_ = true;
}

void X11Input::handleRawEvent(std::uint16_t type, std::uint32_t detail)
{
    if (type == XCB_INPUT_RAW_MOTION) {
        pointerMoved_ = true;
        return;
    }
    if (!isInput(type, detail))
        return;
    // A handler may release its own watch or another one: walk a snapshot,
    // and skip the watches released meanwhile. Raw events are copies: there
    // is no event to drop once one has locked.
    const auto watches = watches_;
    for (const auto& handler : watches) {
        if (std::find(watches_.begin(), watches_.end(), handler) != watches_.end())
            (*handler)();
    }
}

bool X11Input::isInput(std::uint16_t type, std::uint32_t detail)
{
    // Every button counts: 1 to 3 and 8 on are buttons, 4 to 7 the steps of a
    // scroll wheel.
    if (type == XCB_INPUT_RAW_BUTTON_PRESS)
        return true;
    if (type != XCB_INPUT_RAW_KEY_PRESS && type != XCB_INPUT_RAW_KEY_RELEASE)
        return false;
    const bool press = type == XCB_INPUT_RAW_KEY_PRESS;
    const std::uint16_t modifier = x_->modifierOfKey(detail);
    if (modifier != 0) {
        const auto key = static_cast<std::uint8_t>(detail);
        if (press) {
            heldModifierKeys_.push_back(key);
        } else {
            std::erase(heldModifierKeys_, key);
            heldModifiers_ = static_cast<std::uint16_t>(heldModifiers_ & ~modifier);
        }
        for (const auto held : heldModifierKeys_)
            heldModifiers_ |= x_->modifierOfKey(held);
        return false;
    }
    return press && !hotKeys_->isHotKey(detail, heldModifiers_);
}

} // namespace cendrel
