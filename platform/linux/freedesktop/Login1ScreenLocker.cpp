// Lock on the session object "auto" (the caller's own session) of
// org.freedesktop.login1, as `loginctl lock-session` asks for it: one call on
// the system bus, bounded to a second, so a hung login manager costs at most
// that before the stand-in runs. Gap: the desktop's screen locker does the
// locking; a session without one is not locked.
#include "Login1ScreenLocker.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>

namespace cendrel {

namespace {
constexpr int callTimeoutMs = 1000;
}

LockFailure lockFailureFromError(const QString& errorName)
{
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        return LockFailure::unavailable;
    if (errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod") ||
        errorName == QLatin1String("org.freedesktop.DBus.Error.UnknownInterface"))
        return LockFailure::missing;
    return LockFailure::refused;
}

void Login1ScreenLocker::lockSession(const std::function<void(LockFailure)>& onFailure)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        onFailure(LockFailure::unavailable);
        return;
    }
    const QDBusMessage lock = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1/session/auto"),
        QStringLiteral("org.freedesktop.login1.Session"), QStringLiteral("Lock"));
    const QDBusMessage reply = bus.call(lock, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        onFailure(lockFailureFromError(reply.errorName()));
}

bool Login1ScreenLocker::sleepDisplay()
{
    return QProcess::startDetached(QStringLiteral("xset"),
                                   {QStringLiteral("dpms"), QStringLiteral("force"), QStringLiteral("off")});
}

} // namespace cendrel
