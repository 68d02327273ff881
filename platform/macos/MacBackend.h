// The macOS backend's parts, one maker per platform interface; MacPlatform.mm
// puts them together. Plain C++, so that nothing AppKit leaks past the backend.
#pragma once

#include "Platform.h"

#include <memory>

namespace cendrel {

std::shared_ptr<Application> makeMacApplication();
std::shared_ptr<RunLoop> makeMacRunLoop();
std::shared_ptr<Screens> makeMacScreens();
std::shared_ptr<StatusBar> makeMacStatusBar();
std::shared_ptr<Panels> makeMacPanels();
std::shared_ptr<UserDefaults> makeMacUserDefaults();
std::shared_ptr<HotKeyEvents> makeMacHotKeyEvents();
std::shared_ptr<KeyboardLayout> makeMacKeyboardLayout();
std::shared_ptr<LoginItems> makeMacLoginItems();
std::shared_ptr<Loader> makeMacLoader();
std::shared_ptr<SystemLog> makeMacSystemLog();

} // namespace cendrel
