// Screens on macOS: NSScreen frames in global coordinates, the primary screen
// first as AppKit lists it. No gap.
#import <AppKit/AppKit.h>

#include "MacBackend.h"

namespace cendrel {

namespace {

Rect toRect(NSRect frame)
{
    return Rect{frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
}

class MacScreens final : public Screens {
public:
    std::vector<Rect> screenFrames() override
    {
        std::vector<Rect> frames;
        for (NSScreen* screen in NSScreen.screens) {
            frames.push_back(toRect(screen.frame));
        }
        return frames;
    }

    std::optional<Rect> mainScreenFrame() override
    {
        NSScreen* screen = NSScreen.mainScreen;
        if (screen == nil) {
            return std::nullopt;
        }
        return toRect(screen.frame);
    }
};

} // namespace

std::shared_ptr<Screens> makeMacScreens()
{
    return std::make_shared<MacScreens>();
}

} // namespace cendrel
