// The one process-wide set of platform interfaces. The program entry, or a
// test fixture, installs it before any core object is made; the core reaches
// the operating system only through it.
#pragma once

#include "Application.h"
#include "HotKeys.h"
#include "Input.h"
#include "KeyboardLayout.h"
#include "LoginItems.h"
#include "Preferences.h"
#include "RecorderPanel.h"
#include "RunLoop.h"
#include "ScreenLocker.h"
#include "Screens.h"
#include "StatusBar.h"
#include "SystemLog.h"

#include <memory>
#include <optional>

namespace cendrel {

struct Platform {
    std::shared_ptr<Application> application;
    std::shared_ptr<RunLoop> runLoop;
    std::shared_ptr<Input> input;
    std::shared_ptr<Screens> screens;
    std::shared_ptr<StatusBar> statusBar;
    std::shared_ptr<Panels> panels;
    std::shared_ptr<Preferences> preferences;
    std::shared_ptr<HotKeys> hotKeys;
    std::shared_ptr<KeyboardLayout> keyboardLayout;
    std::shared_ptr<LoginItems> loginItems;
    std::shared_ptr<ScreenLocker> screenLocker;
    std::shared_ptr<SystemLog> systemLog;
};

// Replaces the installed set. Every member must be set.
void installPlatform(Platform platform);
// Drops the installed set (test fixtures, between tests).
void uninstallPlatform();
// The installed set; installing one first is a precondition.
const Platform& platform();

// Defined by the backend the program is built with: installs the native
// platform for this process. Nothing when it is installed and the program is
// to run; otherwise the status the process ends with at once (the command
// line asked only for help, or the platform cannot run here), the user
// having already been told why.
std::optional<int> installNativePlatform(int argc, char** argv);

} // namespace cendrel
