// Tray icon and menu. One QMenu serves for life and is refilled: swapping
// menus makes Qt re-export its D-Bus menu, and a host asking at that moment
// reached the menu being torn down. The icons carry the names under which
// the package installs them (Cendrel's own, so no other program's fallback
// icon changes), so a StatusNotifierItem host loads them from the icon theme
// (and may recolour them to suit the panel); everything else gets Cendrel's
// drawings: a dark shape with a light outline, which reads on light and dark
// panels alike. Idle shows a closed eye, not a padlock: nothing is guarded
// then. A theme lookup of an SVG icon needs Qt's SVG icon plugin, which the
// package depends on. Gaps: a tray host
// may prepare the D-Bus menu and never say it closed; such a menu counts as
// closed after a limit. A host that draws the D-Bus menu itself on a right
// click still draws it when that opening locked; only our own popup is kept
// off screen.
#include "TrayStatusBar.h"

#include "CendrelIcons.h"

#include <QAction>
#include <QCursor>

namespace cendrel {

namespace {

// Menu texts are plain: an ampersand (a key named "&") is not a mnemonic.
QString menuText(const std::string& title)
{
    return QString::fromStdString(title).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

void TrayMenu::setVisible(bool visible)
{
    if (visible && mayShow && !mayShow())
        return;
    QMenu::setVisible(visible);
}

TrayStatusItem::TrayStatusItem(StatusItemObserver observer, std::chrono::milliseconds unseenMenuLimit)
    : observer_(std::move(observer))
{
    menu_.mayShow = [this] {
        if (!refused_)
            return true;
        // The opening ends here: the popup is never seen, so never hidden.
        refused_ = false;
        menuHidden();
        return false;
    };
    tray_.setContextMenu(&menu_);
    // A left click (Activate, or a click on an XEmbed icon) opens the same
    // menu as a right click.
    QObject::connect(&tray_, &QSystemTrayIcon::activated, &menu_, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            menu_.popup(QCursor::pos());
    });
    QObject::connect(&menu_, &QMenu::aboutToShow, &menu_, [this] { menuShown(); });
    QObject::connect(&menu_, &QMenu::aboutToHide, &menu_, [this] { menuHidden(); });
    unseenMenuLimit_.setSingleShot(true);
    unseenMenuLimit_.setInterval(unseenMenuLimit);
    QObject::connect(&unseenMenuLimit_, &QTimer::timeout, &menu_, [this] {
        // Our own popup is seen, and is open for as long as it shows.
        if (menu_.isVisible())
            unseenMenuLimit_.start();
        else
            menuHidden();
    });
}

TrayStatusItem::~TrayStatusItem()
{
    QObject::disconnect(&menu_, nullptr, nullptr, nullptr);
    menu_.clear();
    qDeleteAll(actions_);
}

void TrayStatusItem::setIcon(StatusIcon icon)
{
    // Made once each: a state change is on the way from the touch to the lock.
    QIcon& made = icons_[static_cast<std::size_t>(icon)];
    if (made.isNull())
        made = stateIcon(icon);
    tray_.setIcon(made);
    // Shown only now: a tray entry without an icon is an empty slot.
    tray_.setVisible(true);
}

void TrayStatusItem::setToolTip(const std::string& text)
{
    tray_.setToolTip(QString::fromStdString(text));
}

void TrayStatusItem::setMenu(std::vector<MenuEntry> entries)
{
    menu_.clear();
    // Released later: one of them may be the action being chosen right now.
    for (QAction* old : actions_)
        old->deleteLater();
    actions_.clear();
    for (auto& entry : entries) {
        auto* action = new QAction(menuText(entry.title));
        action->setSeparator(entry.kind == MenuEntry::Kind::separator);
        action->setEnabled(entry.kind == MenuEntry::Kind::action);
        action->setCheckable(entry.checkable);
        action->setChecked(entry.checked);
        // No key equivalent: a tray menu has no keyboard focus of its own, so
        // a shortcut shown beside an entry would never act.
        if (entry.kind == MenuEntry::Kind::action && entry.action)
            QObject::connect(action, &QAction::triggered, action, [run = std::move(entry.action)] { run(); });
        menu_.addAction(action);
        actions_.push_back(action);
    }
}

void TrayStatusItem::setChecked(std::size_t index, bool checked)
{
    if (index < actions_.size())
        actions_[index]->setChecked(checked);
}

void TrayStatusItem::menuShown()
{
    unseenMenuLimit_.start();
    // Hosts announce one opening twice (AboutToShow, then "opened").
    if (open_)
        return;
    open_ = true;
    // Told while the menu is about to show. Refused (the opening locked), our
    // own popup never maps; a host's menu drawn from the D-Bus copy cannot be
    // withdrawn, and is closed by the host.
    if (auto willOpen = observer_.menuWillOpen; willOpen && !willOpen()) {
        refused_ = true;
        QTimer::singleShot(0, &menu_, [this] { refused_ = false; });
    }
}

void TrayStatusItem::menuHidden()
{
    unseenMenuLimit_.stop();
    if (!open_)
        return;
    open_ = false;
    if (auto didClose = observer_.menuDidClose)
        didClose();
}

std::unique_ptr<StatusItem> TrayStatusBar::makeStatusItem(StatusItemObserver observer)
{
    return std::make_unique<TrayStatusItem>(std::move(observer), unseenMenuLimit_);
}

} // namespace cendrel
