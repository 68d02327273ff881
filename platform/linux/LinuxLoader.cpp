// org.freedesktop.login1 on the system bus: Lock on the session object
// "auto" (the caller's own session) is what `loginctl lock-session` asks for.
// Every wait on the bus is bounded, so a hung login manager costs at most a
// second before the fallback runs.
#include "LinuxLoader.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QStringList>

#include <memory>

namespace cendrel {

namespace {

constexpr int callTimeoutMs = 1000;
const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");

struct BusMethod {
    QString service;
    QString name;
};

// What an open handle points to; it owns the method a lookup found.
struct BusService {
    QString name;
    std::unique_ptr<BusMethod> method;
};

} // namespace

LibraryHandle LinuxLoader::open(const std::string& path, int)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return nullptr;
    }
    const QString name = QString::fromStdString(path);
    // The bus daemon is asked with the same short limit as the lock itself,
    // not Qt's default of 25 s: this runs on the main thread.
    bus.interface()->setTimeout(callTimeoutMs);
    const auto registered = bus.interface()->isServiceRegistered(name);
    if (!registered.isValid() || !registered.value()) {
        return nullptr;
    }
    auto* service = new BusService{name, nullptr};
    return reinterpret_cast<LibraryHandle>(service);
}

FunctionHandle LinuxLoader::lookup(LibraryHandle library, const std::string& name)
{
    auto* service = reinterpret_cast<BusService*>(library);
    if (service == nullptr) {
        return nullptr;
    }
    // Ask the object itself whether its session interface has the method.
    QDBusMessage introspect = QDBusMessage::createMethodCall(service->name, sessionPath,
                                                             QStringLiteral("org.freedesktop.DBus.Introspectable"),
                                                             QStringLiteral("Introspect"));
    const QDBusMessage reply = QDBusConnection::systemBus().call(introspect, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return nullptr;
    }
    const QString xml = reply.arguments().constFirst().toString();
    const QString method = QString::fromStdString(name);
    const auto interfaceAt = xml.indexOf(QStringLiteral("<interface name=\"%1\"").arg(sessionInterface));
    if (interfaceAt < 0) {
        return nullptr;
    }
    const auto interfaceEnd = xml.indexOf(QStringLiteral("</interface>"), interfaceAt);
    const auto methodAt = xml.indexOf(QStringLiteral("<method name=\"%1\"").arg(method), interfaceAt);
    if (methodAt < 0 || (interfaceEnd >= 0 && methodAt > interfaceEnd)) {
        return nullptr;
    }
    service->method = std::make_unique<BusMethod>(BusMethod{service->name, method});
    return reinterpret_cast<FunctionHandle>(service->method.get());
}

bool LinuxLoader::call(FunctionHandle function)
{
    const auto* method = reinterpret_cast<const BusMethod*>(function);
    if (method == nullptr) {
        return false;
    }
    const QDBusMessage message =
        QDBusMessage::createMethodCall(method->service, sessionPath, sessionInterface, method->name);
    const QDBusMessage reply = QDBusConnection::systemBus().call(message, QDBus::Block, callTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void LinuxLoader::close(LibraryHandle library)
{
    delete reinterpret_cast<BusService*>(library);
}

bool LinuxLoader::startProcess(const std::string& executable, const std::vector<std::string>& arguments)
{
    QStringList list;
    for (const auto& argument : arguments) {
        list.append(QString::fromStdString(argument));
    }
    // A bare name is looked up on PATH; the child is not waited for.
    return QProcess::startDetached(QString::fromStdString(executable), list);
}

} // namespace cendrel
