// Lock of a screen saver on the session bus by its well-known name, through
// Qt D-Bus, asynchronously. Cinnamon's Lock takes the message to show. KDE's and Xfce's lockers own
// org.freedesktop.ScreenSaver; GNOME's proxy of that name offers no Lock (its
// own is org.gnome.ScreenSaver); Debian's MATE and Cinnamon lockers own only
// their own names. KDE answers Lock only once its lock screen is up, a second
// or more later, so the call is given as long as the lock as a whole.
#include "ScreenSaverLock.h"

#include "Login1ScreenLocker.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace cendrel {

namespace {

constexpr int answerLimitMs = 5000;
constexpr int activeIntervalMs = 250;

class ScreenSaverRequest final : public LockRequest {
public:
    ScreenSaverRequest(const std::string& name, LockReplyHandler onReply)
        : name_(QString::fromStdString(name)), path_(QString::fromStdString(screenSaverPath(name))),
          onReply_(std::move(onReply))
    {
        QObject::connect(&activePoll_, &QTimer::timeout, [this] { askActive(); });
    }

    // Called with auto-start: GNOME's may be activatable rather than owned.
    // Nobody owning the name, and no service file for it, is an error the
    // bus gives at once.
    void start(bool lockTakesMessage)
    {
        QDBusMessage lock = method(QStringLiteral("Lock"));
        if (lockTakesMessage)
            lock << QString();
        send(lock, [this](const QDBusMessage& lockReply) {
            if (lockReply.type() != QDBusMessage::ReplyMessage) {
                finish({LockReport::Outcome::failed, lockFailureFromError(lockReply.errorName().toStdString())});
                return;
            }
            onReply_({LockReport::Outcome::accepted, LockFailure::refused});
            askActive();
            activePoll_.start(activeIntervalMs);
        });
    }

private:
    QDBusMessage method(const QString& member) const
    {
        return QDBusMessage::createMethodCall(name_, path_, name_, member);
    }

    void send(const QDBusMessage& message, std::function<void(const QDBusMessage&)> onAnswer)
    {
        auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, answerLimitMs));
        watchers_.emplace_back(watcher);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [this, watcher, onAnswer] {
            const QDBusMessage reply = watcher->reply();
            std::erase_if(watchers_, [watcher](const auto& each) { return each.get() == watcher; });
            if (onReply_)
                onAnswer(reply);
        });
    }

    void askActive()
    {
        if (asking_)
            return;
        asking_ = true;
        send(method(QStringLiteral("GetActive")), [this](const QDBusMessage& reply) {
            asking_ = false;
            if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().value(0).toBool())
                finish({LockReport::Outcome::locked, LockFailure::refused});
        });
    }

    void finish(LockReport report)
    {
        activePoll_.stop();
        if (const auto onReply = std::exchange(onReply_, nullptr))
            onReply(report);
    }

    struct Later {
        void operator()(QDBusPendingCallWatcher* watcher) const
        {
            watcher->disconnect();
            watcher->deleteLater();
        }
    };

    QString name_;
    QString path_;
    LockReplyHandler onReply_;
    // Deleted on a later pass: one of them may be the one reporting.
    std::vector<std::unique_ptr<QDBusPendingCallWatcher, Later>> watchers_;
    QTimer activePoll_;
    bool asking_ = false;
};

} // namespace

std::string screenSaverPath(const std::string& name)
{
    std::string path = "/" + name;
    std::replace(path.begin(), path.end(), '.', '/');
    return path;
}

std::unique_ptr<LockRequest> askScreenSaver(const std::string& name, bool lockTakesMessage, LockReplyHandler onReply)
{
    if (!QDBusConnection::sessionBus().isConnected())
        return nullptr;
    auto request = std::make_unique<ScreenSaverRequest>(name, std::move(onReply));
    request->start(lockTakesMessage);
    return request;
}

bool screenSaverFound(const std::vector<std::string>& names)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr)
        return false;
    const QStringList activatable = bus.interface()->activatableServiceNames().value();
    for (const std::string& name : names) {
        const QString busName = QString::fromStdString(name);
        if (activatable.contains(busName) || bus.interface()->isServiceRegistered(busName).value())
            return true;
    }
    return false;
}

} // namespace cendrel
