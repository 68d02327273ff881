// The freedesktop part on Qt's offscreen platform: the files it keeps, the
// lock's error mapping, the autostart entry, the tray menu, the recorder panel
// and the run loop. The notices and the screen savers' paths are seen by the
// stand-in services of the end-to-end tests.
#include "freedesktop/IniPreferences.h"
#include "freedesktop/Login1ScreenLocker.h"
#include "freedesktop/PortalHotKeys.h"
#include "freedesktop/XdgAutostart.h"
#include "qt/CendrelIcons.h"
#include "qt/QtApplication.h"
#include "qt/QtRecorderPanel.h"
#include "qt/QtRunLoop.h"
#include "qt/TrayStatusBar.h"

#include <QAction>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

namespace cendrel {
namespace {

using namespace std::chrono_literals;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

class FilesTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QString prefsPath = home.path() + "/Cendrel/Cendrel.conf";
};

// Only integers from a file Qt can read, the lock command as written, and
// preferences that cannot be written say so.
TEST_F(FilesTest, PreferencesGiveOnlyIntegersFromAFileQtCanReadAndTheLockCommandAsWritten)
{
    writeAll(prefsPath, "[General]\nshortcut.keyCode=twelve\n");
    EXPECT_EQ(IniPreferences(prefsPath.toStdString()).integer("shortcut.keyCode"), std::nullopt);
    // Blanks Qt's reading leaves (no-break spaces) around a number.
    writeAll(prefsPath, "[General]\nshortcut.keyCode=\u00a012\u2003\n");
    EXPECT_EQ(IniPreferences(prefsPath.toStdString()).integer("shortcut.keyCode"), 12);
    // Up to 64 KiB is read; a larger file is not a preferences file of ours.
    for (const auto& [size, read] : {std::pair{64 * 1024, true}, std::pair{64 * 1024 + 1, false}}) {
        QByteArray text("[General]\nshortcut.keyCode=5\n;");
        text += QByteArray(size - text.size() - 1, 'x') + "\n";
        writeAll(prefsPath, text);
        EXPECT_EQ(IniPreferences(prefsPath.toStdString()).integer("shortcut.keyCode"),
                  read ? std::optional<std::int64_t>(5) : std::nullopt)
            << size;
    }
    // Qt reads "shortcut.keyCode=5" from this, but reports the file corrupt.
    const QByteArray corrupt("[General]\nshortcut.keyCode=5\n[broken\n");
    writeAll(prefsPath, corrupt);
    IniPreferences preferences(prefsPath.toStdString());
    EXPECT_EQ(preferences.integer("shortcut.keyCode"), std::nullopt);
    EXPECT_EQ(readAll(prefsPath), corrupt) << "left as it is until a value is set";
    ASSERT_TRUE(preferences.setInteger("shortcut.carbonModifiers", 4294967295));
    IniPreferences reopened(prefsPath.toStdString());
    EXPECT_EQ(reopened.integer("shortcut.carbonModifiers"), 4294967295);
    EXPECT_EQ(reopened.integer("shortcut.keyCode"), std::nullopt);
    const std::pair<const char*, std::optional<std::string>> rows[] = {
        {"lock.command=i3lock -c 000000", "i3lock -c 000000"},
        {"lock.command=\"sh -c 'a, b' \\\"c\\\" d\\\\e\"", "sh -c 'a, b' \"c\" d\\e"},
        {"lock.command=slock, now", "slock, now"},
        {"lock.commands=slock", std::nullopt}};
    for (const auto& [line, text] : rows) {
        writeAll(prefsPath, QByteArray("[General]\n") + line + "\n");
        EXPECT_EQ(IniPreferences(prefsPath.toStdString()).text("lock.command"), text) << line;
    }
    // Preferences that cannot be written say so.
    QDir(home.path() + "/Cendrel").removeRecursively();
    writeAll(home.path() + "/Cendrel", "a file where the folder should be");
    IniPreferences unwritable(prefsPath.toStdString());
    EXPECT_FALSE(unwritable.setInteger("shortcut.keyCode", 37));
    QFile::remove(home.path() + "/Cendrel");
    QDir().mkpath(prefsPath); // the file is a folder now
    EXPECT_FALSE(unwritable.setInteger("shortcut.keyCode", 37));
    QDir(prefsPath).removeRecursively();
    EXPECT_TRUE(unwritable.setInteger("shortcut.keyCode", 37));
}

// How the bus's words are read: login1's errors, and the trigger asked of
// the portal, which names each modifier in the shortcuts notation's order.
TEST(BusWordsTest, Login1ErrorsSayWhetherTheLockIsThereAndPortalTriggersNameEachModifier)
{
    const std::pair<const char*, LockFailure> rows[] = {
        {"org.freedesktop.DBus.Error.ServiceUnknown", LockFailure::unavailable},
        {"org.freedesktop.DBus.Error.NameHasNoOwner", LockFailure::unavailable},
        {"org.freedesktop.DBus.Error.UnknownObject", LockFailure::missing},
        {"org.freedesktop.DBus.Error.UnknownMethod", LockFailure::missing},
        {"org.freedesktop.DBus.Error.UnknownInterface", LockFailure::missing},
        {"org.freedesktop.DBus.Error.AccessDenied", LockFailure::refused}};
    for (const auto& [name, failure] : rows)
        EXPECT_EQ(lockFailureFromError(name), failure) << name;
    EXPECT_EQ(portalTrigger({Modifier::command, Modifier::shift, Modifier::option, Modifier::control}, "comma"),
              QStringLiteral("CTRL+ALT+SHIFT+LOGO+comma"));
}

// The entries become actions of the one menu, which only a left click opens:
// the host opens its own for the other clicks.
TEST(TrayStatusBarTest, MenuEntriesBecomeActionsOfTheOneMenuWhichOnlyALeftClickOpens)
{
    int chosen = 0, closed = 0;
    bool locks = false;
    auto item = TrayStatusBar().makeStatusItem({[&] { return !locks; }, [&] { ++closed; }});
    auto& tray = static_cast<TrayStatusItem&>(*item);
    QMenu& menu = tray.menuForTesting();
    item->setMenu({MenuEntry::makeInformation("Idle & calm"), MenuEntry::makeAction("Arm Now", [&] { ++chosen; }),
                   MenuEntry::makeAction(
                       "Quit Cendrel", [] {}, "q")});
    const QList<QAction*> actions = menu.actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Idle && calm"); // not a mnemonic
    EXPECT_TRUE(actions[2]->shortcut().isEmpty()) << "a tray menu has no focus for it to act";
    // Refilled: the old entries go once the loop is back, as one of them may
    // be the entry being chosen, and it still acts.
    QPointer<QAction> old = actions[1];
    item->setMenu({MenuEntry::makeAction("Disarm", [] {})});
    ASSERT_TRUE(old);
    old->trigger();
    EXPECT_EQ(std::tuple(menu.actions().size(), chosen), std::tuple(qsizetype(1), 1));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(old);
    // Check marks follow each rebuild, and setChecked reaches the current entry.
    const auto marks = [&] {
        std::string text;
        for (const QAction* action : menu.actions())
            text += action->isCheckable() ? (action->isChecked() ? 'X' : 'o') : '-';
        return text;
    };
    MenuEntry check = MenuEntry::makeAction("Launch at Login", [] {});
    check.checkable = true;
    for (bool checked : {true, false}) {
        check.checked = checked;
        item->setMenu({MenuEntry::makeInformation("Idle"), MenuEntry::makeSeparator(), check});
        EXPECT_EQ(marks(), checked ? "--X" : "--o");
    }
    item->setChecked(2, true);
    item->setChecked(3, false); // past the end: nothing
    EXPECT_EQ(marks(), "--X");
    using Reason = QSystemTrayIcon::ActivationReason;
    const std::pair<Reason, bool> reasons[] = {
        {Reason::Trigger, true}, {Reason::Context, false}, {Reason::DoubleClick, false}, {Reason::Unknown, false}};
    // Last, an opening that locked: a left click, then a right click on an
    // XEmbed icon; our popup never shows, and the opening ends at once.
    for (const auto& [reason, opens] : reasons) {
        emit tray.trayForTesting().activated(reason);
        EXPECT_EQ(menu.isVisible(), opens) << reason;
        menu.hide();
    }
    locks = true;
    closed = 0;
    emit tray.trayForTesting().activated(Reason::Trigger);
    menu.popup(QPoint(10, 10));
    EXPECT_EQ(std::tuple(menu.isVisible(), closed), std::tuple(false, 2));
}

TEST(TrayStatusBarTest, MenuWeCannotSeeClosesAfterTheLimitButOurOwnPopupStaysOpen)
{
    int opened = 0, closed = 0;
    auto item = TrayStatusBar(20ms).makeStatusItem({[&] { return ++opened > 0; }, [&] { ++closed; }});
    QMenu& menu = static_cast<TrayStatusItem&>(*item).menuForTesting();
    item->setMenu({MenuEntry::makeAction("Arm Now", [] {})});
    // A host prepares the D-Bus menu, says it opened, and never that it closed.
    emit menu.aboutToShow();
    emit menu.aboutToShow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed == 1; }, 2000));
    EXPECT_EQ(opened, 1);
    menu.popup(QPoint(10, 10));
    ASSERT_TRUE(menu.isVisible());
    QTest::qWait(200); // ten limits
    EXPECT_EQ(std::tuple(opened, closed), std::tuple(2, 1));
    menu.hide();
    EXPECT_EQ(closed, 2);
}

void sendKey(QWidget& window, int key, std::uint32_t evdev, std::uint32_t xState)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, evdev + 8, 0, xState);
    QCoreApplication::sendEvent(window.windowHandle(), &event);
}

TEST(QtRecorderPanelTest, TakesEveryKeyPressButAModifierAloneWhileShownAndNoneOtherwiseAndComesBackWhenShownAgain)
{
    std::vector<KeyPress> presses;
    int closes = 0;
    QtRecorderPanel panel({"Set Lock Shortcut", "Press the new shortcut…", "hint"},
                          {[&](const KeyPress& press) { presses.push_back(press); }, [&] { ++closes; }});
    QWidget& window = panel.windowForTesting();
    panel.show();
    sendKey(window, Qt::Key_K, KEY_K, 0x04 | 0x01 | 0x10); // Control, Shift, Num Lock
    sendKey(window, Qt::Key_Shift, KEY_LEFTSHIFT, 0);
    EXPECT_EQ(presses, (std::vector<KeyPress>{{0x28, {Modifier::control, Modifier::shift}}}));
    QKeyEvent shortcut(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier);
    QCoreApplication::sendEvent(window.windowHandle(), &shortcut);
    EXPECT_TRUE(shortcut.isAccepted()) << "an application shortcut would fire in its place";
    panel.hide();
    EXPECT_FALSE(window.isVisible());
    sendKey(window, Qt::Key_K, KEY_K, 0);
    // Shown again, a hidden or minimised panel comes back.
    panel.show();
    EXPECT_TRUE(window.isVisible());
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    panel.show();
    EXPECT_FALSE(window.isMinimized());
    window.close();
    sendKey(window, Qt::Key_K, KEY_K, 0);
    EXPECT_EQ(std::tuple(closes, presses.size()), std::tuple(1, 1u));
    // A modifier key on its own is no key press, though the tables place it.
    const std::pair<Qt::Key, quint32> modifierKeys[] = {
        {Qt::Key_Control, KEY_LEFTCTRL},  {Qt::Key_Alt, KEY_LEFTALT},      {Qt::Key_AltGr, KEY_RIGHTALT},
        {Qt::Key_Meta, KEY_LEFTMETA},     {Qt::Key_Super_L, KEY_LEFTMETA}, {Qt::Key_Super_R, KEY_RIGHTMETA},
        {Qt::Key_CapsLock, KEY_CAPSLOCK}, {Qt::Key_NumLock, KEY_NUMLOCK}};
    for (const auto& [key, evdev] : modifierKeys) {
        const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, evdev + 8, 0, 0);
        EXPECT_EQ(keyPressFromEvent(event), std::nullopt) << evdev;
    }
}

TEST(QtRecorderPanelTest, EveryLineReadsOnLightAndDarkWindows)
{
    const QPalette original = QApplication::palette();
    for (const auto& [text, window] : {std::pair{QColor(Qt::black), QColor(0xef, 0xef, 0xef)},
                                       std::pair{QColor(0xfc, 0xfc, 0xfc), QColor(0x2a, 0x2e, 0x32)}}) {
        QPalette palette = original;
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Window, window);
        QApplication::setPalette(palette);
        QtRecorderPanel panel({"Set Lock Shortcut", "Press the new shortcut…", "hint"}, {});
        for (const QLabel* label : panel.windowForTesting().findChildren<QLabel*>())
            EXPECT_GE(contrastRatio(label->palette().color(QPalette::WindowText), window), 4.5)
                << label->text().toStdString();
    }
    QApplication::setPalette(original);
}

TEST(QtRunLoopTest, TimersStopWhenReleasedEvenFromInsideTheirOwnBlock)
{
    QtRunLoop loop;
    int repeats = 0, next = 0;
    std::unique_ptr<Timer> repeating = loop.scheduleTimer(Seconds(0.001), true, [&] {
        ++repeats;
        repeating.reset();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return repeats == 1; }, 2000));
    bool spentFired = false;
    auto spent = loop.scheduleTimer(Seconds(0), false, [&] { spentFired = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return spentFired; }, 2000));
    // Qt hands a spent timer's id out again: releasing the spent timer's token
    // late must not stop the timer that has the id now.
    auto later = loop.scheduleTimer(Seconds(0.001), false, [&] { ++next; });
    spent.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return next == 1; }, 2000));
    QTest::qWait(20); // a timer still running would fire again meanwhile
    EXPECT_EQ(std::tuple(repeats, next), std::tuple(1, 1));
}

class AutostartTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QString entryPath = home.path() + "/autostart/org.cendrel.Cendrel.desktop";
    QString formerPath = home.path() + "/autostart/cendrel.desktop";
};

TEST_F(AutostartTest, OnlyTheMainGroupOfOursSaysWhatRunsAndAnOlderVersionsEntryGivesWayToIt)
{
    // Whether the new entry is on, and the old one still there, afterwards.
    // Last, ours is kept while the new one cannot be written.
    const std::tuple<const char*, bool, bool> rows[] = {{"cendrel\n", true, false},
                                                        {"cendrel\nHidden=true\n", false, false},
                                                        {"other\n", false, true},
                                                        {"cendrel\n", false, true}};
    // Switched off before anything read it: the old entry must not start us at the next login.
    writeAll(formerPath, "[Desktop Entry]\nExec=/usr/bin/cendrel\n");
    EXPECT_FALSE(XdgAutostart(entryPath.toStdString(), "/usr/bin/cendrel", {}, formerPath.toStdString()).disable());
    EXPECT_FALSE(QFile::exists(formerPath) || QFile::exists(entryPath));
    for (const auto& [tail, enabled, kept] : rows) {
        writeAll(formerPath, QByteArray("[Desktop Entry]\nExec=/usr/bin/") + tail);
        if (kept && QByteArray(tail) == "cendrel\n")
            QDir().mkpath(entryPath);
        const bool on =
            XdgAutostart(entryPath.toStdString(), "/usr/bin/cendrel", {}, formerPath.toStdString()).isEnabled();
        EXPECT_EQ(std::tuple(on, QFile::exists(formerPath)), std::tuple(enabled, kept)) << tail;
        QFile::remove(entryPath);
    }
    // Only the main group says what starts and whether it runs.
    QDir(entryPath).removeRecursively();
    const std::pair<const char*, bool> groups[] = {
        {"[Desktop Entry]\nExec=/usr/bin/cendrel\n[Desktop Action quit]\nExec=/bin/true\nHidden=true\n", true},
        {"[Desktop Entry]\n Exec = \"/usr/bin/cendrel\" --x\n", true},
        {"[Desktop Entry]\nExec=/usr/bin/cendrel\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/cendrel\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Action arm]\nExec=/usr/bin/cendrel\n[Desktop Entry]\nExec=/bin/true\n", false},
        {"[Other]\nExec=/usr/bin/cendrel\n", false},
        {"[Desktop Entry]\nExec=cendrel\n", false}};
    for (const auto& [contents, enabled] : groups) {
        writeAll(entryPath, contents);
        EXPECT_EQ(XdgAutostart(entryPath.toStdString(), "/usr/bin/cendrel").isEnabled(), enabled) << contents;
    }
}

// Without an installed entry to copy, Exec quotes what the shell or the
// format would read as syntax.
TEST_F(AutostartTest, InstalledProgramCopiesTheDesktopEntryInstalledBesideItOrExecIsQuoted)
{
    const QString installed = home.path() + "/usr/share/applications/org.cendrel.Cendrel.desktop";
    const QByteArray contents = "[Desktop Entry]\nExec=cendrel\nIcon=cendrel\n[Desktop Action x]\nExec=cendrel -x\n";
    writeAll(installed, contents);
    const std::string binary = (home.path() + "/usr/bin/cendrel").toStdString();
    EXPECT_EQ(installedDesktopEntry(binary), installed.toStdString());
    EXPECT_EQ(installedDesktopEntry((home.path() + "/usr/bin/other").toStdString()), "");
    EXPECT_EQ(installedDesktopEntry((home.path() + "/usr/build/cendrel").toStdString()), "");
    // A binary replaced while it runs.
    EXPECT_EQ(executablePathFromLink(binary + " (deleted)"), binary);
    EXPECT_EQ(executablePathFromLink(" (deleted)"), " (deleted)");
    XdgAutostart autostart(entryPath.toStdString(), binary, installed.toStdString());
    ASSERT_EQ(autostart.enable(), std::nullopt);
    EXPECT_EQ(std::tuple(readAll(entryPath), autostart.isEnabled()), std::tuple(contents, true));
    ASSERT_EQ(autostart.disable(), std::nullopt);
    EXPECT_FALSE(QFile::exists(entryPath));
    QFile::remove(installed);
    EXPECT_NE(autostart.enable(), std::nullopt);
    EXPECT_FALSE(QFile::exists(entryPath));
    // The argument quoted, then each backslash escaped again as a string value.
    const std::pair<const char*, const char*> rows[] = {
        {"/opt/my apps/cendrel", R"(Exec="/opt/my apps/cendrel")"},
        {"/opt/$HOME/cendrel", R"(Exec="/opt/\\$HOME/cendrel")"},
        {"/opt/`id`/cendrel", R"(Exec="/opt/\\`id\\`/cendrel")"},
        {"/opt/\"q\"/cendrel", R"(Exec="/opt/\\"q\\"/cendrel")"},
        {"/opt/back\\slash/cendrel", R"(Exec="/opt/back\\\\slash/cendrel")"},
        {"/opt/50%/cendrel", R"(Exec="/opt/50%%/cendrel")"}};
    for (const auto& [executable, exec] : rows) {
        XdgAutostart quoted(entryPath.toStdString(), executable);
        ASSERT_EQ(quoted.enable(), std::nullopt);
        EXPECT_TRUE(readAll(entryPath).contains("\n" + QByteArray(exec) + "\n")) << readAll(entryPath).toStdString();
        EXPECT_TRUE(quoted.isEnabled()) << executable;
        EXPECT_FALSE(XdgAutostart(entryPath.toStdString(), "/opt/cendrel").isEnabled()) << executable;
    }
}

TEST(CendrelIconsTest, EachShapeIsItsOwnAndKeepsItsProportionsInASlotTwiceAsWideAsHigh)
{
    QImage slot(48, 24, QImage::Format_ARGB32_Premultiplied);
    slot.fill(Qt::transparent);
    QPainter painter(&slot);
    stateIcon(StatusIcon::armed).paint(&painter, slot.rect());
    painter.end();
    for (int y = 0; y < 24; ++y)
        EXPECT_EQ(qAlpha(slot.pixel(11, y)) + qAlpha(slot.pixel(36, y)), 0) << y;
    EXPECT_GT(qAlpha(slot.pixel(24, 12)), 0);
    // Each state, and the program itself, has a shape of its own.
    const QImage shapes[] = {stateIcon(StatusIcon::idle).pixmap(24).toImage(),
                             stateIcon(StatusIcon::arming).pixmap(24).toImage(),
                             stateIcon(StatusIcon::armed).pixmap(24).toImage(), applicationIcon().pixmap(24).toImage()};
    for (std::size_t i = 0; i < std::size(shapes); ++i)
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(shapes[i], shapes[j]) << i << " " << j;
}

} // namespace
} // namespace cendrel
