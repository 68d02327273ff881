// The entry point of the backend. Qt's xcb plugin is asked for explicitly:
// on a Wayland session the program runs through XWayland, whose X server is
// what the grabs and raw events need.
#include "LinuxPlatform.h"

#include "LinuxApplication.h"
#include "LinuxHotKeyEvents.h"
#include "LinuxKeyboardLayout.h"
#include "LinuxLoader.h"
#include "LinuxLoginItems.h"
#include "LinuxPanels.h"
#include "LinuxRunLoop.h"
#include "LinuxScreens.h"
#include "LinuxStatusBar.h"
#include "LinuxSystemLog.h"
#include "LinuxUserDefaults.h"
#include "LinuxXConnection.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace cendrel {

std::string runningExecutablePath()
{
    std::error_code error;
    std::string path = std::filesystem::read_symlink("/proc/self/exe", error).string();
    if (!error) {
        // A binary replaced while it runs (a rebuild) reads back with this
        // mark; the autostart entry wants the path the next login will find.
        const std::string replaced = " (deleted)";
        if (path.size() > replaced.size() && path.ends_with(replaced))
            path.resize(path.size() - replaced.size());
        return path;
    }
    return QCoreApplication::applicationFilePath().toStdString();
}

bool installNativePlatform(int argc, char** argv)
{
    std::string error;
    auto x = LinuxXConnection::open(error);
    if (!x) {
        std::fprintf(stderr, "cendrel: no X display (%s); Cendrel needs an X11 session\n", error.c_str());
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // QApplication keeps a reference to argc for its whole life. It is never
    // destroyed, like the platform built on it: its widgets outlive main().
    static int qtArgc = argc;
    static QApplication* application = new QApplication(qtArgc, argv);
    (void)application;
    QApplication::setApplicationName(QStringLiteral("Cendrel"));
    QApplication::setQuitOnLastWindowClosed(false);
    x->attachToEventLoop();

    auto runLoop = std::make_shared<LinuxRunLoop>(x);
    Platform platform;
    platform.flavor = SystemFlavor::freedesktop;
    platform.application = std::make_shared<LinuxApplication>();
    platform.runLoop = runLoop;
    platform.screens = std::make_shared<LinuxScreens>();
    platform.statusBar = std::make_shared<LinuxStatusBar>(runLoop);
    platform.panels = std::make_shared<LinuxPanels>();
    platform.userDefaults = std::make_shared<LinuxUserDefaults>();
    platform.hotKeyEvents = std::make_shared<LinuxHotKeyEvents>(x);
    platform.keyboardLayout = std::make_shared<LinuxKeyboardLayout>(x);
    platform.loginItems = std::make_shared<LinuxLoginItems>(autostartFilePath(), runningExecutablePath());
    platform.loader = std::make_shared<LinuxLoader>();
    platform.systemLog = std::make_shared<LinuxSystemLog>();
    installPlatform(std::move(platform));
    return true;
}

} // namespace cendrel
