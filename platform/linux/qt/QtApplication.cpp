// Launching has finished once the event loop runs. There is no Dock on a
// Linux desktop, so becoming an accessory only keeps the program alive
// without windows.
#include "QtApplication.h"

#include "CendrelIcons.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <QVariantMap>

namespace cendrel {

void QtApplication::run(std::function<void()> didFinishLaunching)
{
    QTimer::singleShot(0, qApp, std::move(didFinishLaunching));
    QApplication::exec();
}

void QtApplication::becomeAccessory()
{
    QApplication::setQuitOnLastWindowClosed(false);
}

void QtApplication::terminate()
{
    // Quit is usually chosen from the tray menu over D-Bus, and Qt answers
    // that call from its D-Bus thread after the action returns. A round trip
    // to the bus, started once the answer is queued ahead of it, comes back
    // only after the answer has left; quitting before that leaves the tray
    // host without one.
    QMetaObject::invokeMethod(
        qApp,
        [] {
            QDBusConnection bus = QDBusConnection::sessionBus();
            if (!bus.isConnected()) {
                QApplication::quit();
                return;
            }
            const QDBusMessage ping = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
            auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(ping, 1000), qApp);
            QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp, [watcher] {
                watcher->deleteLater();
                QApplication::quit();
            });
        },
        Qt::QueuedConnection);
}

void QtApplication::showAlert(const std::string& message, const std::string& information)
{
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Cendrel"));
    box.setText(QString::fromStdString(message));
    box.setInformativeText(QString::fromStdString(information));
    box.setStandardButtons(QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.show();
    box.raise();
    box.activateWindow();
    box.exec();
}

void QtApplication::closeAlert()
{
    // The program's only modal window is its alert.
    if (auto* alert = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
        alert->reject();
}

namespace {

// The padlock itself, as the notification's image-data hint (iiibiiay:
// width, height, row stride, alpha, bits per sample, channels, RGBA bytes):
// the icon name alone falls back to the server's generic icon, a warning
// sign for a critical notice, wherever the theme has no "cendrel".
QDBusArgument padlockImage()
{
    const QImage image = applicationIcon().pixmap(64, 64).toImage().convertToFormat(QImage::Format_RGBA8888);
    QDBusArgument argument;
    argument.beginStructure();
    argument << image.width() << image.height() << static_cast<int>(image.bytesPerLine()) << true << 8 << 4
             << QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    argument.endStructure();
    return argument;
}

} // namespace

QDBusMessage notification(const Notice& notice, std::uint32_t replacesId)
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Critical urgency: the server keeps it until the user dismisses it. The
    // desktop entry lets the server group our notices and show our name.
    const QVariantMap hints{{QStringLiteral("urgency"), QVariant::fromValue(uchar(notice.critical ? 2 : 1))},
                            {QStringLiteral("desktop-entry"), QStringLiteral("org.cendrel.Cendrel")},
                            {QStringLiteral("image-data"), QVariant::fromValue(padlockImage())}};
    message << QStringLiteral("Cendrel") << replacesId << QStringLiteral("cendrel")
            << QString::fromStdString(notice.title) << QString::fromStdString(notice.body) << QStringList() << hints
            << -1;
    return message;
}

void QtApplication::notify(const Notice& notice)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Without a notification server the log line stands alone.
    if (!bus.isConnected())
        return;
    const auto earlier = shown_->find(notice.subject);
    const std::uint32_t replaces = earlier == shown_->end() ? 0 : earlier->second;
    // The answer, the notice's number, comes back on the event loop: a
    // notice is sent on the way from a touch to its lock, which waits for
    // no server.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notification(notice, replaces)), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp,
                     [watcher, subject = notice.subject, weak = std::weak_ptr(shown_)] {
                         watcher->deleteLater();
                         const QDBusMessage reply = watcher->reply();
                         auto shown = weak.lock();
                         if (shown && reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                             (*shown)[subject] = reply.arguments().constFirst().toUInt();
                     });
}

std::unique_ptr<Activity> QtApplication::beginActivity(std::string_view)
{
    return std::make_unique<Activity>();
}

} // namespace cendrel
