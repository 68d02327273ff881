// Tray icon and menu. Actions are released with deleteLater: a menu action
// routinely rebuilds the menu it was chosen from, while Qt is still inside
// that action's signal.
#include "LinuxStatusBar.h"

#include "LinuxRunLoop.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <vector>

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

class LinuxImage final : public Image {
public:
    explicit LinuxImage(QIcon icon) : icon_(std::move(icon)) {}
    void setTemplate(bool isTemplate) override { isTemplate_ = isTemplate; }
    const QIcon& icon() const { return icon_; }

private:
    QIcon icon_;
    // Our glyphs already suit either panel colour; nothing to tint.
    bool isTemplate_ = false;
};

class LinuxStatusBarButton final : public StatusBarButton {
public:
    explicit LinuxStatusBarButton(QSystemTrayIcon& tray) : tray_(tray) {}
    void setImage(std::shared_ptr<Image> image) override
    {
        image_ = std::move(image);
        const auto* linuxImage = dynamic_cast<const LinuxImage*>(image_.get());
        tray_.setIcon(linuxImage != nullptr ? linuxImage->icon() : QIcon());
        // A tray entry without an icon would be an empty slot in the panel.
        tray_.setVisible(linuxImage != nullptr);
    }
    std::shared_ptr<Image> image() override { return image_; }

private:
    QSystemTrayIcon& tray_;
    std::shared_ptr<Image> image_;
};

class LinuxMenuItem final : public MenuItem {
public:
    LinuxMenuItem(const std::string& title, const std::string& action, const std::string& keyEquivalent,
                  bool separator = false)
        : action_(new QAction(QString::fromStdString(title)))
    {
        action_->setSeparator(separator);
        if (!keyEquivalent.empty()) {
            // The Command of a macOS key equivalent is Ctrl on Linux desktops.
            action_->setShortcut(
                QKeySequence(QStringLiteral("Ctrl+") + QString::fromStdString(keyEquivalent).toUpper()));
            action_->setShortcutContext(Qt::ApplicationShortcut);
        }
        if (!action.empty()) {
            QObject::connect(action_, &QAction::triggered, action_, [this, selector = action] {
                if (auto target = target_.lock()) {
                    target->performAction(selector);
                }
            });
        }
    }
    ~LinuxMenuItem() override
    {
        if (action_) {
            QObject::disconnect(action_, nullptr, nullptr, nullptr);
            action_->deleteLater();
        }
    }
    void setTarget(std::weak_ptr<MenuTarget> target) override { target_ = std::move(target); }
    void setEnabled(bool enabled) override { action_->setEnabled(enabled); }
    void setState(MenuItemState state) override
    {
        action_->setCheckable(true);
        action_->setChecked(state == MenuItemState::on);
    }
    QAction* action() const { return action_; }

private:
    QPointer<QAction> action_;
    std::weak_ptr<MenuTarget> target_;
};

// A menu is the list of its entries; the status item shows them in the one
// QMenu it keeps for its whole life.
class LinuxMenu final : public Menu {
public:
    void addItem(std::shared_ptr<MenuItem> item) override { items_.push_back(std::move(item)); }
    const std::vector<std::shared_ptr<MenuItem>>& items() const { return items_; }

private:
    std::vector<std::shared_ptr<MenuItem>> items_;
};

// One QMenu, attached to the tray once. Swapping whole menus in the tray
// makes Qt re-export its D-Bus menu for each rebuild, and a host that asks at
// that moment can reach the menu being torn down; refilling one menu only
// updates the exported layout.
class LinuxStatusItem final : public StatusItem {
public:
    explicit LinuxStatusItem(std::shared_ptr<LinuxRunLoop> runLoop)
        : runLoop_(std::move(runLoop)), button_(std::make_shared<LinuxStatusBarButton>(tray_))
    {
        tray_.setToolTip(QStringLiteral("Cendrel"));
        QObject::connect(&menu_, &QMenu::aboutToShow, &menu_, [this] { setTracking(true); });
        QObject::connect(&menu_, &QMenu::aboutToHide, &menu_, [this] { setTracking(false); });
        // A tray host may ask the D-Bus menu to get ready (AboutToShow) and
        // never say it closed; a menu we cannot see must not hold the grace
        // period for ever. Our own popup is seen, and holds it while shown.
        trackingWatchdog_.setSingleShot(true);
        trackingWatchdog_.setInterval(trackingLimitMs);
        QObject::connect(&trackingWatchdog_, &QTimer::timeout, &menu_, [this] {
            if (menu_.isVisible())
                trackingWatchdog_.start();
            else
                setTracking(false);
        });
    }
    ~LinuxStatusItem() override
    {
        QObject::disconnect(&menu_, nullptr, nullptr, nullptr);
        setTracking(false);
        menu_.clear();
    }
    std::shared_ptr<StatusBarButton> button() override { return button_; }
    void setMenu(std::shared_ptr<Menu> menu) override
    {
        menu_.clear();
        if (const auto* linuxMenu = dynamic_cast<const LinuxMenu*>(menu.get())) {
            for (const auto& item : linuxMenu->items()) {
                if (const auto* linuxItem = dynamic_cast<const LinuxMenuItem*>(item.get())) {
                    menu_.addAction(linuxItem->action());
                }
            }
        }
        if (!attached_) {
            tray_.setContextMenu(&menu_);
            attached_ = true;
        }
        // The previous entries go with the previous menu; their actions are
        // released later, as one of them may be the one being chosen.
        current_ = std::move(menu);
    }

private:
    void setTracking(bool tracking)
    {
        if (tracking == tracking_ || !runLoop_) {
            return;
        }
        tracking_ = tracking;
        if (tracking) {
            trackingWatchdog_.start();
            runLoop_->beginMenuTracking();
        } else {
            trackingWatchdog_.stop();
            runLoop_->endMenuTracking();
        }
    }

    std::shared_ptr<LinuxRunLoop> runLoop_;
    QMenu menu_;
    QSystemTrayIcon tray_;
    std::shared_ptr<LinuxStatusBarButton> button_;
    std::shared_ptr<Menu> current_;
    bool attached_ = false;
    static constexpr int trackingLimitMs = 5000;
    QTimer trackingWatchdog_;
    bool tracking_ = false;
};

} // namespace

QIcon drawnSymbolIcon(const std::string& name)
{
    if (name != "lock.fill" && name != "lock.open.fill" && name != "eye.fill") {
        return {};
    }
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        const double s = size;
        drawGlyph(painter, name == "eye.fill" ? eyePath(s) : lockPath(s, name == "lock.open.fill"), s);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

std::shared_ptr<StatusItem> LinuxStatusBar::statusItemWithLength(double)
{
    return std::make_shared<LinuxStatusItem>(runLoop_);
}

std::shared_ptr<Image> LinuxStatusBar::imageWithSystemSymbolName(const std::string& name, const std::string&)
{
    QIcon icon = drawnSymbolIcon(name);
    if (icon.isNull()) {
        return nullptr;
    }
    return std::make_shared<LinuxImage>(std::move(icon));
}

std::shared_ptr<Menu> LinuxStatusBar::newMenu()
{
    return std::make_shared<LinuxMenu>();
}

std::shared_ptr<MenuItem> LinuxStatusBar::newMenuItem(const std::string& title, const std::string& action,
                                                      const std::string& keyEquivalent)
{
    return std::make_shared<LinuxMenuItem>(title, action, keyEquivalent);
}

std::shared_ptr<MenuItem> LinuxStatusBar::separatorItem()
{
    return std::make_shared<LinuxMenuItem>("", "", "", true);
}

} // namespace cendrel
