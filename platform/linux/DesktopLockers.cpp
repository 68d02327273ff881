// The lockers per session. login1 comes first everywhere: GNOME, KDE, and
// any session running xss-lock or swayidle lock through it, and their lock
// screens set LockedHint. Debian's MATE and Cinnamon lockers own only their
// own names. xdg-screensaver speaks only to X screen savers, so it cannot
// lock a Wayland session; the wlroots compositors have no locker on a bus,
// and their lockers say by their exit status that the screen is locked
// (swaylock once it is, with -f).
#include "DesktopLockers.h"

namespace cendrel {

namespace {

constexpr const char* screenSaverNames[] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver",
                                            "org.mate.ScreenSaver", "org.cinnamon.ScreenSaver"};
// Under a bare compositor, login1 accepts Lock whether or not anything hears
// it; a listener (swayidle) has started its locker well within this.
constexpr Seconds unheardLogin1Window{1.25};

DesktopLocker command(std::vector<std::string> argv, const std::string& asked)
{
    return {DesktopLocker::Kind::command,
            std::move(argv),
            {"could not start " + asked, "could not start " + asked, asked + " failed", asked},
            false,
            std::nullopt,
            false};
}

DesktopLocker screenSaver(const std::string& name)
{
    const bool freedesktop = name == screenSaverNames[0];
    const std::string reached = freedesktop ? "the screen saver" : name;
    const std::string asked = freedesktop ? "screen saver" : name;
    return {DesktopLocker::Kind::screenSaver,
            {name},
            {"could not reach " + reached, asked + " Lock not found", asked + " Lock failed", asked + " Lock"},
            false,
            std::nullopt,
            name == "org.cinnamon.ScreenSaver"};
}

} // namespace

DesktopLockers desktopLockers(LinuxDesktop desktop, const std::optional<std::string>& lockCommand)
{
    const bool wlroots =
        desktop == LinuxDesktop::sway || desktop == LinuxDesktop::hyprland || desktop == LinuxDesktop::otherWayland;
    DesktopLockers result;
    auto& lockers = result.lockers;
    lockers.push_back({DesktopLocker::Kind::session,
                       {},
                       {"could not reach login1", "login1 Lock not found", "login1 Lock failed", "login1 Lock"},
                       false,
                       wlroots ? std::optional(unheardLogin1Window) : std::nullopt,
                       false});
    for (const char* name : screenSaverNames)
        lockers.push_back(screenSaver(name));

    std::vector<DesktopLocker> commands;
    if (desktop == LinuxDesktop::x11)
        commands.push_back(command({"xdg-screensaver", "lock"}, "xdg-screensaver lock"));
    if (wlroots) {
        commands.push_back(command({"swaylock", "-f"}, "swaylock -f"));
        commands.push_back(command({"hyprlock"}, "hyprlock"));
    }
    if (lockCommand && !lockCommand->empty()) {
        const auto argv = splitLockCommand(*lockCommand);
        if (!argv || argv->empty()) {
            result.unreadableCommand =
                "Cendrel: the lock command in the preferences cannot be read; " +
                (commands.empty() ? std::string("it is not run") : "using " + commands[0].log.accepted);
        } else {
            // On X11 the owner's command stands for xdg-screensaver; a
            // Wayland desktop's own lockers still follow it.
            if (desktop == LinuxDesktop::x11)
                commands.clear();
            commands.insert(commands.begin(), command(*argv, "the lock command"));
        }
    }
    // Nothing hears login1 under a bare compositor, and no screen saver is
    // there to collide with: the first locker starts with login1 at once.
    if (wlroots) {
        for (std::size_t i = 1; i < lockers.size(); ++i)
            lockers[i].withPrevious = true;
        if (!commands.empty())
            commands.front().withPrevious = true;
    }
    lockers.insert(lockers.end(), commands.begin(), commands.end());
    return result;
}

// Qt's QProcess::splitCommand knows only double quotes (a literal one written
// as three); the commands owners have written use single quotes and
// backslashes as a shell does, and would split differently.
std::optional<std::vector<std::string>> splitLockCommand(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = '\0';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && quote != '\'' && i + 1 < text.size()) {
            word.push_back(text[++i]);
            inWord = true;
        } else if (quote != '\0') {
            if (c == quote)
                quote = '\0';
            else
                word.push_back(c);
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word.push_back(c);
            inWord = true;
        }
    }
    if (quote != '\0')
        return std::nullopt;
    if (inWord)
        words.push_back(word);
    return words;
}

} // namespace cendrel
