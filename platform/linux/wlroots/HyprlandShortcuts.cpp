// Hyprland's request socket answers one request per connection and closes it.
// Its socket moved from /tmp/hypr to $XDG_RUNTIME_DIR/hypr in version 0.40.
#include "HyprlandShortcuts.h"

#include "CompositorSocket.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <cstdlib>
#include <utility>

namespace cendrel {

namespace {

QString environment(const char* name)
{
    const char* value = std::getenv(name);
    return QString::fromLocal8Bit(value == nullptr ? "" : value);
}

} // namespace

BindingAdvice HyprlandShortcuts::advice(const ShortcutWords& shortcut, const std::string& command) const
{
    const std::string& key = shortcut.keySymbol;
    return {"hyprland.conf", "bind = " + modifierWords(shortcut.modifiers, {"CTRL", "ALT", "SHIFT", "SUPER"}, " ") +
                                 ", " + (key.size() == 1 ? QString::fromStdString(key).toUpper().toStdString() : key) +
                                 ", exec, " + command};
}

void HyprlandShortcuts::findCommandKey(std::function<void(std::optional<std::string>)> onFound)
{
    const QString signature = environment("HYPRLAND_INSTANCE_SIGNATURE");
    QString socket = environment("XDG_RUNTIME_DIR") + QStringLiteral("/hypr/") + signature + "/.socket.sock";
    if (!QFileInfo::exists(socket))
        socket = QStringLiteral("/tmp/hypr/") + signature + "/.socket.sock";
    askCompositor(
        socket, "j/binds", [](const QByteArray& reply) { return QJsonDocument::fromJson(reply).isArray(); },
        [onFound = std::move(onFound)](std::optional<QByteArray> reply) {
            onFound(reply ? hyprlandCommandKey(*reply) : std::nullopt);
        });
}

std::optional<std::string> hyprlandCommandKey(const QByteArray& binds)
{
    // Hyprland's modifier mask: Shift 1, Control 4, Alt 8, Super 64.
    constexpr std::array<std::pair<int, const char*>, 4> names{{{4, "CTRL"}, {8, "ALT"}, {1, "SHIFT"}, {64, "SUPER"}}};
    for (const QJsonValue& value : QJsonDocument::fromJson(binds).array()) {
        const QJsonObject bind = value.toObject();
        if (bind.value(QStringLiteral("dispatcher")).toString() != QLatin1String("exec") ||
            !armsCendrel(bind.value(QStringLiteral("arg")).toString()))
            continue;
        const int mask = bind.value(QStringLiteral("modmask")).toInt();
        std::string modifiers;
        for (const auto& [bit, name] : names) {
            if ((mask & bit) != 0)
                modifiers += (modifiers.empty() ? "" : " ") + std::string(name);
        }
        return modifiers + ", " + bind.value(QStringLiteral("key")).toString().toStdString();
    }
    return std::nullopt;
}

} // namespace cendrel
