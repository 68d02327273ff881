// Raw events report what the server sees: input to every client counts, this
// program's own windows and the desktop's panels included. Raw motion, which
// carries no position, says when the pointer must be asked for again, so a
// pointer at rest costs no round trip but the slow look for warps. Gap: under
// XWayland only input that goes to X clients is seen; a pointer warped by a
// program (xdotool mousemove) makes no raw motion and is seen only at the next
// slow look.
#include "X11Input.h"

#include "X11KeyCodes.h"
#include "X11Screens.h"

#include <QCursor>
#include <QTimer>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cstdlib>

namespace cendrel {

class X11Input::Watch final : public InputWatch {
public:
    explicit Watch(std::function<void()> release) : release_(std::move(release)) {}
    ~Watch() override { release_(); }

private:
    std::function<void()> release_;
};

X11Input::X11Input(std::shared_ptr<X11Connection> x, std::shared_ptr<const X11HotKeys> hotKeys, std::string limitation)
    : x_(std::move(x)), hotKeys_(std::move(hotKeys)), limitation_(std::move(limitation))
{
}

X11Input::~X11Input() = default;

std::shared_ptr<X11Input> X11Input::create(std::shared_ptr<X11Connection> x, std::shared_ptr<const X11HotKeys> hotKeys,
                                           std::string limitation)
{
    std::shared_ptr<X11Input> self(new X11Input(std::move(x), std::move(hotKeys), std::move(limitation)));
    self->x_->onRawEvent = [weak = std::weak_ptr(self)](std::uint16_t type, std::uint32_t detail) {
        if (auto input = weak.lock())
            input->handleRawEvent(type, detail);
    };
    self->x_->onDrained = [weak = std::weak_ptr(self)] {
        auto input = weak.lock();
        if (input && input->motionPending_)
            input->reportPointer();
    };
    return self;
}

std::unique_ptr<InputWatch> X11Input::watchInput(std::function<bool()> onInput)
{
    if (!x_->hasRawInput())
        return nullptr;
    auto handler = std::make_shared<std::function<bool()>>(std::move(onInput));
    watches_.push_back(handler);
    selectRawEvents();
    return std::make_unique<Watch>([weak = weak_from_this(), handler] {
        if (auto self = weak.lock()) {
            std::erase(self->watches_, handler);
            self->selectRawEvents();
        }
    });
}

std::unique_ptr<InputWatch> X11Input::watchPointerMotion(std::function<void(Point)> onMoved)
{
    if (!x_->hasRawInput())
        return nullptr;
    auto handler = std::make_shared<std::function<void(Point)>>(std::move(onMoved));
    motionWatches_.push_back(handler);
    selectRawEvents();
    if (!warpCheck_) {
        warpCheck_ = std::make_unique<QTimer>();
        warpCheck_->setInterval(warpCheckMilliseconds);
        // Owned here: the timer goes before this object does.
        QObject::connect(warpCheck_.get(), &QTimer::timeout, [this] { reportPointer(); });
    }
    warpCheck_->start();
    return std::make_unique<Watch>([weak = weak_from_this(), handler] {
        if (auto self = weak.lock()) {
            std::erase(self->motionWatches_, handler);
            // Stopped, not destroyed: this may run inside the timer's own signal.
            if (self->motionWatches_.empty())
                self->warpCheck_->stop();
            self->selectRawEvents();
        }
    });
}

bool X11Input::canWatchKeyPresses()
{
    return x_->hasRawInput();
}

Point X11Input::pointerLocation()
{
    const QPoint position = QCursor::pos();
    return globalPointFromX({double(position.x()), double(position.y())}, primaryScreenXRect().value_or(Rect{}));
}

void X11Input::reportPointer()
{
    // Cleared before asking: motion after the answer is reported after it.
    motionPending_ = false;
    if (motionWatches_.empty())
        return;
    const Point pointer = pointerLocation();
    // A handler may release its own watch or another one: walk a snapshot,
    // and skip the watches released meanwhile.
    const auto watches = motionWatches_;
    for (const auto& handler : watches) {
        if (std::find(motionWatches_.begin(), motionWatches_.end(), handler) != motionWatches_.end())
            (*handler)(pointer);
    }
}

void X11Input::selectRawEvents()
{
    std::uint32_t wanted = 0;
    // Releases of keys are wanted only to follow the modifiers held.
    if (!watches_.empty())
        wanted |= XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE |
                  XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;
    if (!motionWatches_.empty())
        wanted |= XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;
    if (wanted == selectedMask_)
        return;
    const bool keysNewlyWanted =
        (wanted & XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS) && !(selectedMask_ & XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS);
    if (keysNewlyWanted) {
        x_->refreshModifierMap();
        // Start from the modifiers held right now; raw events keep it current.
        xcb_connection_t* connection = x_->connection();
        auto* pointer = xcb_query_pointer_reply(connection, xcb_query_pointer(connection, x_->root()), nullptr);
        heldModifiers_ = pointer != nullptr ? static_cast<std::uint16_t>(pointer->mask & 0xff) : 0;
        std::free(pointer);
        heldModifierKeys_.clear();
    }
    struct {
        xcb_input_event_mask_t head;
        std::uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, wanted};
    xcb_input_xi_select_events(x_->connection(), x_->root(), 1, &mask.head);
    xcb_flush(x_->connection());
    selectedMask_ = wanted;
}

void X11Input::handleRawEvent(std::uint16_t type, std::uint32_t detail)
{
    if (type == XCB_INPUT_RAW_MOTION) {
        motionPending_ = true;
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
