// The recorder panel as a small always-on-top tool window with QLabels.
// Frames arrive y-up from the bottom-left corner and are flipped here.
#pragma once

#include "Panels.h"

namespace cendrel {

// A child frame given y-up within a parent of this height, as Qt's y-down
// rectangle.
Rect qtFrameFromFlipped(Rect frame, double parentHeight);

class LinuxPanels final : public Panels {
public:
    std::shared_ptr<Panel> newPanel(Rect contentRect, std::uint64_t styleMask, std::uint64_t backing,
                                    bool defer) override;
    std::shared_ptr<View> newView(Rect frame) override;
    std::shared_ptr<Label> labelWithString(const std::string& text) override;
};

} // namespace cendrel
