// Screens from Qt's view of RandR, turned into global coordinates: origin at
// the lower-left corner of the primary screen, y upwards. X itself counts
// from the top-left corner of the root window, y downwards.
#pragma once

#include "Screens.h"

namespace cendrel {

// Conversions given the primary screen's rectangle in X coordinates.
Rect globalRectFromX(Rect xRect, Rect xPrimary);
Point globalPointFromX(Point xPoint, Rect xPrimary);
Point xPointFromGlobal(Point globalPoint, Rect xPrimary);

class LinuxScreens final : public Screens {
public:
    std::vector<Rect> screenFrames() override;
    std::optional<Rect> mainScreenFrame() override;
};

// The primary screen's rectangle in X coordinates; nothing without a screen.
std::optional<Rect> primaryScreenXRect();

} // namespace cendrel
