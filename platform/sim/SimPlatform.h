// The whole simulated platform: one of each sim backend, wired together, and
// the install step that makes it the process's platform.
#pragma once

#include "Platform.h"
#include "SimApplication.h"
#include "SimHotKeyEvents.h"
#include "SimKeyboardLayout.h"
#include "SimLoader.h"
#include "SimLoginItems.h"
#include "SimPanels.h"
#include "SimRunLoop.h"
#include "SimScreens.h"
#include "SimStatusBar.h"
#include "SimSystemLog.h"
#include "SimUserDefaults.h"

#include <memory>

namespace cendrel {

class SimPlatform {
public:
    SimPlatform();

    // Makes these backends the installed platform. The platform holds its own
    // references, so this object may go before uninstallPlatform().
    void install(SystemFlavor flavor = SystemFlavor::macOS) const;

    SimApplication& application() const { return *application_; }
    SimRunLoop& runLoop() const { return *runLoop_; }
    SimScreens& screens() const { return *screens_; }
    SimStatusBar& statusBar() const { return *statusBar_; }
    SimPanels& panels() const { return *panels_; }
    SimUserDefaults& userDefaults() const { return *userDefaults_; }
    SimHotKeyEvents& hotKeyEvents() const { return *hotKeyEvents_; }
    SimKeyboardLayout& keyboardLayout() const { return *keyboardLayout_; }
    SimLoginItems& loginItems() const { return *loginItems_; }
    SimLoader& loader() const { return *loader_; }
    SimSystemLog& systemLog() const { return *systemLog_; }

private:
    std::shared_ptr<SimApplication> application_;
    std::shared_ptr<SimRunLoop> runLoop_;
    std::shared_ptr<SimScreens> screens_;
    std::shared_ptr<SimStatusBar> statusBar_;
    std::shared_ptr<SimPanels> panels_;
    std::shared_ptr<SimUserDefaults> userDefaults_;
    std::shared_ptr<SimHotKeyEvents> hotKeyEvents_;
    std::shared_ptr<SimKeyboardLayout> keyboardLayout_;
    std::shared_ptr<SimLoginItems> loginItems_;
    std::shared_ptr<SimLoader> loader_;
    std::shared_ptr<SimSystemLog> systemLog_;
};

} // namespace cendrel
