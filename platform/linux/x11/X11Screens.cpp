// Qt keeps the screens current from RandR notifications, in device
// independent pixels, which serve as the points of global coordinates. Gap: X
// has no key window's screen, so the primary screen is the main one.
#include "X11Screens.h"

#include <QGuiApplication>
#include <QScreen>

namespace cendrel {

Rect globalRectFromX(Rect xRect, Rect xPrimary)
{
    const double primaryBottom = xPrimary.y + xPrimary.height;
    return {xRect.x - xPrimary.x, primaryBottom - (xRect.y + xRect.height), xRect.width, xRect.height};
}

Point globalPointFromX(Point xPoint, Rect xPrimary)
{
    return {xPoint.x - xPrimary.x, xPrimary.y + xPrimary.height - xPoint.y};
}

namespace {
Rect rectOf(const QScreen& screen)
{
    const QRect geometry = screen.geometry();
    return {double(geometry.x()), double(geometry.y()), double(geometry.width()), double(geometry.height())};
}
} // namespace

std::optional<Rect> primaryScreenXRect()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return std::nullopt;
    return rectOf(*primary);
}

std::vector<Rect> X11Screens::screenFrames()
{
    std::vector<Rect> frames;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr)
        return frames;
    const Rect xPrimary = rectOf(*primary);
    frames.push_back(globalRectFromX(xPrimary, xPrimary));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary)
            frames.push_back(globalRectFromX(rectOf(*screen), xPrimary));
    }
    return frames;
}

std::optional<Rect> X11Screens::mainScreenFrame()
{
    const auto primary = primaryScreenXRect();
    if (!primary)
        return std::nullopt;
    return globalRectFromX(*primary, *primary);
}

} // namespace cendrel
