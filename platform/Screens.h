// The attached screens, in global screen coordinates.
#pragma once

#include "Types.h"

#include <optional>
#include <vector>

namespace cendrel {

class Screens {
public:
    Screens() = default;
    Screens(const Screens&) = delete;
    Screens& operator=(const Screens&) = delete;
    virtual ~Screens() = default;

    // Full frames (menu bar and Dock areas included), the primary screen first.
    virtual std::vector<Rect> screenFrames() = 0;
    // The system's main screen, or nothing when there is no screen.
    virtual std::optional<Rect> mainScreenFrame() = 0;
};

} // namespace cendrel
