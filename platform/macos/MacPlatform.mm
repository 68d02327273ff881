// The native platform on macOS: the shared NSApplication first, then every
// interface's macOS part, with the macOS conventions. No gap.
#import <AppKit/AppKit.h>

#include "MacBackend.h"

namespace cendrel {

bool installNativePlatform(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    @autoreleasepool {
        // Made before anything else touches AppKit, as an AppKit program must.
        [NSApplication sharedApplication];
        Platform native;
        native.flavor = SystemFlavor::macOS;
        native.application = makeMacApplication();
        native.runLoop = makeMacRunLoop();
        native.screens = makeMacScreens();
        native.statusBar = makeMacStatusBar();
        native.panels = makeMacPanels();
        native.userDefaults = makeMacUserDefaults();
        native.hotKeyEvents = makeMacHotKeyEvents();
        native.keyboardLayout = makeMacKeyboardLayout();
        native.loginItems = makeMacLoginItems();
        native.loader = makeMacLoader();
        native.systemLog = makeMacSystemLog();
        installPlatform(std::move(native));
    }
    return true;
}

} // namespace cendrel
