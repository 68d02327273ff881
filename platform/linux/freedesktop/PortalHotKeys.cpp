// The GlobalShortcuts portal, version 1: CreateSession, then BindShortcuts
// with the one shortcut, each answered later by the Response signal of a
// Request object whose path follows from our handle token; then Activated
// for each press. A binding the desktop kept from an earlier start is asked
// first (ListShortcuts), so that its dialog comes up only when there is none.
// Every call is asynchronous: the desktop may put a dialog
// before the owner first. Gap: a registration released before the portal
// has created its session leaves that session to end with the connection.
#include "PortalHotKeys.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QPointer>
#include <QVariantMap>

#include <array>
#include <utility>

namespace cendrel {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString shortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString shortcutId = QStringLiteral("toggle");

struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

} // namespace

} // namespace cendrel

Q_DECLARE_METATYPE(cendrel::PortalShortcut)

namespace cendrel {

namespace {

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

// A token unique in this process, for the last element of an object path.
QString newToken()
{
    static unsigned count = 0;
    return QStringLiteral("cendrel%1").arg(++count);
}

// The trigger the desktop describes for our shortcut in a list of them; empty
// when the list leaves it without one.
std::string triggerIn(const QVariant& shortcuts)
{
    for (const PortalShortcut& shortcut : qdbus_cast<QList<PortalShortcut>>(shortcuts)) {
        if (shortcut.id == shortcutId)
            return shortcut.properties.value(QStringLiteral("trigger_description")).toString().toStdString();
    }
    return {};
}

// What a Response signal says: 0 for success, and its results.
std::pair<uint, QVariantMap> responseOf(const QDBusMessage& response)
{
    const QList<QVariant> arguments = response.arguments();
    if (arguments.size() < 2)
        return {2, {}};
    return {arguments.at(0).toUInt(), qdbus_cast<QVariantMap>(arguments.at(1))};
}

QString objectPath(const QVariant& value)
{
    return value.userType() == qMetaTypeId<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path()
                                                              : value.toString();
}

class PortalRegistration final : public HotKeyRegistration {
public:
    explicit PortalRegistration(PortalSession* session) : session_(session) {}
    // Later: the press that releases it may be running in one of its slots.
    ~PortalRegistration() override
    {
        session_->stop();
        session_->deleteLater();
    }
    bool reportBinding(std::function<void(const DesktopBinding&)> onBinding) override
    {
        session_->start(std::move(onBinding));
        return true;
    }

private:
    PortalSession* session_;
};

} // namespace

QString portalTrigger(Modifiers modifiers, const std::string& keySymbol)
{
    constexpr std::array<std::pair<Modifier, const char*>, 4> names{{{Modifier::control, "CTRL"},
                                                                     {Modifier::option, "ALT"},
                                                                     {Modifier::shift, "SHIFT"},
                                                                     {Modifier::command, "LOGO"}}};
    QString trigger;
    for (const auto& [modifier, name] : names) {
        if (modifiers.contains(modifier))
            trigger += QLatin1String(name) + QLatin1Char('+');
    }
    return trigger + QString::fromStdString(keySymbol);
}

PortalHotKeys::PortalHotKeys(std::function<std::optional<std::string>(KeyCode)> keySymbolName,
                             std::shared_ptr<OwnerShortcuts> owner)
    : keySymbolName_(std::move(keySymbolName)), owner_(std::move(owner))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

HotKeyResult PortalHotKeys::registerHotKey(std::uint32_t keyCode, Modifiers modifiers, std::function<void()> onPress)
{
    const auto name = keyCode <= 0xFFFF ? keySymbolName_(static_cast<KeyCode>(keyCode)) : std::nullopt;
    if (!name)
        return HotKeyFailure{"(no key on this keyboard for key code " + std::to_string(keyCode) + ")"};
    if (!QDBusConnection::sessionBus().isConnected())
        return HotKeyFailure{"(no session bus, so no shortcuts portal)"};
    return std::make_unique<PortalRegistration>(
        new PortalSession(portalTrigger(modifiers, *name), std::move(onPress), owner_));
}

PortalSession::PortalSession(QString preferredTrigger, std::function<void()> onPress,
                             std::shared_ptr<OwnerShortcuts> owner)
    : preferredTrigger_(std::move(preferredTrigger)), onPress_(std::move(onPress)), owner_(std::move(owner))
{
}

PortalSession::~PortalSession()
{
    if (sessionPath_.isEmpty())
        return;
    QDBusConnection::sessionBus().send(QDBusMessage::createMethodCall(
        portalService, sessionPath_, QStringLiteral("org.freedesktop.portal.Session"), QStringLiteral("Close")));
}

void PortalSession::start(std::function<void(const DesktopBinding&)> onBinding)
{
    onBinding_ = std::move(onBinding);
    const QString token = newToken();
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, QStringLiteral("CreateSession"));
    call << QVariantMap{{QStringLiteral("handle_token"), token}, {QStringLiteral("session_handle_token"), newToken()}};
    request(call, token, SLOT(sessionCreated(QDBusMessage)),
            [this](const QString& error, const QString& message) { portalFailed(error, message); });
}

void PortalSession::request(QDBusMessage call, const QString& token, const char* slot,
                            std::function<void(const QString&, const QString&)> onFailure)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The request's path is known before the call, so that an answer sent
    // at once is not missed: our unique name without its colon, dots as
    // underscores, then the token.
    const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
    const QString path = QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
    const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");
    bus.connect(portalService, path, requestInterface, QStringLiteral("Response"), this, slot);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, path, requestInterface, slot, onFailure = std::move(onFailure)] {
                watcher->deleteLater();
                const QDBusMessage reply = watcher->reply();
                if (reply.type() != QDBusMessage::ReplyMessage) {
                    onFailure(reply.errorName(), reply.errorMessage());
                    return;
                }
                // Portals before version 0.9 chose the path themselves.
                const QString given = objectPath(reply.arguments().value(0));
                if (!given.isEmpty() && given != path)
                    QDBusConnection::sessionBus().connect(portalService, given, requestInterface,
                                                          QStringLiteral("Response"), this, slot);
            });
}

void PortalSession::portalFailed(const QString& error, const QString& message)
{
    // No portal, or one without this interface (no backend for it).
    if (error.startsWith(QLatin1String("org.freedesktop.DBus.Error.Unknown")) ||
        error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        report({DesktopBinding::Outcome::unavailable, {}});
    else
        report({DesktopBinding::Outcome::refused, "(the shortcuts portal failed: " + message.toStdString() + ")"});
}

void PortalSession::sessionCreated(const QDBusMessage& response)
{
    const auto [code, results] = responseOf(response);
    sessionPath_ = objectPath(results.value(QStringLiteral("session_handle")));
    if (code != 0 || sessionPath_.isEmpty()) {
        report({DesktopBinding::Outcome::refused,
                "(the shortcuts portal refused a session, response " + std::to_string(code) + ")"});
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("Activated"), this,
                SLOT(activated(QDBusMessage)));
    bus.connect(portalService, portalPath, shortcutsInterface, QStringLiteral("ShortcutsChanged"), this,
                SLOT(shortcutsChanged(QDBusMessage)));
    const QString token = newToken();
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, QStringLiteral("ListShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(sessionPath_)) << QVariantMap{{QStringLiteral("handle_token"), token}};
    // A portal that cannot list may still bind.
    request(call, token, SLOT(shortcutsListed(QDBusMessage)),
            [this](const QString&, const QString&) { bindShortcuts(); });
}

void PortalSession::shortcutsListed(const QDBusMessage& response)
{
    const auto [code, results] = responseOf(response);
    const std::string trigger = code == 0 ? triggerIn(results.value(QStringLiteral("shortcuts"))) : std::string();
    if (trigger.empty())
        bindShortcuts();
    else
        report({DesktopBinding::Outcome::assigned, trigger});
}

void PortalSession::bindShortcuts()
{
    const QList<PortalShortcut> shortcuts{{shortcutId,
                                           {{QStringLiteral("description"), QStringLiteral("Arm or disarm Cendrel")},
                                            {QStringLiteral("preferred_trigger"), preferredTrigger_}}}};
    const QString token = newToken();
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, shortcutsInterface, QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(sessionPath_)) << QVariant::fromValue(shortcuts) << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token}};
    request(call, token, SLOT(shortcutsBound(QDBusMessage)),
            [this](const QString& error, const QString& message) { portalFailed(error, message); });
}

void PortalSession::shortcutsBound(const QDBusMessage& response)
{
    const auto [code, results] = responseOf(response);
    // 1: the owner cancelled the desktop's dialog.
    if (code != 0) {
        report({DesktopBinding::Outcome::refused,
                "(the shortcuts portal did not bind it, response " + std::to_string(code) + ")"});
        return;
    }
    report({DesktopBinding::Outcome::assigned, triggerIn(results.value(QStringLiteral("shortcuts")))});
}

void PortalSession::activated(const QDBusMessage& signal)
{
    const QList<QVariant> arguments = signal.arguments();
    // Every session of ours on this connection hears every activation.
    if (arguments.size() < 2 || objectPath(arguments.at(0)) != sessionPath_ || arguments.at(1).toString() != shortcutId)
        return;
    if (auto press = onPress_)
        press();
}

void PortalSession::shortcutsChanged(const QDBusMessage& signal)
{
    const QList<QVariant> arguments = signal.arguments();
    if (arguments.size() < 2 || objectPath(arguments.at(0)) != sessionPath_)
        return;
    report({DesktopBinding::Outcome::assigned, triggerIn(arguments.at(1))});
}

void PortalSession::report(const DesktopBinding& binding)
{
    if (binding.outcome == DesktopBinding::Outcome::assigned && !binding.text.empty()) {
        if (auto tell = onBinding_)
            tell(binding);
        return;
    }
    // A key the owner bound to the command arms as well as the portal's.
    owner_->findCommandKey([self = QPointer(this), binding](std::optional<std::string> key) {
        if (!self)
            return;
        if (auto tell = self->onBinding_)
            tell(key ? DesktopBinding{DesktopBinding::Outcome::assigned, *key} : binding);
    });
}

} // namespace cendrel
