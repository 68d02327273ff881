// A QLocalSocket per question, dropped with its deadline once answered.
#include "CompositorSocket.h"

#include <QLocalSocket>
#include <QTimer>

#include <memory>
#include <utility>

namespace cendrel {

void askCompositor(const QString& path, const QByteArray& request, std::function<bool(const QByteArray&)> complete,
                   std::function<void(std::optional<QByteArray>)> onAnswer)
{
    auto* socket = new QLocalSocket;
    auto* deadline = new QTimer(socket);
    struct Exchange {
        QByteArray received;
        std::function<void(std::optional<QByteArray>)> onAnswer;
    };
    auto exchange = std::make_shared<Exchange>(Exchange{{}, std::move(onAnswer)});
    // Once: whichever of the answer, the close, an error or the deadline
    // comes first.
    const auto finish = [socket, exchange](bool answered) {
        if (!exchange->onAnswer)
            return;
        auto tell = std::exchange(exchange->onAnswer, nullptr);
        socket->deleteLater();
        tell(answered ? std::optional(exchange->received) : std::nullopt);
    };
    QObject::connect(socket, &QLocalSocket::connected, socket, [socket, request] { socket->write(request); });
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, exchange, complete, finish] {
        exchange->received += socket->readAll();
        if (complete(exchange->received))
            finish(true);
    });
    QObject::connect(socket, &QLocalSocket::disconnected, socket,
                     [exchange, complete, finish] { finish(complete(exchange->received)); });
    QObject::connect(socket, &QLocalSocket::errorOccurred, socket, [exchange, complete, finish] {
        finish(!exchange->received.isEmpty() && complete(exchange->received));
    });
    QObject::connect(deadline, &QTimer::timeout, socket, [finish] { finish(false); });
    deadline->start(1000);
    // Connecting may fail at once; the answer still comes on a later pass.
    QTimer::singleShot(0, socket, [socket, path] { socket->connectToServer(path); });
}

} // namespace cendrel
