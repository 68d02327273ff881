// Simulated screens: one 1440 × 900 screen at the origin until a test says otherwise.
#pragma once

#include "Screens.h"

#include <optional>
#include <utility>
#include <vector>

namespace cendrel {

class SimScreens final : public Screens {
public:
    static constexpr Rect defaultFrame{0, 0, 1440, 900};

    std::vector<Rect> screenFrames() override { return frames_; }
    std::optional<Rect> mainScreenFrame() override { return main_; }

    // The primary screen first. The main screen is left as it is.
    void setScreens(std::vector<Rect> frames) { frames_ = std::move(frames); }
    // The screen AppKit calls main (the one with the key window); nothing
    // stands for "no screen at all".
    void setMainScreen(std::optional<Rect> frame) { main_ = frame; }

private:
    std::vector<Rect> frames_{defaultFrame};
    std::optional<Rect> main_ = defaultFrame;
};

} // namespace cendrel
