#include "MutterIdleMonitor.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <utility>

namespace cendrel {

namespace {

const QString service = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString path = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");
const QString interfaceName = QStringLiteral("org.gnome.Mutter.IdleMonitor");
constexpr int callTimeoutMs = 1000;

QDBusMessage call(const QString& method)
{
    return QDBusMessage::createMethodCall(service, path, interfaceName, method);
}

} // namespace

bool MutterIdleMonitor::present()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface()->isServiceRegistered(service).value();
}

MutterIdleMonitor::MutterIdleMonitor(std::function<void()> onActive, std::function<void(const std::string&)> onLost)
    : onActive_(std::move(onActive)), onLost_(std::move(onLost)),
      owner_(service, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange)
{
    QObject::connect(&owner_, &QDBusServiceWatcher::serviceOwnerChanged, this,
                     [this] { lose("the idle monitor of the desktop went away"); });
    // Connected before the watch is added, so that no fire goes unheard.
    QDBusConnection::sessionBus().connect(service, path, interfaceName, QStringLiteral("WatchFired"), this,
                                          SLOT(watchFired(uint)));
    addWatch();
}

MutterIdleMonitor::~MutterIdleMonitor()
{
    if (watchId_) {
        QDBusMessage remove = call(QStringLiteral("RemoveWatch"));
        remove << *watchId_;
        QDBusConnection::sessionBus().send(remove);
    }
}

void MutterIdleMonitor::addWatch()
{
    const QDBusMessage reply =
        QDBusConnection::sessionBus().call(call(QStringLiteral("AddUserActiveWatch")), QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        // Told from the loop, not from inside whoever is adding the watch.
        QMetaObject::invokeMethod(
            this, [this] { lose("the idle monitor of the desktop did not answer"); }, Qt::QueuedConnection);
        return;
    }
    watchId_ = reply.arguments().constFirst().toUInt();
}

void MutterIdleMonitor::watchFired(uint id)
{
    if (!watchId_ || id != *watchId_)
        return;
    watchId_.reset();
    addWatch();
    // The call may release this monitor: run a copy.
    const auto handler = onActive_;
    handler();
}

void MutterIdleMonitor::lose(const std::string& what)
{
    // Told once; later fires mean nothing.
    watchId_.reset();
    const auto handler = std::exchange(onLost_, nullptr);
    if (handler)
        handler(what);
}

} // namespace cendrel
