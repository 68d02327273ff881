// The application controller: owns every other object, wires them together
// at launch, and keeps the status item and its menu in step with the state.
#pragma once

#include "Application.h"
#include "ArmMonitor.h"
#include "HotKeyManager.h"
#include "RecorderWindow.h"
#include "Shortcut.h"
#include "StatusBar.h"

#include <memory>
#include <string>
#include <string_view>

namespace cendrel {

class AppDelegate : public ApplicationDelegate, public MenuTarget, public std::enable_shared_from_this<AppDelegate> {
public:
    // Loads the stored shortcut and installs the hot-key handler; shows
    // nothing until launching has finished.
    AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;
    // Releases the fields in declaration order and does nothing else: no
    // disarming, nothing saved.
    ~AppDelegate() override;

    void applicationDidFinishLaunching() override;
    // The menu reaches its actions by name: "toggleArm", "lockNow",
    // "changeShortcut", "toggleLaunchAtLogin", "quit". Others are ignored.
    void performAction(std::string_view action) override;

private:
    void toggleArm();
    void lockNow();
    void changeShortcut();
    void toggleLaunchAtLogin();
    void quit();

    void setupStatusItem();
    void updateForState(ArmMonitor::State state);
    void rebuildMenu();
    std::string statusLine() const;
    void setLaunchAtLogin(bool enabled);
    void handleTrigger();
    void handleCapture(const Shortcut& captured);

    std::shared_ptr<StatusItem> statusItem;
    std::shared_ptr<HotKeyManager> hotKeyManager;
    std::shared_ptr<RecorderWindow> recorder;
    std::shared_ptr<ArmMonitor> monitor;
    Shortcut shortcut;
    std::shared_ptr<MenuItem> loginMenuItem;
};

} // namespace cendrel
