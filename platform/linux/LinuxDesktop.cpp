// The facts that differ between Linux desktops, for those that need no room
// of their own, and the choice of each desktop's room.
#include "LinuxDesktop.h"

#include "gnome/GnomeShortcuts.h"
#include "wlroots/HyprlandShortcuts.h"
#include "wlroots/SwayShortcuts.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <utility>

namespace cendrel {

BindingAdvice OwnerShortcuts::advice(const ShortcutWords& shortcut, const std::string& command) const
{
    return {"the desktop's keyboard shortcut settings", shortcut.displayText + " running " + command};
}

void OwnerShortcuts::findCommandKey(std::function<void(std::optional<std::string>)> onFound)
{
    QTimer::singleShot(0, [onFound = std::move(onFound)] { onFound(std::nullopt); });
}

std::shared_ptr<OwnerShortcuts> ownerShortcuts(LinuxDesktop desktop)
{
    switch (desktop) {
    case LinuxDesktop::sway:
        return std::make_shared<SwayShortcuts>();
    case LinuxDesktop::hyprland:
        return std::make_shared<HyprlandShortcuts>();
    case LinuxDesktop::gnome:
        return std::make_shared<GnomeShortcuts>();
    case LinuxDesktop::x11:
    case LinuxDesktop::kde:
    case LinuxDesktop::otherWayland:
        break;
    }
    return std::make_shared<OwnerShortcuts>();
}

bool armsCendrel(const QString& commandLine)
{
    const QStringList words = QProcess::splitCommand(commandLine);
    return words.size() == 2 && QFileInfo(words[0]).fileName() == QLatin1String("cendrel") &&
           (words[1] == QLatin1String("--toggle") || words[1] == QLatin1String("--arm"));
}

std::string modifierWords(Modifiers modifiers, const std::array<const char*, 4>& words, const char* separator)
{
    constexpr std::array<Modifier, 4> order{Modifier::control, Modifier::option, Modifier::shift, Modifier::command};
    std::string text;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (modifiers.contains(order[i]))
            text += (text.empty() ? "" : separator) + std::string(words[i]);
    }
    return text;
}

} // namespace cendrel
