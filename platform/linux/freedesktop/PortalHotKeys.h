// The hot key through the desktop's shortcuts portal
// (org.freedesktop.portal.GlobalShortcuts), where a Wayland compositor lets
// no program grab keys: the desktop binds the shortcut, choosing or
// confirming the trigger itself.
#pragma once

#include "HotKeys.h"
#include "LinuxDesktop.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QDBusMessage;

namespace cendrel {

class PortalHotKeys final : public HotKeys {
public:
    // `keySymbolName` names a key as the portal writes triggers ("l");
    // `owner` knows the keys the owner binds in the desktop's own settings.
    PortalHotKeys(std::function<std::optional<std::string>(KeyCode)> keySymbolName,
                  std::shared_ptr<OwnerShortcuts> owner);

    // Asks for a new portal session holding the one shortcut, with the
    // combination as its preferred trigger: the portal's first version
    // cannot bind anew within a session. Refused at once only for a key the
    // portal cannot name or without a session bus; the desktop's own answer
    // comes through the registration.
    HotKeyResult registerHotKey(std::uint32_t keyCode, Modifiers modifiers, std::function<void()> onPress) override;
    bool grabHearsEveryKey() const override { return false; }
    BindingAdvice bindingAdvice(const ShortcutWords& shortcut, const std::string& command) const override
    {
        return owner_->advice(shortcut, command);
    }

private:
    std::function<std::optional<std::string>(KeyCode)> keySymbolName_;
    std::shared_ptr<OwnerShortcuts> owner_;
};

// The combination in the portal's trigger notation ("ALT+LOGO+l"): the
// modifier names of the XDG shortcuts notation, then the key's symbol.
QString portalTrigger(Modifiers modifiers, const std::string& keySymbol);

// One portal session with its one shortcut. Signals reach Qt D-Bus receivers
// only through slots, hence a QObject of its own.
class PortalSession final : public QObject {
    Q_OBJECT

public:
    // Where the portal binds no key, a key the owner bound to Cendrel's
    // command in `owner`'s settings stands for it.
    PortalSession(QString preferredTrigger, std::function<void()> onPress, std::shared_ptr<OwnerShortcuts> owner);
    // Closes the session once the portal has created it.
    ~PortalSession() override;
    void start(std::function<void(const DesktopBinding&)> onBinding);
    // Nothing is told any more: the registration is gone.
    void stop()
    {
        onPress_ = nullptr;
        onBinding_ = nullptr;
    }

private slots:
    void sessionCreated(const QDBusMessage& response);
    void shortcutsListed(const QDBusMessage& response);
    void shortcutsBound(const QDBusMessage& response);
    void activated(const QDBusMessage& signal);
    void shortcutsChanged(const QDBusMessage& signal);

private:
    // Listens for the Response of the request the call makes, then sends it;
    // a call that fails is told to `onFailure` with the error's name and
    // message.
    void request(QDBusMessage call, const QString& token, const char* slot,
                 std::function<void(const QString&, const QString&)> onFailure);
    void bindShortcuts();
    void portalFailed(const QString& error, const QString& message);
    void report(const DesktopBinding& binding);

    QString preferredTrigger_;
    std::function<void()> onPress_;
    std::function<void(const DesktopBinding&)> onBinding_;
    QString sessionPath_;
    std::shared_ptr<OwnerShortcuts> owner_;
};

} // namespace cendrel
