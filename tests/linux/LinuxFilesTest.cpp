#include "LinuxLoginItems.h"
#include "LinuxUserDefaults.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace cendrel {
namespace {

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

TEST(LinuxAutostartTest, OwnEntryIsEnabledWhateverThePathHoldsToQuote)
{
    for (const std::string path :
         {"/usr/bin/cendrel", "/home/a b/bin/cendrel", "/opt/\"odd\"/$x/`y`/c\\d/cendrel", "/srv/100%/cendrel"}) {
        EXPECT_TRUE(autostartEntryIsEnabled(autostartEntry(path), path)) << path << "\n" << autostartEntry(path);
    }
}

TEST(LinuxAutostartTest, EntryRules)
{
    const std::string self = "/usr/local/bin/cendrel";
    struct Row {
        const char* what;
        std::string contents;
        bool enabled;
    };
    const Row rows[] = {
        {"plain unquoted Exec", "[Desktop Entry]\nType=Application\nExec=/usr/local/bin/cendrel\n", true},
        {"Exec with arguments", "[Desktop Entry]\nExec=/usr/local/bin/cendrel --x\n", true},
        {"another program", "[Desktop Entry]\nExec=/usr/bin/cendrel\n", false},
        {"a program whose name only starts like ours", "[Desktop Entry]\nExec=/usr/local/bin/cendrel2\n", false},
        {"hidden", "[Desktop Entry]\nExec=/usr/local/bin/cendrel\nHidden=true\n", false},
        {"not hidden", "[Desktop Entry]\nExec=/usr/local/bin/cendrel\nHidden=false\n", true},
        {"turned off for GNOME", "[Desktop Entry]\nExec=/usr/local/bin/cendrel\nX-GNOME-Autostart-enabled=false\n",
         false},
        {"Exec in another group", "[Desktop Entry]\nName=x\n[Desktop Action a]\nExec=/usr/local/bin/cendrel\n", false},
        {"Hidden in another group", "[Desktop Entry]\nExec=/usr/local/bin/cendrel\n[Other]\nHidden=true\n", true},
        {"no Exec", "[Desktop Entry]\nType=Application\n", false},
        {"empty file", "", false},
        {"garbage", "\x01\x02 not an entry\n", false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(autostartEntryIsEnabled(row.contents, self), row.enabled) << row.what;
    }
}

class LinuxLoginItemsTest : public ::testing::Test {
protected:
    QTemporaryDir home;
    QString entryPath = home.path() + "/config/autostart/cendrel.desktop";
    LinuxLoginItems items{entryPath.toStdString(), "/opt/cendrel/bin/cendrel"};
};

TEST_F(LinuxLoginItemsTest, RegisterWritesTheEntryAndUnregisterRemovesIt)
{
    EXPECT_EQ(items.status(), 0);
    EXPECT_FALSE(items.registerMainApp().has_value());
    EXPECT_EQ(items.status(), loginItemStatusEnabled);
    EXPECT_TRUE(readAll(entryPath).contains("Exec=\"/opt/cendrel/bin/cendrel\"\n"));
    EXPECT_FALSE(items.unregisterMainApp().has_value());
    EXPECT_FALSE(QFile::exists(entryPath));
    EXPECT_EQ(items.status(), 0);
    // Removing what is not there is no failure.
    EXPECT_FALSE(items.unregisterMainApp().has_value());
}

TEST_F(LinuxLoginItemsTest, StatusIsReadAfreshFromTheFile)
{
    ASSERT_FALSE(items.registerMainApp().has_value());
    writeAll(entryPath, "[Desktop Entry]\nExec=/opt/cendrel/bin/cendrel\nHidden=true\n");
    EXPECT_EQ(items.status(), 0);
    // Registering again replaces the hidden entry with an enabled one.
    EXPECT_FALSE(items.registerMainApp().has_value());
    EXPECT_EQ(items.status(), loginItemStatusEnabled);
}

TEST_F(LinuxLoginItemsTest, UnwritableDirectoryIsAReadableError)
{
    // The autostart "directory" is a plain file, so nothing can go in it.
    writeAll(home.path() + "/config/autostart", "not a directory");
    const auto error = items.registerMainApp();
    ASSERT_TRUE(error.has_value());
    EXPECT_NE(error->description.find("autostart"), std::string::npos) << error->description;
    EXPECT_FALSE(error->localizedDescription.empty());
    EXPECT_EQ(items.status(), 0);
}

class LinuxUserDefaultsTest : public ::testing::Test {
protected:
    QTemporaryDir config;
    QString path = config.path() + "/Cendrel/Cendrel.conf";
};

TEST_F(LinuxUserDefaultsTest, StoredIntegersSurviveARestart)
{
    {
        LinuxUserDefaults defaults(path.toStdString());
        EXPECT_FALSE(defaults.hasObject("shortcut.keyCode"));
        EXPECT_EQ(defaults.integer("shortcut.keyCode"), 0);
        defaults.setInteger(0, "shortcut.keyCode");
        defaults.setInteger(4294967295, "shortcut.carbonModifiers");
    }
    LinuxUserDefaults reopened(path.toStdString());
    EXPECT_TRUE(reopened.hasObject("shortcut.keyCode"));
    EXPECT_EQ(reopened.integer("shortcut.keyCode"), 0);
    EXPECT_EQ(reopened.integer("shortcut.carbonModifiers"), 4294967295);
}

TEST_F(LinuxUserDefaultsTest, WrittenAtOnceInIniForm)
{
    LinuxUserDefaults defaults(path.toStdString());
    defaults.setInteger(12, "shortcut.keyCode");
    const QByteArray text = readAll(path);
    EXPECT_TRUE(text.contains("shortcut.keyCode=12")) << text.toStdString();
}

TEST_F(LinuxUserDefaultsTest, EntriesThatAreNotIntegersReadAsAbsent)
{
    writeAll(path, "[General]\nshortcut.keyCode=twelve\nshortcut.carbonModifiers=256\n");
    LinuxUserDefaults defaults(path.toStdString());
    EXPECT_FALSE(defaults.hasObject("shortcut.keyCode"));
    EXPECT_TRUE(defaults.hasObject("shortcut.carbonModifiers"));
    EXPECT_EQ(defaults.integer("shortcut.carbonModifiers"), 256);
}

TEST_F(LinuxUserDefaultsTest, CorruptFileIsLeftUntouchedUntilSomethingIsStored)
{
    const QByteArray garbage("\x89PNG\r\n\x1a\n\x00\x00[[[=\xff\xfe shortcut.keyCode=5\n", 36);
    writeAll(path, garbage);
    {
        LinuxUserDefaults defaults(path.toStdString());
        (void)defaults.hasObject("shortcut.keyCode");
        (void)defaults.integer("shortcut.carbonModifiers");
    }
    EXPECT_EQ(readAll(path), garbage);
    LinuxUserDefaults defaults(path.toStdString());
    defaults.setInteger(37, "shortcut.keyCode");
    defaults.setInteger(2304, "shortcut.carbonModifiers");
    LinuxUserDefaults reopened(path.toStdString());
    EXPECT_EQ(reopened.integer("shortcut.keyCode"), 37);
    EXPECT_EQ(reopened.integer("shortcut.carbonModifiers"), 2304);
}

TEST(LinuxPreferencesPathTest, FollowsXdgConfigHome)
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/xdg-test");
    EXPECT_EQ(preferencesFilePath(), "/tmp/xdg-test/Cendrel/Cendrel.conf");
    EXPECT_EQ(autostartFilePath(), "/tmp/xdg-test/autostart/cendrel.desktop");
    // A relative value is ignored, as the base directory rules ask.
    qputenv("XDG_CONFIG_HOME", "relative/dir");
    EXPECT_EQ(preferencesFilePath(), QDir::homePath().toStdString() + "/.config/Cendrel/Cendrel.conf");
    if (saved.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", saved);
    }
}

} // namespace
} // namespace cendrel
