// Plain method calls with empty answers, so that `busctl --user call
// org.cendrel.Cendrel /org/cendrel/Cendrel org.cendrel.Cendrel Toggle` does
// the same as `cendrel --toggle`.
#include "InstanceRequests.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace cendrel {

namespace {

struct Verb {
    Request request;
    const char* option;
    const char* member;
};

constexpr std::array<Verb, 3> verbs{
    {{Request::toggle, "--toggle", "Toggle"}, {Request::arm, "--arm", "Arm"}, {Request::disarm, "--disarm", "Disarm"}}};

const QString service = QStringLiteral("org.cendrel.Cendrel");
const QString objectPath = QStringLiteral("/org/cendrel/Cendrel");
const QString interfaceName = QStringLiteral("org.cendrel.Cendrel");

class RequestReceiver final : public QDBusVirtualObject {
public:
    explicit RequestReceiver(std::shared_ptr<std::function<void(Request)>> listener)
        : QDBusVirtualObject(qApp), listener_(std::move(listener))
    {
    }

    QString introspect(const QString&) const override
    {
        QString methods;
        for (const Verb& verb : verbs)
            methods += QStringLiteral("<method name=\"%1\"/>").arg(QLatin1String(verb.member));
        return QStringLiteral("<interface name=\"%1\">%2</interface>").arg(interfaceName, methods);
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.interface() != interfaceName)
            return false;
        for (const Verb& verb : verbs) {
            if (message.member() != QLatin1String(verb.member))
                continue;
            // Qt may call us from its bus thread: the request runs on the
            // main thread, and is answered once it has.
            QMetaObject::invokeMethod(
                qApp,
                [listener = listener_, message, connection, request = verb.request] {
                    if (!*listener) {
                        connection.send(message.createErrorReply(QStringLiteral("org.cendrel.Cendrel.Error.Starting"),
                                                                 QStringLiteral("Cendrel is still starting")));
                        return;
                    }
                    (*listener)(request);
                    connection.send(message.createReply());
                },
                Qt::QueuedConnection);
            return true;
        }
        return false;
    }

private:
    std::shared_ptr<std::function<void(Request)>> listener_;
};

int requestStatus(int argc, char** argv, Request request)
{
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fputs("cendrel: no session bus, so no running Cendrel can be reached\n", stderr);
        return 1;
    }
    const char* member = "";
    for (const Verb& verb : verbs) {
        if (verb.request == request)
            member = verb.member;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, objectPath, interfaceName, QString::fromLatin1(member));
    // A request is for the instance that runs; it never starts one.
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return 0;
    const QString error = reply.errorName();
    if (error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
        error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        std::fputs("cendrel: Cendrel is not running\n", stderr);
    else
        std::fprintf(stderr, "cendrel: Cendrel did not take the request (%s)\n",
                     qUtf8Printable(reply.errorMessage().isEmpty() ? error : reply.errorMessage()));
    return 1;
}

} // namespace

std::optional<Request> requestFromOption(std::string_view option)
{
    for (const Verb& verb : verbs) {
        if (option == verb.option)
            return verb.request;
    }
    return std::nullopt;
}

bool receiveRequests(std::shared_ptr<std::function<void(Request)>> listener)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    // Lives as long as the application, its parent.
    return bus.registerVirtualObject(objectPath, new RequestReceiver(std::move(listener)));
}

void sendRequest(int argc, char** argv, Request request)
{
    const int status = requestStatus(argc, argv, request);
    // Qt's bus thread may still be taking in what the bus sends every new
    // client, and Qt's types must not go away under it: the process ends
    // without running the destructors of statics.
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace cendrel
