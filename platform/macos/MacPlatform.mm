// The native platform on macOS: the shared NSApplication first, then every
// interface's macOS part, with the macOS conventions. No gap.
#import <AppKit/AppKit.h>

#include "MacBackend.h"
#include "MacRules.h"

namespace cendrel {

std::optional<int> installNativePlatform(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    // Until the run loop starts there is no pool of AppKit's: what start-up
    // autoreleases (here, and while the program makes its controller) would
    // be leaked. Application::run pops this one.
    void* startupPool = objc_autoreleasePoolPush();
    // Made before anything else touches AppKit, as an AppKit program must.
    [NSApplication sharedApplication];
    Platform native;
    native.application = makeMacApplication(startupPool);
    native.runLoop = makeMacRunLoop();
    // Shared: the input watch must know the hot keys' own presses.
    auto hotKeyPresses = std::make_shared<mac::HotKeyPresses>(&postToMainRunLoop);
    native.input = makeMacInput(hotKeyPresses);
    native.screens = makeMacScreens();
    native.statusBar = makeMacStatusBar();
    native.panels = makeMacPanels();
    native.preferences = makeMacPreferences();
    native.hotKeys = makeMacHotKeys(hotKeyPresses);
    native.keyboardLayout = makeMacKeyboardLayout();
    native.loginItems = makeMacLoginItems();
    native.screenLocker = makeMacScreenLocker();
    native.systemLog = makeMacSystemLog();
    installPlatform(std::move(native));
    return std::nullopt;
}

} // namespace cendrel
