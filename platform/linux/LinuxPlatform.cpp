// The entry point of the Linux backend: the X11 part (hot keys, input,
// screens, layout) and the freedesktop part (Qt, the tray, files, logind).
// Qt's xcb plugin is asked for explicitly: on a Wayland session the program
// runs through XWayland, whose X server is what the grabs and raw events need.
#include "Platform.h"

#include "freedesktop/IniPreferences.h"
#include "freedesktop/Login1ScreenLocker.h"
#include "freedesktop/QtApplication.h"
#include "freedesktop/QtRecorderPanel.h"
#include "freedesktop/QtRunLoop.h"
#include "freedesktop/StderrLog.h"
#include "freedesktop/TrayStatusBar.h"
#include "freedesktop/XdgAutostart.h"
#include "x11/X11Connection.h"
#include "x11/X11HotKeys.h"
#include "x11/X11Input.h"
#include "x11/X11KeyboardLayout.h"
#include "x11/X11Screens.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>

namespace cendrel {

namespace {
// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute, as the
// XDG base directory rules say.
std::string xdgConfigHome()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && QDir::isAbsolutePath(QString::fromLocal8Bit(configHome)))
        return QString::fromLocal8Bit(configHome).toStdString();
    return (QDir::homePath() + QStringLiteral("/.config")).toStdString();
}
} // namespace

bool installNativePlatform(int argc, char** argv)
{
    std::string error;
    auto x = X11Connection::open(error);
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
    x->attachToEventLoop();

    auto runLoop = std::make_shared<QtRunLoop>();
    auto hotKeys = X11HotKeys::create(x, runLoop);
    const std::string config = xdgConfigHome();
    Platform platform;
    platform.flavor = SystemFlavor::freedesktop;
    platform.application = std::make_shared<QtApplication>();
    platform.runLoop = runLoop;
    platform.input = X11Input::create(x, hotKeys);
    platform.screens = std::make_shared<X11Screens>();
    platform.statusBar = std::make_shared<TrayStatusBar>();
    platform.panels = std::make_shared<QtPanels>();
    platform.preferences = std::make_shared<IniPreferences>(config + "/Cendrel/Cendrel.conf");
    platform.hotKeys = hotKeys;
    platform.keyboardLayout = std::make_shared<X11KeyboardLayout>(x);
    platform.loginItems =
        std::make_shared<XdgAutostart>(config + "/autostart/cendrel.desktop", runningExecutablePath());
    platform.screenLocker = std::make_shared<Login1ScreenLocker>();
    platform.systemLog = std::make_shared<StderrLog>();
    installPlatform(std::move(platform));
    return true;
}

} // namespace cendrel
