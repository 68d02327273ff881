// Tray icon and menu. One QMenu serves for life and is refilled: swapping
// menus makes Qt re-export its D-Bus menu, and a host asking at that moment
// reached the menu being torn down. Gap: a tray host may prepare the D-Bus
// menu and never say it closed; such a menu counts as closed after a limit.
#include "TrayStatusBar.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace cendrel {

namespace {

// Drawn light with a dark rim, so the glyph reads on light and dark panels.
void drawGlyph(QPainter& painter, const QPainterPath& path, double size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 30, 30, 220), size / 11.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(245, 245, 245));
    painter.drawPath(path);
}

QPainterPath lockPath(double s, bool open)
{
    QPainterPath body;
    body.addRoundedRect(QRectF(s * 0.2, s * 0.45, s * 0.6, s * 0.45), s * 0.08, s * 0.08);
    QPainterPath shackle;
    const double left = open ? s * 0.52 : s * 0.3;
    const QRectF arc(left, s * 0.1, s * 0.4, s * 0.5);
    shackle.moveTo(arc.left(), s * 0.47);
    shackle.lineTo(arc.left(), arc.center().y());
    shackle.arcTo(arc, 180, -180);
    shackle.lineTo(arc.right(), open ? s * 0.35 : s * 0.47);
    QPainterPathStroker stroker;
    stroker.setWidth(s * 0.1);
    stroker.setCapStyle(Qt::FlatCap);
    return body.united(stroker.createStroke(shackle));
}

QPainterPath eyePath(double s)
{
    QPainterPath eye;
    eye.moveTo(s * 0.06, s * 0.5);
    eye.quadTo(s * 0.5, s * 0.05, s * 0.94, s * 0.5);
    eye.quadTo(s * 0.5, s * 0.95, s * 0.06, s * 0.5);
    QPainterPath pupil;
    pupil.addEllipse(QPointF(s * 0.5, s * 0.5), s * 0.14, s * 0.14);
    return eye.subtracted(pupil);
}

QIcon drawnIcon(StatusIcon which)
{
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        const double s = size;
        drawGlyph(painter, which == StatusIcon::armed ? eyePath(s) : lockPath(s, which == StatusIcon::arming), s);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// Menu texts are plain: an ampersand (a key named "&") is not a mnemonic.
QString menuText(const std::string& title)
{
    return QString::fromStdString(title).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

TrayStatusItem::TrayStatusItem(StatusItemObserver observer, std::chrono::milliseconds unseenMenuLimit)
    : observer_(std::move(observer))
{
    tray_.setContextMenu(&menu_);
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
    tray_.setIcon(drawnIcon(icon));
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
        if (!entry.keyEquivalent.empty()) {
            // The Command of a macOS key equivalent is Ctrl on Linux desktops.
            action->setShortcut(
                QKeySequence(QStringLiteral("Ctrl+") + QString::fromStdString(entry.keyEquivalent).toUpper()));
            action->setShortcutContext(Qt::ApplicationShortcut);
        }
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
    if (auto willOpen = observer_.menuWillOpen)
        willOpen();
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
