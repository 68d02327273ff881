// Lock of org.freedesktop.ScreenSaver on /org/freedesktop/ScreenSaver, which
// the lockers of KDE, Xfce, Cinnamon and MATE answer. Gap: GNOME's proxy of
// that name offers no Lock (its own is org.gnome.ScreenSaver); there login1
// has locked first.
#include "ScreenSaverLock.h"

#include "Login1ScreenLocker.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace cendrel {

std::optional<LockFailure> lockScreenSaver(std::chrono::milliseconds limit)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return LockFailure::unavailable;
    const QDBusMessage lock = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("Lock"));
    // Block, not BlockWithGui: no event of ours is handled while we wait, so
    // nothing can start a second lock from inside this one.
    const QDBusMessage reply = bus.call(lock, QDBus::Block, static_cast<int>(limit.count()));
    if (reply.type() == QDBusMessage::ReplyMessage)
        return std::nullopt;
    return lockFailureFromError(reply.errorName());
}

} // namespace cendrel
