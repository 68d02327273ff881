// The timeout is 1 ms, never 0: some compositors send `idled` once for 0 and
// then never `resumed`.
#include "WaylandInput.h"

#include "MutterIdleMonitor.h"

#include "ext-idle-notify-v1-client-protocol.h"
#include "kde-idle-client-protocol.h"

#include <QTimer>

#include <utility>

namespace cendrel {

namespace {

constexpr std::uint32_t timeoutMs = 1;
constexpr std::chrono::milliseconds probeInterval{1000};
const std::string silenced = "a program is keeping the screen awake, so input cannot be seen";

} // namespace

// One idle notification of the given mechanism, released with the object.
class WaylandInput::Notification {
public:
    Notification(WaylandConnection& connection, Mechanism mechanism)
    {
        wl_seat* seat = connection.seat();
        switch (mechanism) {
        case Mechanism::inputIdle:
            ext_ = ext_idle_notifier_v1_get_input_idle_notification(connection.idleNotifier(), timeoutMs, seat);
            break;
        case Mechanism::idle:
            ext_ = ext_idle_notifier_v1_get_idle_notification(connection.idleNotifier(), timeoutMs, seat);
            break;
        case Mechanism::kdeIdle:
            kde_ = org_kde_kwin_idle_get_idle_timeout(connection.kdeIdle(), seat, timeoutMs);
            break;
        case Mechanism::mutterIdleMonitor:
            break;
        }
        if (ext_ != nullptr)
            ext_idle_notification_v1_add_listener(ext_, &extListener, this);
        if (kde_ != nullptr)
            org_kde_kwin_idle_timeout_add_listener(kde_, &kdeListener, this);
        connection.flush();
    }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    ~Notification()
    {
        if (ext_ != nullptr)
            ext_idle_notification_v1_destroy(ext_);
        if (kde_ != nullptr)
            org_kde_kwin_idle_timeout_release(kde_);
    }

    bool idled = false;
    std::function<void()> onResumed;

private:
    static void idle(void* data) { static_cast<Notification*>(data)->idled = true; }
    static void resumed(void* data)
    {
        // The call may release this notification: run a copy.
        const auto handler = static_cast<Notification*>(data)->onResumed;
        if (handler)
            handler();
    }

    static constexpr ext_idle_notification_v1_listener extListener{
        [](void* data, ext_idle_notification_v1*) { idle(data); },
        [](void* data, ext_idle_notification_v1*) { resumed(data); }};
    static constexpr org_kde_kwin_idle_timeout_listener kdeListener{
        [](void* data, org_kde_kwin_idle_timeout*) { idle(data); },
        [](void* data, org_kde_kwin_idle_timeout*) { resumed(data); }};

    ext_idle_notification_v1* ext_ = nullptr;
    org_kde_kwin_idle_timeout* kde_ = nullptr;
};

// What a live watch calls: set until the watch is released.
struct WaylandInput::Handler {
    std::function<bool()> onInput;
    bool locks = true;
};

class WaylandInput::Watch final : public InputWatch {
public:
    std::shared_ptr<Handler> handler;
    std::unique_ptr<MutterIdleMonitor> mutter;
    std::unique_ptr<Notification> notification;
    std::unique_ptr<Notification> probe;
    std::unique_ptr<QTimer> probeTimer;
};

std::shared_ptr<WaylandInput> WaylandInput::create(std::shared_ptr<WaylandConnection> connection,
                                                   std::shared_ptr<SystemLog> log)
{
    std::shared_ptr<WaylandInput> input(new WaylandInput(std::move(connection), std::move(log)));
    if (input->connection_) {
        input->connection_->onLost = [weak = std::weak_ptr(input)](const std::string& what) {
            if (auto self = weak.lock())
                self->loseSight(what);
        };
    }
    return input;
}

WaylandInput::WaylandInput(std::shared_ptr<WaylandConnection> connection, std::shared_ptr<SystemLog> log)
    : connection_(std::move(connection)), log_(std::move(log))
{
}

std::optional<WaylandInput::Mechanism> WaylandInput::mechanism() const
{
    if (!connection_ || !connection_->lost().empty() || connection_->seat() == nullptr)
        return std::nullopt;
    if (MutterIdleMonitor::present())
        return Mechanism::mutterIdleMonitor;
    if (connection_->idleNotifier() != nullptr)
        return connection_->idleNotifierVersion() >= 2 ? Mechanism::inputIdle : Mechanism::idle;
    if (connection_->kdeIdle() != nullptr)
        return Mechanism::kdeIdle;
    return std::nullopt;
}

std::string WaylandInput::whyUnseenWithoutProbe() const
{
    if (!connection_)
        return "the Wayland compositor cannot be reached, so input cannot be seen";
    if (!connection_->lost().empty())
        return connection_->lost() + ", so input cannot be seen";
    if (connection_->seat() == nullptr)
        return "the compositor offers no seat, so input cannot be seen";
    if (!mechanism())
        return "the compositor offers no idle notifications, so input cannot be seen";
    return {};
}

std::string WaylandInput::whyInputIsUnseen()
{
    if (std::string why = whyUnseenWithoutProbe(); !why.empty())
        return why;
    const Mechanism best = *mechanism();
    if (best == Mechanism::mutterIdleMonitor || best == Mechanism::inputIdle)
        return {};
    Notification probe(*connection_, best);
    if (connection_->dispatchUntil([&probe] { return probe.idled; }, probeTimeout))
        return {};
    return connection_->lost().empty() ? silenced : connection_->lost() + ", so input cannot be seen";
}

std::unique_ptr<InputWatch> WaylandInput::watchInput(std::function<bool()> onInput)
{
    auto watch = std::make_unique<Watch>();
    watch->handler = std::make_shared<Handler>(Handler{std::move(onInput)});
    std::erase_if(handlers_, [](const std::weak_ptr<Handler>& handler) { return handler.expired(); });
    handlers_.push_back(watch->handler);
    const auto best = mechanism();
    if (!best) {
        // Armed and blind: lock, once the watch is in place.
        QTimer::singleShot(0, [weak = weak_from_this(), why = whyUnseenWithoutProbe()] {
            if (auto self = weak.lock())
                self->loseSight(why);
        });
        return watch;
    }
    auto onActive = [weak = std::weak_ptr(watch->handler)] {
        if (auto handler = weak.lock())
            handler->onInput();
    };
    if (*best == Mechanism::mutterIdleMonitor) {
        watch->mutter =
            std::make_unique<MutterIdleMonitor>(onActive, [weak = weak_from_this()](const std::string& what) {
                if (auto self = weak.lock())
                    self->loseSight(what);
            });
        return watch;
    }
    watch->notification = std::make_unique<Notification>(*connection_, *best);
    watch->notification->onResumed = onActive;
    if (*best == Mechanism::inputIdle)
        return watch;
    // An inhibitor that appears while armed silences the notification
    // without a word; a fresh one that never goes idle tells.
    watch->probeTimer = std::make_unique<QTimer>();
    QObject::connect(watch->probeTimer.get(), &QTimer::timeout,
                     [weak = weak_from_this(), watchPtr = watch.get(), best = *best] {
                         auto self = weak.lock();
                         if (!self)
                             return;
                         if (watchPtr->probe && !watchPtr->probe->idled) {
                             // Not from inside the timer, which the lock releases.
                             QTimer::singleShot(0, [weak] {
                                 if (auto input = weak.lock())
                                     input->loseSight(silenced);
                             });
                             return;
                         }
                         watchPtr->probe = std::make_unique<Notification>(*self->connection_, best);
                     });
    watch->probe = std::make_unique<Notification>(*connection_, *best);
    watch->probeTimer->start(probeInterval);
    return watch;
}

std::unique_ptr<InputWatch> WaylandInput::watchNextInput(std::function<void()> onInput)
{
    auto watch = watchInput([onInput = std::move(onInput), once = std::make_shared<bool>(false)] {
        if (!std::exchange(*once, true))
            onInput();
        return false;
    });
    static_cast<Watch&>(*watch).handler->locks = false;
    return watch;
}

void WaylandInput::loseSight(const std::string& what)
{
    std::vector<std::shared_ptr<Handler>> live;
    bool locking = false;
    for (const auto& weak : handlers_) {
        if (auto handler = weak.lock()) {
            live.push_back(handler);
            locking = locking || handler->locks;
        }
    }
    log_->log("Cendrel: lost sight of input: " + what + (locking ? "; locking" : ""));
    // Each watch that was live locks; a handler released by an earlier one
    // in this loop does nothing.
    for (const auto& handler : live) {
        if (handler.use_count() > 1)
            handler->onInput();
    }
}

} // namespace cendrel
