// Screen frames. Qt keeps them current from RandR notifications, in device
// independent pixels, which are the points of the global coordinates.
#include "LinuxScreens.h"

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

Point xPointFromGlobal(Point globalPoint, Rect xPrimary)
{
    return {globalPoint.x + xPrimary.x, xPrimary.y + xPrimary.height - globalPoint.y};
}

namespace {
Rect rectOf(const QScreen* screen)
{
    const QRect geometry = screen->geometry();
    return {double(geometry.x()), double(geometry.y()), double(geometry.width()), double(geometry.height())};
}
} // namespace

std::optional<Rect> primaryScreenXRect()
{
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return std::nullopt;
    }
    return rectOf(primary);
}

std::vector<Rect> LinuxScreens::screenFrames()
{
    std::vector<Rect> frames;
    const auto primary = primaryScreenXRect();
    if (!primary) {
        return frames;
    }
    frames.push_back(globalRectFromX(*primary, *primary));
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            frames.push_back(globalRectFromX(rectOf(screen), *primary));
        }
    }
    return frames;
}

std::optional<Rect> LinuxScreens::mainScreenFrame()
{
    // X has no notion of a key window's screen; the primary one stands in.
    const auto primary = primaryScreenXRect();
    if (!primary) {
        return std::nullopt;
    }
    return globalRectFromX(*primary, *primary);
}

} // namespace cendrel
