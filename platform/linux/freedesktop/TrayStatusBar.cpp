// Tray icon and menu. One QMenu serves for life and is refilled: swapping
// menus makes Qt re-export its D-Bus menu, and a host asking at that moment
// reached the menu being torn down. The icons carry the names under which
// the package installs them (Cendrel's own, so no other program's fallback
// icon changes), so a StatusNotifierItem host loads them from the icon theme
// (and may recolour them to suit the panel); everything else gets Cendrel's
// drawings: a dark shape with a light outline, which reads on light and dark
// panels alike. Idle shows a closed eye, not a padlock: nothing is guarded
// then. A theme lookup of an SVG icon needs Qt's SVG icon plugin, which the
// package depends on. Gap: a tray host
// may prepare the D-Bus menu and never say it closed; such a menu counts as
// closed after a limit.
#include "TrayStatusBar.h"

#include <QAction>
#include <QCursor>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace cendrel {

namespace {

// Shapes on a 24-unit grid, as the installed SVG icons draw them.
QPainterPath lockPath(bool open)
{
    QPainterPath path;
    path.addRoundedRect(QRectF(5, 11, 14, 10), 2, 2);
    // The shackle as a band between two arcs. Open, it is hinged on the right
    // and its left leg stands out of the body.
    const double centre = open ? 15.5 : 12;
    const double leftEnd = open ? 8.5 : 11;
    QPainterPath shackle;
    shackle.moveTo(centre - 5, leftEnd);
    shackle.arcTo(QRectF(centre - 5, 3.5, 10, 10), 180, -180);
    shackle.lineTo(centre + 5, 11);
    shackle.lineTo(centre + 2, 11);
    shackle.arcTo(QRectF(centre - 2, 6.5, 4, 4), 0, 180);
    shackle.lineTo(centre - 2, leftEnd);
    shackle.closeSubpath();
    return path.united(shackle);
}

// A closed eye: nothing is watched, and no padlock says the computer is safe.
QPainterPath closedEyePath()
{
    QPainterPath lines;
    lines.moveTo(3, 10.5);
    lines.quadTo(12, 21, 21, 10.5);
    for (const auto& [root, tip] : {std::pair{QPointF(7.5, 14.4), QPointF(6, 17.5)},
                                    {QPointF(12, 15.8), QPointF(12, 19)},
                                    {QPointF(16.5, 14.4), QPointF(18, 17.5)}}) {
        lines.moveTo(root);
        lines.lineTo(tip);
    }
    QPainterPathStroker stroker;
    stroker.setWidth(2.5);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(lines).simplified();
}

QPainterPath eyePath()
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    path.moveTo(2, 12);
    path.quadTo(12, 1, 22, 12);
    path.quadTo(12, 23, 2, 12);
    path.closeSubpath();
    path.addEllipse(QPointF(12, 12), 4.5, 4.5);
    path.addEllipse(QPointF(12, 12), 2.5, 2.5);
    return path;
}

QPainterPath statePath(StatusIcon which)
{
    switch (which) {
    case StatusIcon::idle:
        return closedEyePath();
    case StatusIcon::arming:
        return lockPath(true);
    case StatusIcon::armed:
        return eyePath();
    }
    return {};
}

void drawShape(QPainter& painter, const QRectF& rect, const QPainterPath& path)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 24.0, rect.height() / 24.0);
    // The outline first, two units wide outside the shape, then the shape.
    const QColor light(0xf6, 0xf5, 0xf4);
    painter.strokePath(path, QPen(light, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.fillPath(path, QColor(0x2e, 0x34, 0x36));
    painter.restore();
}

// The name each state is installed under, which the host looks up first.
QString themeName(StatusIcon which)
{
    switch (which) {
    case StatusIcon::idle:
        return QStringLiteral("cendrel-idle-symbolic");
    case StatusIcon::arming:
        return QStringLiteral("cendrel-arming-symbolic");
    case StatusIcon::armed:
        return QStringLiteral("cendrel-armed-symbolic");
    }
    return {};
}

// Draws on demand at any size; the name goes to hosts only when the theme
// has that icon (ours are installed with the program).
class StateIconEngine final : public QIconEngine {
public:
    StateIconEngine(QPainterPath shape, QString name) : shape_(std::move(shape)), name_(std::move(name)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override
    {
        drawShape(*painter, rect, shape_);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}};
    }
    QString iconName() override { return name_; }
    QString key() const override { return QStringLiteral("cendrel-state"); }
    QIconEngine* clone() const override { return new StateIconEngine(shape_, name_); }

private:
    QPainterPath shape_;
    QString name_;
};

QIcon stateIcon(StatusIcon which)
{
    const QString name = themeName(which);
    return QIcon(new StateIconEngine(statePath(which), QIcon::hasThemeIcon(name) ? name : QString()));
}

// Menu texts are plain: an ampersand (a key named "&") is not a mnemonic.
QString menuText(const std::string& title)
{
    return QString::fromStdString(title).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

QIcon applicationIcon()
{
    return QIcon(new StateIconEngine(lockPath(false), QStringLiteral("cendrel")));
}

TrayStatusItem::TrayStatusItem(StatusItemObserver observer, std::chrono::milliseconds unseenMenuLimit)
    : observer_(std::move(observer))
{
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
    // Told while the menu is about to show; refused, it is put away again.
    if (auto willOpen = observer_.menuWillOpen; willOpen && !willOpen())
        QTimer::singleShot(0, &menu_, [this] { menu_.hide(); });
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
