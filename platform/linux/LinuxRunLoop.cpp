// Timers are Qt timers on one host object; run-loop modes are modelled with a
// menu-tracking flag set by the status menu, since Qt keeps every timer
// running while a popup is open. Gap: a repeating default-mode timer that
// comes due several times during a menu fires once when it closes.
#include "LinuxRunLoop.h"

#include "LinuxKeyCodes.h"
#include "LinuxScreens.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QTimerEvent>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <map>

namespace cendrel {

class LinuxEventMonitor final : public EventMonitor {
public:
    std::uint64_t mask = 0;
    std::function<void(const Event&)> globalHandler;
    std::function<std::optional<Event>(const Event&)> localHandler;
    bool active = true;
};

class LinuxTimer;

// Owns the Qt timer ids; a timer object only refers to its id, so releasing
// it from inside its own block is safe.
class LinuxTimerHost final : public QObject {
public:
    explicit LinuxTimerHost(LinuxRunLoop& runLoop) : runLoop_(runLoop) {}

    int start(Seconds interval, const std::shared_ptr<LinuxTimer>& timer);
    void stop(int id)
    {
        killTimer(id);
        running_.erase(id);
    }
    // Fires, in the order they came due, the timers that waited for a menu.
    void fireWaiting();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    LinuxRunLoop& runLoop_;
    std::map<int, std::weak_ptr<LinuxTimer>> running_;
    std::vector<std::weak_ptr<LinuxTimer>> waiting_;
    std::uint64_t dueOrder_ = 0;
};

class LinuxTimer final : public Timer {
public:
    LinuxTimer(LinuxTimerHost& host, bool repeats, std::function<void()> block)
        : host_(&host), repeats_(repeats), block_(std::move(block))
    {
    }
    ~LinuxTimer() override { invalidate(); }

    void invalidate() override
    {
        stopTicking();
        due_ = 0;
        block_ = nullptr;
    }

    void stopTicking()
    {
        if (host_ && id_ != 0) {
            host_->stop(id_);
        }
        id_ = 0;
    }

    void fire()
    {
        due_ = 0;
        // A one-shot timer is spent before its block runs; the block may even
        // release the timer, so it runs from a copy.
        auto block = block_;
        if (!repeats_) {
            stopTicking();
            block_ = nullptr;
        }
        if (block) {
            block();
        }
    }

    QPointer<LinuxTimerHost> host_;
    int id_ = 0;
    bool repeats_ = false;
    bool commonModes_ = false;
    // Non-zero while a firing waits for the menu to close; orders the waiters.
    std::uint64_t due_ = 0;
    std::function<void()> block_;
};

int LinuxTimerHost::start(Seconds interval, const std::shared_ptr<LinuxTimer>& timer)
{
    const auto milliseconds = static_cast<int>(std::lround(std::max(0.0, interval.count()) * 1000.0));
    const int id = startTimer(milliseconds, Qt::PreciseTimer);
    if (id != 0) {
        running_[id] = timer;
    }
    return id;
}

void LinuxTimerHost::timerEvent(QTimerEvent* event)
{
    const int id = event->timerId();
    auto found = running_.find(id);
    auto timer = found == running_.end() ? nullptr : found->second.lock();
    if (!timer) {
        stop(id);
        return;
    }
    if (runLoop_.isTrackingMenu() && !timer->commonModes_) {
        if (timer->due_ == 0) {
            timer->due_ = ++dueOrder_;
            waiting_.push_back(timer);
        }
        if (!timer->repeats_) {
            timer->stopTicking();
        }
        return;
    }
    timer->fire();
}

void LinuxTimerHost::fireWaiting()
{
    std::vector<std::shared_ptr<LinuxTimer>> waiting;
    for (const auto& weak : waiting_) {
        if (auto timer = weak.lock(); timer && timer->due_ != 0) {
            waiting.push_back(timer);
        }
    }
    waiting_.clear();
    std::sort(waiting.begin(), waiting.end(), [](const auto& a, const auto& b) { return a->due_ < b->due_; });
    for (const auto& timer : waiting) {
        // An earlier block may have invalidated a later waiter.
        if (timer->due_ != 0) {
            timer->fire();
        }
    }
}

// Hands key presses that reach this program's widgets to the local monitors
// before Qt dispatches them.
class LinuxKeyFilter final : public QObject {
public:
    explicit LinuxKeyFilter(LinuxRunLoop& runLoop) : runLoop_(runLoop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Each key press reaches its window once before Qt hands it to the
        // focus widget and then to each parent in turn: look at it there.
        if (event->type() != QEvent::KeyPress || !watched->isWindowType()) {
            return false;
        }
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto macKey = linux_keys::macKeyCodeFromXKeycode(key->nativeScanCode());
        if (!macKey || isModifierKey(key->key())) {
            // A modifier alone is a flags change, not a key press.
            return false;
        }
        Event converted;
        converted.type = EventType::keyDown;
        converted.keyCode = *macKey;
        converted.modifierFlags = linux_keys::eventFlagsFromXState(key->nativeModifiers());
        return runLoop_.deliverLocalKeyDown(converted);
    }

private:
    static bool isModifierKey(int key)
    {
        switch (key) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_ScrollLock:
            return true;
        default:
            return false;
        }
    }

    LinuxRunLoop& runLoop_;
};

std::optional<Event> eventFromRawInput(const RawInput& input)
{
    Event event;
    switch (input.kind) {
    case RawInput::Kind::buttonPress:
    case RawInput::Kind::buttonRelease: {
        const bool press = input.kind == RawInput::Kind::buttonPress;
        if (input.detail >= 4 && input.detail <= 7) {
            // X reports each wheel step as a click of buttons 4 to 7.
            if (!press) {
                return std::nullopt;
            }
            event.type = EventType::scrollWheel;
        } else if (input.detail == 1) {
            event.type = press ? EventType::leftMouseDown : EventType::leftMouseUp;
        } else if (input.detail == 3) {
            event.type = press ? EventType::rightMouseDown : EventType::rightMouseUp;
        } else {
            event.type = press ? EventType::otherMouseDown : EventType::otherMouseUp;
        }
        return event;
    }
    case RawInput::Kind::keyPress:
    case RawInput::Kind::keyRelease:
        event.type = input.kind == RawInput::Kind::keyPress ? EventType::keyDown : EventType::keyUp;
        // A key the tables do not know still counts as a key press.
        event.keyCode = linux_keys::macKeyCodeFromXKeycode(input.detail).value_or(0xFFFF);
        return event;
    }
    return std::nullopt;
}

LinuxRunLoop::LinuxRunLoop(std::shared_ptr<LinuxXConnection> x)
    : x_(std::move(x)), timers_(std::make_unique<LinuxTimerHost>(*this))
{
    if (x_) {
        x_->onRawInput = [this](const RawInput& input) { deliverRawInput(input); };
    }
}

LinuxRunLoop::~LinuxRunLoop()
{
    if (x_) {
        x_->onRawInput = nullptr;
        x_->setRawInputWanted(false);
    }
    if (keyFilter_ && qApp != nullptr) {
        qApp->removeEventFilter(keyFilter_.get());
    }
}

std::shared_ptr<Timer> LinuxRunLoop::scheduledTimer(Seconds interval, bool repeats, std::function<void()> block)
{
    auto timer = std::make_shared<LinuxTimer>(*timers_, repeats, std::move(block));
    timer->id_ = timers_->start(interval, timer);
    return timer;
}

void LinuxRunLoop::addTimerForCommonModes(const std::shared_ptr<Timer>& timer)
{
    if (auto* linuxTimer = dynamic_cast<LinuxTimer*>(timer.get())) {
        linuxTimer->commonModes_ = true;
    }
}

void LinuxRunLoop::postToMainQueue(std::function<void()> block)
{
    QMetaObject::invokeMethod(
        timers_.get(), [block = std::move(block)] { block(); }, Qt::QueuedConnection);
}

std::shared_ptr<EventMonitor> LinuxRunLoop::addGlobalMonitor(std::uint64_t mask,
                                                             std::function<void(const Event&)> handler)
{
    if (!x_ || !x_->hasRawInput()) {
        return nullptr;
    }
    auto monitor = std::make_shared<LinuxEventMonitor>();
    monitor->mask = mask;
    monitor->globalHandler = std::move(handler);
    globalMonitors_.push_back(monitor);
    updateRawSelection();
    return monitor;
}

std::shared_ptr<EventMonitor> LinuxRunLoop::addLocalMonitor(std::uint64_t mask,
                                                            std::function<std::optional<Event>(const Event&)> handler)
{
    auto monitor = std::make_shared<LinuxEventMonitor>();
    monitor->mask = mask;
    monitor->localHandler = std::move(handler);
    localMonitors_.push_back(monitor);
    if (!keyFilter_) {
        keyFilter_ = std::make_unique<LinuxKeyFilter>(*this);
        qApp->installEventFilter(keyFilter_.get());
    }
    return monitor;
}

void LinuxRunLoop::removeMonitor(const std::shared_ptr<EventMonitor>& monitor)
{
    auto* linuxMonitor = dynamic_cast<LinuxEventMonitor*>(monitor.get());
    if (linuxMonitor == nullptr) {
        return;
    }
    linuxMonitor->active = false;
    std::erase_if(globalMonitors_, [&](const auto& entry) { return entry.get() == linuxMonitor; });
    std::erase_if(localMonitors_, [&](const auto& entry) { return entry.get() == linuxMonitor; });
    updateRawSelection();
}

void LinuxRunLoop::updateRawSelection()
{
    if (x_) {
        x_->setRawInputWanted(!globalMonitors_.empty());
    }
}

void LinuxRunLoop::deliverRawInput(const RawInput& input)
{
    // Input aimed at this program (its menu, its panel) is not input for
    // other applications.
    if (QApplication::activePopupWidget() != nullptr || QApplication::activeWindow() != nullptr) {
        return;
    }
    const auto event = eventFromRawInput(input);
    if (!event) {
        return;
    }
    const auto monitors = globalMonitors_;
    for (const auto& monitor : monitors) {
        if (monitor->active && (monitor->mask & eventMask(event->type)) != 0 && monitor->globalHandler) {
            monitor->globalHandler(*event);
        }
    }
}

bool LinuxRunLoop::deliverLocalKeyDown(const Event& event)
{
    const auto monitors = localMonitors_;
    std::optional<Event> current = event;
    for (const auto& monitor : monitors) {
        if (!current) {
            break;
        }
        if (monitor->active && (monitor->mask & eventMask(current->type)) != 0 && monitor->localHandler) {
            current = monitor->localHandler(*current);
        }
    }
    return !current.has_value();
}

Point LinuxRunLoop::mouseLocation()
{
    const QPoint position = QCursor::pos();
    const auto primary = primaryScreenXRect();
    const Point xPoint{double(position.x()), double(position.y())};
    return primary ? globalPointFromX(xPoint, *primary) : xPoint;
}

void LinuxRunLoop::beginMenuTracking()
{
    ++menuDepth_;
}

void LinuxRunLoop::endMenuTracking()
{
    if (menuDepth_ == 0) {
        return;
    }
    if (--menuDepth_ > 0) {
        return;
    }
    // After the menu has finished closing, not from inside its hide.
    QMetaObject::invokeMethod(
        timers_.get(),
        [this] {
            if (!isTrackingMenu()) {
                timers_->fireWaiting();
            }
        },
        Qt::QueuedConnection);
}

} // namespace cendrel
