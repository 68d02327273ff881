// Which lockers each session asks, in what order and which together; the
// words the log uses for them; the owner's command split into words, what its
// end reports, and a locker still running when its request is dropped.
#include "DesktopLockers.h"
#include "freedesktop/LockCommand.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>
#include <vector>

namespace cendrel {
namespace {

// Each locker as "+name~": '+' starts with the one before, '~' may bring
// evidence only briefly once accepted, "(s)" its Lock takes a message.
std::vector<std::string> described(const DesktopLockers& table)
{
    std::vector<std::string> lockers;
    for (const DesktopLocker& locker : table.lockers) {
        std::string name = locker.kind == DesktopLocker::Kind::session ? "login1" : "";
        for (const std::string& word : locker.words)
            name += (name.empty() ? "" : "|") + word;
        lockers.push_back((locker.withPrevious ? "+" : "") + name + (locker.lockTakesMessage ? "(s)" : "") +
                          (locker.evidenceWindow ? "~" : ""));
    }
    return lockers;
}

using Lockers = std::vector<std::string>;
const Lockers savers{"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver", "org.mate.ScreenSaver",
                     "org.cinnamon.ScreenSaver(s)"};
const Lockers wlrootsSavers{"+org.freedesktop.ScreenSaver", "+org.gnome.ScreenSaver", "+org.mate.ScreenSaver",
                            "+org.cinnamon.ScreenSaver(s)"};

Lockers joined(Lockers first, const Lockers& second, const Lockers& third)
{
    first.insert(first.end(), second.begin(), second.end());
    first.insert(first.end(), third.begin(), third.end());
    return first;
}

TEST(DesktopLockersTest, EachSessionAsksItsLockersInItsOrder)
{
    struct Row {
        LinuxDesktop desktop;
        std::optional<std::string> command;
        Lockers lockers;
        const char* note;
    };
    const char* unreadable = "Cendrel: the lock command in the preferences cannot be read; ";
    const Lockers x11 = joined({"login1"}, savers, {"xdg-screensaver|lock"});
    const Lockers sway = joined({"login1~"}, wlrootsSavers, {"+swaylock|-f", "hyprlock"});
    const Row rows[] = {
        {LinuxDesktop::x11, std::nullopt, x11, ""},
        {LinuxDesktop::x11, "", x11, ""},
        {LinuxDesktop::x11, "x -n", joined({"login1"}, savers, {"x|-n"}), ""},
        {LinuxDesktop::x11, "lock 'open", x11, "using xdg-screensaver lock"},
        {LinuxDesktop::x11, " \t", x11, "using xdg-screensaver lock"},
        {LinuxDesktop::gnome, std::nullopt, joined({"login1"}, savers, {}), ""},
        {LinuxDesktop::kde, "x", joined({"login1"}, savers, {"x"}), ""},
        {LinuxDesktop::kde, "'", joined({"login1"}, savers, {}), "it is not run"},
        {LinuxDesktop::sway, std::nullopt, sway, ""},
        {LinuxDesktop::hyprland, std::nullopt, sway, ""},
        {LinuxDesktop::otherWayland, "x", joined({"login1~"}, wlrootsSavers, {"+x", "swaylock|-f", "hyprlock"}), ""},
        {LinuxDesktop::sway, "\"", sway, "using swaylock -f"}};
    for (const Row& row : rows) {
        const DesktopLockers table = desktopLockers(row.desktop, row.command);
        EXPECT_EQ(described(table), row.lockers) << row.command.value_or("(none)");
        EXPECT_EQ(table.unreadableCommand, *row.note ? unreadable + std::string(row.note) : "");
    }
}

TEST(DesktopLockersTest, TheLogNamesEachLockerAsBefore)
{
    const auto& lockers = desktopLockers(LinuxDesktop::x11, "x").lockers;
    std::string words;
    for (const std::size_t i : {0u, 1u, 3u, 5u})
        for (LockFailure failure : {LockFailure::unavailable, LockFailure::missing, LockFailure::refused})
            words += lockers.at(i).log.forFailure(failure) + "|";
    EXPECT_EQ(words, "could not reach login1|login1 Lock not found|login1 Lock failed|could not reach the screen "
                     "saver|screen saver Lock not found|screen saver Lock failed|could not reach org.mate.ScreenSaver|"
                     "org.mate.ScreenSaver Lock not found|org.mate.ScreenSaver Lock failed|could not start the lock "
                     "command|could not start the lock command|the lock command failed|");
    EXPECT_EQ(lockers.at(1).log.accepted, "screen saver Lock");
}

TEST(DesktopLockersTest, TheOwnersCommandIsSplitIntoWordsWithoutAShell)
{
    using Words = std::optional<std::vector<std::string>>;
    const std::pair<const char*, Words> rows[] = {
        {"slock", Words{{"slock"}}},
        {" i3lock\t-c  000000 ", Words{{"i3lock", "-c", "000000"}}},
        {"'my locker' \"a b\" c\\ d ''", Words{{"my locker", "a b", "c d", ""}}},
        {"sh -c 'x; $y' \"\\\"\" '\\'", Words{{"sh", "-c", "x; $y", "\"", "\\"}}},
        {"", Words{std::vector<std::string>{}}},
        {"a\\", Words{{"a\\"}}},
        {"lock 'open", std::nullopt}};
    for (const auto& [text, words] : rows)
        EXPECT_EQ(splitLockCommand(text), words) << text;
}

// Only a clean exit 0 locks; a locker that dies was started, so it failed.
TEST(LockCommandTest, HowTheLockerEndsIsWhatItReports)
{
    const std::pair<const char*, LockReport> rows[] = {
        {"exit 0", {LockReport::Outcome::locked, LockFailure::refused}},
        {"exit 3", {LockReport::Outcome::failed, LockFailure::refused}},
        {"kill -9 $$", {LockReport::Outcome::failed, LockFailure::refused}}};
    for (const auto& [script, expected] : rows) {
        std::optional<LockReport> got;
        auto request = startLockCommand({"/bin/sh", "-c", script}, [&](LockReport report) { got = report; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return got.has_value(); }, 5000)) << script;
        EXPECT_EQ(std::tuple(got->outcome, got->failure), std::tuple(expected.outcome, expected.failure)) << script;
    }
}

// Killing a locker would unlock the screen.
TEST(LockCommandTest, ALockerStillRunningWhenItsRequestIsDroppedGoesOn)
{
    QTemporaryDir dir;
    const QString pidFile = dir.path() + "/pid";
    auto request = startLockCommand({"/bin/sh", "-c", "echo $$ > " + pidFile.toStdString() + "; exec sleep 30"},
                                    [](LockReport) {});
    ASSERT_TRUE(request);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(pidFile).size() > 0; }, 5000));
    QFile file(pidFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = file.readAll().trimmed().toInt();
    request.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTest::qWait(50);
    EXPECT_EQ(::kill(pid, 0), 0) << "the locker was killed";
    // Its process object goes once it has ended and been reaped.
    ::kill(pid, SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(QStringLiteral("/proc/%1").arg(pid)); }, 5000));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
} // namespace cendrel
