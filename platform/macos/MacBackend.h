// The macOS backend's parts, one maker per platform interface; MacPlatform.mm
// puts them together. Plain C++, so that nothing AppKit leaks past the backend.
#pragma once

#include "Platform.h"

#include <memory>

// The runtime's own pool calls, which @autoreleasepool compiles to. The
// start-up pool cannot be a block: it opens in installNativePlatform and
// closes in Application::run.
extern "C" void* objc_autoreleasePoolPush(void);
extern "C" void objc_autoreleasePoolPop(void* pool);

namespace cendrel {

namespace mac {
class HotKeyPresses;
}

// `startupPool` is the autorelease pool pushed before anything else ran: run()
// pops it before the run loop starts, which has pools of its own.
std::shared_ptr<Application> makeMacApplication(void* startupPool);
std::shared_ptr<RunLoop> makeMacRunLoop();
// The input watch leaves the presses of the live hot keys to them.
std::shared_ptr<Input> makeMacInput(std::shared_ptr<const mac::HotKeyPresses> hotKeyPresses);
std::shared_ptr<Screens> makeMacScreens();
std::shared_ptr<StatusBar> makeMacStatusBar();
std::shared_ptr<Panels> makeMacPanels();
std::shared_ptr<Preferences> makeMacPreferences();
std::shared_ptr<HotKeys> makeMacHotKeys(std::shared_ptr<mac::HotKeyPresses> presses);
std::shared_ptr<KeyboardLayout> makeMacKeyboardLayout();
std::shared_ptr<LoginItems> makeMacLoginItems();
std::shared_ptr<ScreenLocker> makeMacScreenLocker();
std::shared_ptr<SystemLog> makeMacSystemLog();

// Runs `work` on the main run loop in its common modes, on a later pass:
// also while a menu is tracked or a modal alert runs, and, unlike the main
// dispatch queue, also while an earlier piece of posted work is still inside
// such a nested loop.
void postToMainRunLoop(std::function<void()> work);

// Un-hides the application if it was hidden, then activates it, so that the
// panel or alert about to show is in front and has the keyboard.
void bringApplicationForward();
// Hides the application once none of its windows is left on screen, which
// gives the keyboard back to the program the owner came from.
void giveFocusBack();

} // namespace cendrel
