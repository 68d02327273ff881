#include "AppDelegate.h"

#include "Platform.h"
#include "ScreenLock.h"

#include <utility>

namespace cendrel {

namespace {

constexpr double variableStatusItemLength = -1;
constexpr const char* accessibilityDescription = "Cendrel";

const char* symbolName(ArmMonitor::State state)
{
    switch (state) {
    case ArmMonitor::State::idle:
        return "lock.fill";
    case ArmMonitor::State::arming:
        return "lock.open.fill";
    case ArmMonitor::State::armed:
        return "eye.fill";
    }
    return "lock.fill";
}

bool launchesAtLogin()
{
    return platform().loginItems->status() == loginItemStatusEnabled;
}

MenuItemState checkMark(bool on)
{
    return on ? MenuItemState::on : MenuItemState::off;
}

} // namespace

AppDelegate::AppDelegate()
    : hotKeyManager(std::make_shared<HotKeyManager>()), recorder(std::make_shared<RecorderWindow>()),
      monitor(std::make_shared<ArmMonitor>()), shortcut(Shortcut::load())
{
}

AppDelegate::~AppDelegate()
{
    statusItem.reset();
    hotKeyManager.reset();
    recorder.reset();
    monitor.reset();
    loginMenuItem.reset();
}

void AppDelegate::applicationDidFinishLaunching()
{
    platform().application->setActivationPolicy(ActivationPolicy::accessory);
    setupStatusItem();
    hotKeyManager->onTrigger = [weak = weak_from_this()] {
        if (auto self = weak.lock())
            self->handleTrigger();
    };
    hotKeyManager->registerShortcut(shortcut);
    monitor->onStateChange = [weak = weak_from_this()](ArmMonitor::State state) {
        if (auto self = weak.lock())
            self->updateForState(state);
    };
    // The monitor never reports its initial state; show it ourselves.
    updateForState(ArmMonitor::State::idle);
}

void AppDelegate::performAction(std::string_view action)
{
    if (action == "toggleArm")
        toggleArm();
    else if (action == "lockNow")
        lockNow();
    else if (action == "changeShortcut")
        changeShortcut();
    else if (action == "toggleLaunchAtLogin")
        toggleLaunchAtLogin();
    else if (action == "quit")
        quit();
}

void AppDelegate::handleTrigger()
{
    toggleArm();
}

void AppDelegate::toggleArm()
{
    if (monitor->state() == ArmMonitor::State::idle)
        monitor->arm();
    else
        monitor->disarm();
}

void AppDelegate::lockNow()
{
    monitor->disarm();
    ScreenLock::lock();
}

void AppDelegate::changeShortcut()
{
    recorder->show(shortcut, [weak = weak_from_this()](const Shortcut& captured) {
        if (auto self = weak.lock())
            self->handleCapture(captured);
    });
}

void AppDelegate::quit()
{
    platform().application->terminate();
}

void AppDelegate::handleCapture(const Shortcut& captured)
{
    shortcut = captured;
    UserDefaults& defaults = *platform().userDefaults;
    defaults.setInteger(std::int64_t{shortcut.keyCode}, Shortcut::keyCodeKey);
    defaults.setInteger(std::int64_t{shortcut.carbonModifiers}, Shortcut::carbonModifiersKey);
    hotKeyManager->registerShortcut(shortcut);
    rebuildMenu();
}

void AppDelegate::setupStatusItem()
{
    statusItem = platform().statusBar->statusItemWithLength(variableStatusItemLength);
    rebuildMenu();
}

void AppDelegate::updateForState(ArmMonitor::State state)
{
    if (auto button = statusItem->button()) {
        button->setImage(platform().statusBar->imageWithSystemSymbolName(symbolName(state), accessibilityDescription));
        if (auto image = button->image())
            image->setTemplate(true);
    }
    rebuildMenu();
}

std::string AppDelegate::statusLine() const
{
    switch (monitor->state()) {
    case ArmMonitor::State::idle:
        return "Idle — press " + shortcut.displayString() + " to arm";
    case ArmMonitor::State::arming:
        return "Arming… take your hand off the trackpad";
    case ArmMonitor::State::armed:
        return "● Armed — any input will lock";
    }
    return {};
}

void AppDelegate::rebuildMenu()
{
    StatusBar& bar = *platform().statusBar;
    const std::weak_ptr<MenuTarget> target = weak_from_this();
    auto menu = bar.newMenu();

    auto addAction = [&](const std::string& title, const char* action, const char* keyEquivalent = "") {
        auto item = bar.newMenuItem(title, action, keyEquivalent);
        item->setTarget(target);
        item->setEnabled(true);
        menu->addItem(item);
    };
    auto addInformation = [&](const std::string& title) {
        auto item = bar.newMenuItem(title, "", "");
        item->setEnabled(false);
        menu->addItem(item);
    };

    addInformation(statusLine());
    menu->addItem(bar.separatorItem());
    addAction(monitor->state() == ArmMonitor::State::idle ? "Arm Now" : "Disarm", "toggleArm");
    addAction("Lock Screen Now", "lockNow");
    menu->addItem(bar.separatorItem());
    addInformation("Arm Shortcut:  " + shortcut.displayString());
    addAction("Change Shortcut…", "changeShortcut");
    menu->addItem(bar.separatorItem());

    loginMenuItem = bar.newMenuItem("Launch at Login", "toggleLaunchAtLogin", "");
    loginMenuItem->setTarget(target);
    loginMenuItem->setEnabled(true);
    loginMenuItem->setState(checkMark(launchesAtLogin()));
    menu->addItem(loginMenuItem);

    menu->addItem(bar.separatorItem());
    addAction("Quit Cendrel", "quit", "q");
    statusItem->setMenu(std::move(menu));
}

void AppDelegate::toggleLaunchAtLogin()
{
    setLaunchAtLogin(!launchesAtLogin());
    if (loginMenuItem)
        loginMenuItem->setState(checkMark(launchesAtLogin()));
}

void AppDelegate::setLaunchAtLogin(bool enabled)
{
    const Platform& system = platform();
    const bool isEnabled = launchesAtLogin();
    if (enabled == isEnabled)
        return;
    const auto error = enabled ? system.loginItems->registerMainApp() : system.loginItems->unregisterMainApp();
    if (!error)
        return;
    system.systemLog->log("Cendrel: launch-at-login change failed: " + error->description);
    system.application->runModalAlert("Couldn't update Launch at Login", error->localizedDescription);
}

} // namespace cendrel
