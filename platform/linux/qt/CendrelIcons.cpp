// Cendrel's icons, drawn by Qt at any size: the three states of the status
// item and the application's own padlock. Each carries the name under which
// the package installs it in the icon theme, so a host that prefers the
// theme (and may recolour it to suit the panel) loads that instead.
#include "CendrelIcons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

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
    // Square, in the middle of whatever the host gives: an XEmbed tray
    // scaling its slot may hand over a slot twice as wide as high.
    const double side = std::min(rect.width(), rect.height());
    painter.translate(rect.center() - QPointF(side / 2, side / 2));
    painter.scale(side / 24.0, side / 24.0);
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
        return scaledPixmap(size, mode, state, 1.0);
    }
    // `size` is in device pixels (QIcon has scaled it already); the pixmap
    // says so, and a 2x panel gets a sharp icon of its logical size.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        pixmap.setDevicePixelRatio(scale > 0 ? scale : 1.0);
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

} // namespace

QIcon stateIcon(StatusIcon which)
{
    const QString name = themeName(which);
    return QIcon(new StateIconEngine(statePath(which), QIcon::hasThemeIcon(name) ? name : QString()));
}

QIcon applicationIcon()
{
    return QIcon(new StateIconEngine(lockPath(false), QStringLiteral("cendrel")));
}

} // namespace cendrel
