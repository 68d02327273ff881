// The screens from Qt's view of RandR, in global coordinates: origin at the
// lower-left corner of the primary screen, y upwards. X counts from the
// top-left corner of the root window, y downwards.
#pragma once

#include "Screens.h"

namespace cendrel {

// Conversions given the primary screen's rectangle in X coordinates.
Rect globalRectFromX(Rect xRect, Rect xPrimary);
Point globalPointFromX(Point xPoint, Rect xPrimary);

// The primary screen's rectangle in X coordinates; nothing without a screen.
std::optional<Rect> primaryScreenXRect();

class X11Screens final : public Screens {
public:
    std::vector<Rect> screenFrames() override;
    std::optional<Rect> mainScreenFrame() override;
};

} // namespace cendrel
