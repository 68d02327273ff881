// sway's IPC: "i3-ipc", the payload's length and the message type as 32-bit
// numbers in the machine's order, then a JSON payload.
#include "SwayShortcuts.h"

#include "CompositorSocket.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace cendrel {

namespace {

constexpr char magic[] = "i3-ipc";
constexpr qsizetype headerSize = 6 + 2 * sizeof(std::uint32_t);
constexpr std::uint32_t getConfig = 9;

QByteArray message(std::uint32_t type)
{
    const std::uint32_t length = 0;
    QByteArray bytes(magic, 6);
    bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
    bytes.append(reinterpret_cast<const char*>(&type), sizeof type);
    return bytes;
}

qsizetype payloadLength(const QByteArray& reply)
{
    if (reply.size() < headerSize || !reply.startsWith(magic))
        return -1;
    std::uint32_t length = 0;
    std::memcpy(&length, reply.constData() + 6, sizeof length);
    return length;
}

} // namespace

BindingAdvice SwayShortcuts::advice(const ShortcutWords& shortcut, const std::string& command) const
{
    return {"sway's config", "bindsym " + modifierWords(shortcut.modifiers, {"Ctrl", "Mod1", "Shift", "Mod4"}, "+") +
                                 "+" + shortcut.keySymbol + " exec " + command};
}

void SwayShortcuts::findCommandKey(std::function<void(std::optional<std::string>)> onFound)
{
    const char* socket = std::getenv("SWAYSOCK");
    askCompositor(
        QString::fromLocal8Bit(socket == nullptr ? "" : socket), message(getConfig),
        [](const QByteArray& reply) {
            const qsizetype length = payloadLength(reply);
            return length >= 0 && reply.size() >= headerSize + length;
        },
        [onFound = std::move(onFound)](std::optional<QByteArray> reply) {
            if (!reply)
                return onFound(std::nullopt);
            const QByteArray payload = reply->mid(headerSize, payloadLength(*reply));
            onFound(
                swayCommandKey(QJsonDocument::fromJson(payload).object().value(QStringLiteral("config")).toString()));
        });
}

std::optional<std::string> swayCommandKey(const QString& config)
{
    QMap<QString, QString> variables;
    const auto expand = [&variables](QString text) {
        // In reverse order, so $modifier is written out before $mod could
        // eat its start.
        for (auto it = variables.keyValueEnd(); it != variables.keyValueBegin();) {
            --it;
            text.replace(it->first, it->second);
        }
        return text;
    };
    for (const QString& line : config.split(QLatin1Char('\n'))) {
        // sway quotes with either mark; Qt's splitting knows only the
        // double one. A line that nests them is no binding of ours.
        QStringList words =
            QProcess::splitCommand(QString(line).replace(QLatin1Char('\''), QLatin1Char('"')).trimmed());
        if (words.size() >= 3 && words[0] == QLatin1String("set") && words[1].startsWith(QLatin1Char('$'))) {
            variables.insert(words[1], expand(words.mid(2).join(QLatin1Char(' '))));
            continue;
        }
        if (words.isEmpty() || (words[0] != QLatin1String("bindsym") && words[0] != QLatin1String("bindcode")))
            continue;
        qsizetype key = 1;
        while (key < words.size() && words[key].startsWith(QLatin1String("--")))
            ++key;
        if (key + 2 < words.size() && words[key + 1] == QLatin1String("exec") &&
            armsCendrel(expand(words.mid(key + 2).join(QLatin1Char(' ')))))
            return expand(words[key]).toStdString();
    }
    return std::nullopt;
}

} // namespace cendrel
