// The entry point of the Linux backend: the X11 part (hot keys, input,
// screens, layout), the Wayland part (the input watch in a Wayland session)
// and the freedesktop part (Qt, the tray, files, logind). Qt's xcb plugin is
// asked for explicitly: on a Wayland session the program runs through
// XWayland, whose X server is what the grabs need. There the X server sees
// only X programs' input, so the compositor's idle notifications watch.
#include "Platform.h"

#include "LinuxDesktop.h"
#include "freedesktop/ApplicationScope.h"
#include "freedesktop/IniPreferences.h"
#include "freedesktop/InstanceRequests.h"
#include "freedesktop/Login1ScreenLocker.h"
#include "freedesktop/PortalHotKeys.h"
#include "freedesktop/StderrLog.h"
#include "freedesktop/XdgAutostart.h"
#include "qt/QtApplication.h"
#include "qt/QtRecorderPanel.h"
#include "qt/QtRunLoop.h"
#include "qt/TrayStatusBar.h"
#include "wayland/WaylandConnection.h"
#include "wayland/WaylandDisplayPower.h"
#include "wayland/WaylandInput.h"
#include "x11/X11Connection.h"
#include "x11/X11DisplayPower.h"
#include "x11/X11HotKeys.h"
#include "x11/X11Input.h"
#include "x11/X11KeyboardLayout.h"
#include "x11/X11Screens.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace cendrel {

namespace {

constexpr const char* usage = "Usage: cendrel [--toggle | --arm | --disarm | --help | --version]\n"
                              "\n"
                              "Guards a computer left unlocked for a moment. Arm it with its shortcut\n"
                              "(Alt+Super+L unless changed) or from its tray menu and take your hands off:\n"
                              "after 2 seconds any click, key press, scroll or pointer drift locks the\n"
                              "screen. Needs an X server (XWayland in a Wayland session).\n"
                              "\n"
                              "      --toggle   arm the running Cendrel when idle, disarm it otherwise\n"
                              "      --arm      arm the running Cendrel\n"
                              "      --disarm   disarm the running Cendrel\n"
                              "  -h, --help     print this help and exit\n"
                              "      --version  print the version and exit\n";

// Answered before the display is opened, so that it works without one.
// Nothing: run the guard; otherwise the status to end with.
std::optional<int> answerCommandLine(int argc, char** argv)
{
    if (argc <= 1)
        return std::nullopt;
    // Qt's parser reads the line; the texts are ours, as the manual page
    // gives them, and exactly one option is taken.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    parser.addOptions({help, version, QCommandLineOption(QStringLiteral("toggle")),
                       QCommandLineOption(QStringLiteral("arm")), QCommandLineOption(QStringLiteral("disarm"))});
    const bool oneOption =
        parser.parse(arguments) && parser.optionNames().size() == 1 && parser.positionalArguments().isEmpty();
    if (oneOption && parser.isSet(help)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (oneOption && parser.isSet(version)) {
        std::fputs("cendrel " CENDREL_VERSION "\n", stdout);
        return 0;
    }
    if (oneOption) {
        if (const auto request = requestFromOption("--" + parser.optionNames().front().toStdString()))
            sendRequest(argc, argv, *request);
    }
    std::fputs("cendrel: unrecognised command line:", stderr);
    for (int i = 1; i < argc; ++i) {
        std::fputc(' ', stderr);
        std::fputs(argv[i], stderr);
    }
    std::fputs("\n\n", stderr);
    std::fputs(usage, stderr);
    return 2;
}

// A standard stream closed by whoever started us would hand its number to the
// next descriptor opened (the X socket, say), and log lines would go there.
void keepStandardStreamsOpen()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        // open() takes the lowest free number, which is this one.
        if (fcntl(fd, F_GETFD) == -1 && errno == EBADF && open("/dev/null", O_RDWR) == -1)
            return;
    }
}

// A Wayland session is one whose compositor answers on $WAYLAND_DISPLAY.
// There the X server is XWayland and never watches; a compositor named but
// not answering leaves nothing that can watch.
std::shared_ptr<WaylandInput> waylandInput(const std::shared_ptr<SystemLog>& log,
                                           std::shared_ptr<WaylandConnection>& connection)
{
    const char* socket = std::getenv("WAYLAND_DISPLAY");
    if (socket == nullptr || *socket == '\0')
        return nullptr;
    std::string error;
    connection = WaylandConnection::open(error);
    if (!connection) {
        log->log("Cendrel: Wayland session, but " + error + "; input cannot be watched");
        return WaylandInput::create(nullptr, log);
    }
    connection->attachToEventLoop();
    auto input = WaylandInput::create(connection, log);
    static constexpr const char* names[] = {"org.gnome.Mutter.IdleMonitor", "ext_idle_notifier_v1 version 2",
                                            "ext_idle_notifier_v1", "org_kde_kwin_idle"};
    if (const auto mechanism = input->mechanism())
        log->log(std::string("Cendrel: Wayland session; input is watched through ") +
                 names[static_cast<int>(*mechanism)]);
    else
        log->log("Cendrel: Wayland session; " + input->whyInputIsUnseen());
    return input;
}

bool isSocket(const std::string& path)
{
    struct stat status {};
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// Told by what answers: a compositor's own control socket, or its names on
// the session bus. A variable left over from another session names a socket
// that is not there.
LinuxDesktop waylandDesktop()
{
    if (isSocket(environment("SWAYSOCK")))
        return LinuxDesktop::sway;
    if (const std::string signature = environment("HYPRLAND_INSTANCE_SIGNATURE"); !signature.empty()) {
        const std::string runtime = environment("XDG_RUNTIME_DIR");
        if (isSocket(runtime + "/hypr/" + signature + "/.socket.sock") ||
            isSocket("/tmp/hypr/" + signature + "/.socket.sock"))
            return LinuxDesktop::hyprland;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() != nullptr) {
        if (bus.interface()->isServiceRegistered(QStringLiteral("org.gnome.Mutter.IdleMonitor")).value() ||
            bus.interface()->isServiceRegistered(QStringLiteral("org.gnome.Shell")).value())
            return LinuxDesktop::gnome;
        if (bus.interface()->isServiceRegistered(QStringLiteral("org.kde.KWin")).value())
            return LinuxDesktop::kde;
    }
    return LinuxDesktop::otherWayland;
}

// The shortcuts portal keeps a program's bindings under the desktop id it
// finds for it, which must be the one our desktop entry and bus name carry.
void placeWhereThePortalFindsUs(SystemLog& log)
{
    if (const std::string failure = placeInApplicationScope("org.cendrel.Cendrel"); !failure.empty())
        log.log("Cendrel: could not start Cendrel in a scope of its own (" + failure +
                "); the shortcuts portal may not know it");
}

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute, as the
// XDG base directory rules say.
std::string xdgConfigHome()
{
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && QDir::isAbsolutePath(QString::fromLocal8Bit(configHome)))
        return QString::fromLocal8Bit(configHome).toStdString();
    return (QDir::homePath() + QStringLiteral("/.config")).toStdString();
}

// A second start only points the owner to the first: two guards would each
// grab the shortcut and show an icon. The bus name goes with the process that
// holds it; without a session bus there is no telling, and the guard runs.
bool anotherInstanceRuns()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage request =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    constexpr unsigned doNotQueue = 4;
    constexpr unsigned heldByAnother = 3;
    request << QStringLiteral("org.cendrel.Cendrel") << doNotQueue;
    const QDBusMessage reply = bus.call(request, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().value(0).toUInt() != heldByAnother)
        return false;
    std::fputs("cendrel: Cendrel is already running\n", stderr);
    // Waited for: the process ends right after.
    bus.call(notification({NoticeSubject::instance, false, "Cendrel is already running",
                           "Its icon is in the panel, where it has been all along."}),
             QDBus::Block, 1000);
    return true;
}
} // namespace

std::optional<int> installNativePlatform(int argc, char** argv)
{
    keepStandardStreamsOpen();
    if (const auto status = answerCommandLine(argc, argv))
        return status;
    std::string error;
    auto x = X11Connection::open(error);
    if (!x) {
        std::fprintf(stderr, "cendrel: no X display (%s); Cendrel needs an X11 session\n", error.c_str());
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    // QApplication keeps a reference to argc for its whole life. It is never
    // destroyed, like the platform built on it: its widgets outlive main().
    static int qtArgc = argc;
    static QApplication* qtApplication = new QApplication(qtArgc, argv);
    (void)qtApplication;
    QApplication::setApplicationName(QStringLiteral("Cendrel"));
    // Window managers and docks match our windows to org.cendrel.Cendrel.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.cendrel.Cendrel"));
    auto application = std::make_shared<QtApplication>();
    // Ready before the name is ours: a request may follow at once.
    receiveRequests(application->requestListener);
    if (anotherInstanceRuns())
        return 0;
    x->attachToEventLoop();

    auto runLoop = std::make_shared<QtRunLoop>();
    auto hotKeys = X11HotKeys::create(x, runLoop);
    auto log = std::make_shared<StderrLog>();
    std::shared_ptr<WaylandConnection> wayland;
    auto input = waylandInput(log, wayland);
    auto keyboardLayout = std::make_shared<X11KeyboardLayout>(x);
    auto displayPower = std::make_shared<X11DisplayPower>(x, log, runLoop);
    const LinuxDesktop desktop = input ? waylandDesktop() : LinuxDesktop::x11;
    // XWayland's DPMS switches nothing off: a Wayland session asks its
    // compositor.
    std::function<bool()> switchDisplayOff = [displayPower] { return displayPower->switchOff(); };
    if (desktop != LinuxDesktop::x11)
        switchDisplayOff = [power = std::make_shared<WaylandDisplayPower>(
                                wayland, input, log, desktop == LinuxDesktop::gnome)] { return power->switchOff(); };
    const std::string config = xdgConfigHome();
    Platform platform;
    platform.application = application;
    platform.runLoop = runLoop;
    platform.input = input ? std::shared_ptr<Input>(input) : X11Input::create(x, hotKeys);
    platform.screens = std::make_shared<X11Screens>();
    platform.statusBar = std::make_shared<TrayStatusBar>();
    platform.panels = std::make_shared<QtPanels>();
    platform.preferences = std::make_shared<IniPreferences>(config + "/Cendrel/Cendrel.conf");
    // Under a compositor an X grab hears only keys typed into X programs.
    if (input)
        placeWhereThePortalFindsUs(*log);
    if (input)
        platform.hotKeys = std::make_shared<PortalHotKeys>(
            [keyboardLayout](KeyCode keyCode) { return keyboardLayout->keySymbolName(keyCode); },
            ownerShortcuts(desktop));
    else
        platform.hotKeys = hotKeys;
    platform.keyboardLayout = keyboardLayout;
    const std::string executable = runningExecutablePath();
    platform.loginItems =
        std::make_shared<XdgAutostart>(config + "/autostart/org.cendrel.Cendrel.desktop", executable,
                                       installedDesktopEntry(executable), config + "/autostart/cendrel.desktop");
    platform.screenLocker = std::make_shared<Login1ScreenLocker>(
        desktop, [preferences = platform.preferences] { return preferences->text("lock.command"); }, log,
        switchDisplayOff, [displayPower] { return displayPower->keyboardHeldByAnother(); });
    platform.systemLog = log;
    installPlatform(std::move(platform));
    return std::nullopt;
}

} // namespace cendrel
