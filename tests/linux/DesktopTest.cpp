// What the freedesktop part hands the desktop: the notices, the autostart
// entry, the tray menu's state and clicks, and the recorder's return.
#include "freedesktop/QtApplication.h"
#include "freedesktop/QtRecorderPanel.h"
#include "freedesktop/TrayStatusBar.h"
#include "freedesktop/XdgAutostart.h"

#include <QAction>
#include <QDBusMessage>
#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

namespace cendrel {
namespace {

TEST(NoticeTest, NotifyNamesOurIconAndEntryReplacesWhatItIsToldAndIsUrgentOnlyWhenCritical)
{
    for (const auto& [critical, replaces, urgency] : {std::tuple{false, 0u, 1}, {true, 7u, 2}}) {
        const QDBusMessage message = notification({NoticeSubject::hotKey, critical, "Title", "Body"}, replaces);
        EXPECT_EQ(message.service() + message.path() + message.member(),
                  "org.freedesktop.Notifications/org/freedesktop/NotificationsNotify");
        const QVariantList args = message.arguments();
        ASSERT_EQ(args.size(), 8);
        EXPECT_EQ(args[0].toString(), "Cendrel");
        EXPECT_EQ(args[1].toUInt(), replaces);
        EXPECT_EQ(args[2].toString(), "cendrel");
        EXPECT_EQ(args[3].toString() + "|" + args[4].toString(), "Title|Body");
        const QVariantMap hints = args[6].toMap();
        EXPECT_EQ(hints.value("urgency").value<uchar>(), urgency);
        EXPECT_EQ(hints.value("desktop-entry").toString(), "cendrel");
        EXPECT_EQ(args[7].toInt(), -1);
    }
}

class AutostartTest : public ::testing::Test {
protected:
    QByteArray entry() const
    {
        QFile file(entryPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QTemporaryDir home;
    QString entryPath = home.path() + "/autostart/cendrel.desktop";
};

TEST_F(AutostartTest, ExecQuotesWhatTheShellOrTheFormatWouldReadAsSyntax)
{
    // The argument quoted, then each backslash escaped again as a string value.
    const std::pair<const char*, const char*> rows[] = {
        {"/opt/my apps/cendrel", R"(Exec="/opt/my apps/cendrel")"},
        {"/opt/$HOME/cendrel", R"(Exec="/opt/\\$HOME/cendrel")"},
        {"/opt/`id`/cendrel", R"(Exec="/opt/\\`id\\`/cendrel")"},
        {"/opt/\"q\"/cendrel", R"(Exec="/opt/\\"q\\"/cendrel")"},
        {"/opt/back\\slash/cendrel", R"(Exec="/opt/back\\\\slash/cendrel")"},
        {"/opt/50%/cendrel", R"(Exec="/opt/50%%/cendrel")"},
    };
    for (const auto& [executable, exec] : rows) {
        XdgAutostart autostart(entryPath.toStdString(), executable);
        ASSERT_EQ(autostart.enable(), std::nullopt);
        EXPECT_TRUE(entry().contains("\n" + QByteArray(exec) + "\n")) << entry().toStdString();
        EXPECT_TRUE(autostart.isEnabled()) << executable;
        EXPECT_FALSE(XdgAutostart(entryPath.toStdString(), "/opt/cendrel").isEnabled()) << executable;
    }
}

TEST_F(AutostartTest, OnlyTheMainGroupSaysWhatStartsAndWhetherItRuns)
{
    const std::pair<const char*, bool> rows[] = {
        {"[Desktop Entry]\nExec=/usr/bin/cendrel\n[Desktop Action quit]\nExec=/bin/true\nHidden=true\n", true},
        {"[Desktop Entry]\n Exec = \"/usr/bin/cendrel\" --x\n", true},
        {"[Desktop Entry]\nExec=/usr/bin/cendrel\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=/usr/bin/cendrel\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Action arm]\nExec=/usr/bin/cendrel\n[Desktop Entry]\nExec=/bin/true\n", false},
        {"[Other]\nExec=/usr/bin/cendrel\n", false},
        {"[Desktop Entry]\nExec=cendrel\n", false},
    };
    for (const auto& [contents, enabled] : rows) {
        write(entryPath, contents);
        EXPECT_EQ(XdgAutostart(entryPath.toStdString(), "/usr/bin/cendrel").isEnabled(), enabled) << contents;
    }
}

TEST_F(AutostartTest, InstalledProgramCopiesTheDesktopEntryInstalledBesideIt)
{
    const QString installed = home.path() + "/usr/share/applications/cendrel.desktop";
    const QByteArray contents = "[Desktop Entry]\nExec=cendrel\nIcon=cendrel\n[Desktop Action x]\nExec=cendrel -x\n";
    write(installed, contents);
    const std::string binary = (home.path() + "/usr/bin/cendrel").toStdString();
    EXPECT_EQ(installedDesktopEntry(binary), installed.toStdString());
    EXPECT_EQ(installedDesktopEntry((home.path() + "/usr/bin/other").toStdString()), "");
    EXPECT_EQ(installedDesktopEntry((home.path() + "/usr/build/cendrel").toStdString()), "");
    XdgAutostart autostart(entryPath.toStdString(), binary, installed.toStdString());
    ASSERT_EQ(autostart.enable(), std::nullopt);
    EXPECT_EQ(entry(), contents);
    EXPECT_TRUE(autostart.isEnabled());
    ASSERT_EQ(autostart.disable(), std::nullopt);
    EXPECT_FALSE(QFile::exists(entryPath));
    QFile::remove(installed);
    EXPECT_NE(autostart.enable(), std::nullopt);
    EXPECT_FALSE(QFile::exists(entryPath));
}

MenuEntry checkEntry(bool checked)
{
    MenuEntry entry = MenuEntry::makeAction("Launch at Login", [] {});
    entry.checkable = true;
    entry.checked = checked;
    return entry;
}

TEST(TrayStatusBarTest, CheckMarksFollowEachRebuildAndSetCheckedReachesTheCurrentEntry)
{
    auto item = TrayStatusBar().makeStatusItem({});
    QMenu& menu = static_cast<TrayStatusItem&>(*item).menuForTesting();
    const auto marks = [&] {
        std::string text;
        for (const QAction* action : menu.actions())
            text += action->isCheckable() ? (action->isChecked() ? 'X' : 'o') : '-';
        return text;
    };
    item->setMenu({MenuEntry::makeInformation("Idle"), MenuEntry::makeSeparator(), checkEntry(true)});
    EXPECT_EQ(marks(), "--X");
    item->setMenu({MenuEntry::makeInformation("Idle"), MenuEntry::makeSeparator(), checkEntry(false)});
    EXPECT_EQ(marks(), "--o");
    item->setChecked(2, true);
    item->setChecked(3, false); // past the end: nothing
    EXPECT_EQ(marks(), "--X");
}

TEST(TrayStatusBarTest, OnlyALeftClickOpensOurMenuTheHostOpensItsOwnForTheOthers)
{
    using Reason = QSystemTrayIcon::ActivationReason;
    for (const auto& [reason, opens] : {std::pair{Reason::Trigger, true},
                                        {Reason::Context, false},
                                        {Reason::DoubleClick, false},
                                        {Reason::Unknown, false}}) {
        auto item = TrayStatusBar().makeStatusItem({});
        auto& tray = static_cast<TrayStatusItem&>(*item);
        item->setMenu({MenuEntry::makeAction("Arm Now", [] {})});
        emit tray.trayForTesting().activated(reason);
        EXPECT_EQ(tray.menuForTesting().isVisible(), opens) << reason;
        tray.menuForTesting().hide();
    }
}

TEST(QtRecorderPanelTest, AModifierKeyOnItsOwnIsNoKeyPressThoughTheTablesPlaceIt)
{
    for (const auto& [key, evdev] : {std::pair{Qt::Key_Control, quint32(KEY_LEFTCTRL)},
                                     {Qt::Key_Alt, KEY_LEFTALT},
                                     {Qt::Key_AltGr, KEY_RIGHTALT},
                                     {Qt::Key_Meta, KEY_LEFTMETA},
                                     {Qt::Key_Super_L, KEY_LEFTMETA},
                                     {Qt::Key_Super_R, KEY_RIGHTMETA},
                                     {Qt::Key_CapsLock, KEY_CAPSLOCK},
                                     {Qt::Key_NumLock, KEY_NUMLOCK}}) {
        const QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, evdev + 8, 0, 0);
        EXPECT_EQ(keyPressFromEvent(event), std::nullopt) << evdev;
    }
}

TEST(QtRecorderPanelTest, ShownAgainAMinimisedOrHiddenPanelComesBack)
{
    QtRecorderPanel panel({"Set Lock Shortcut", "Press the new shortcut…", "hint"}, {});
    QWidget& window = panel.windowForTesting();
    panel.show();
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    panel.show();
    EXPECT_FALSE(window.isMinimized());
    window.hide();
    panel.show();
    EXPECT_TRUE(window.isVisible());
}

} // namespace
} // namespace cendrel
