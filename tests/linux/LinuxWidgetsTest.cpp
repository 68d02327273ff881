#include "LinuxPanels.h"
#include "LinuxRunLoop.h"
#include "LinuxStatusBar.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

class RecordingTarget final : public MenuTarget, public WindowDelegate {
public:
    void performAction(std::string_view action) override { actions.emplace_back(action); }
    void windowWillClose() override { actions.emplace_back("windowWillClose"); }
    std::vector<std::string> actions;
};

template <typename Widget> std::vector<Widget*> liveTopLevels()
{
    std::vector<Widget*> found;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* typed = qobject_cast<Widget*>(widget)) {
            found.push_back(typed);
        }
    }
    return found;
}

class LinuxStatusBarTest : public ::testing::Test {
protected:
    std::shared_ptr<LinuxRunLoop> runLoop = std::make_shared<LinuxRunLoop>(nullptr);
    LinuxStatusBar bar{runLoop};
    std::shared_ptr<RecordingTarget> target = std::make_shared<RecordingTarget>();

    // The menu the status item shows, built as the controller builds it.
    QMenu* attachMenu(const std::shared_ptr<StatusItem>& item)
    {
        auto menu = bar.newMenu();
        auto status = bar.newMenuItem("Idle", "", "");
        status->setEnabled(false);
        menu->addItem(status);
        menu->addItem(bar.separatorItem());
        auto arm = bar.newMenuItem("Arm Now", "toggleArm", "");
        arm->setTarget(target);
        menu->addItem(arm);
        login = bar.newMenuItem("Launch at Login", "toggleLaunchAtLogin", "");
        login->setTarget(target);
        login->setState(MenuItemState::on);
        menu->addItem(login);
        auto quit = bar.newMenuItem("Quit Cendrel", "quit", "q");
        quit->setTarget(target);
        menu->addItem(quit);
        item->setMenu(menu);
        for (QMenu* candidate : liveTopLevels<QMenu>()) {
            if (!candidate->actions().isEmpty() && candidate->actions().constLast()->text() == "Quit Cendrel") {
                return candidate;
            }
        }
        return nullptr;
    }
    std::shared_ptr<MenuItem> login;
};

TEST_F(LinuxStatusBarTest, MenuShowsTheEntriesInOrder)
{
    auto item = bar.statusItemWithLength(-1);
    QMenu* menu = attachMenu(item);
    ASSERT_NE(menu, nullptr);
    const auto actions = menu->actions();
    ASSERT_EQ(actions.size(), 5);
    EXPECT_EQ(actions[0]->text(), "Idle");
    EXPECT_FALSE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Arm Now");
    EXPECT_TRUE(actions[2]->isEnabled());
    EXPECT_FALSE(actions[2]->isChecked());
    EXPECT_TRUE(actions[3]->isChecked());
    login->setState(MenuItemState::off);
    EXPECT_FALSE(actions[3]->isChecked());
    EXPECT_EQ(actions[4]->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_TRUE(actions[2]->shortcut().isEmpty());
}

TEST_F(LinuxStatusBarTest, ChosenEntriesReachTheTargetBySelector)
{
    auto item = bar.statusItemWithLength(-1);
    QMenu* menu = attachMenu(item);
    ASSERT_NE(menu, nullptr);
    menu->actions()[2]->trigger();
    menu->actions()[4]->trigger();
    menu->actions()[0]->trigger(); // no action
    EXPECT_EQ(target->actions, (std::vector<std::string>{"toggleArm", "quit"}));
    // The target is held weakly: once it is gone, choosing does nothing.
    target.reset();
    menu->actions()[2]->trigger();
}

TEST_F(LinuxStatusBarTest, OpenMenuHoldsDefaultModeTimers)
{
    auto item = bar.statusItemWithLength(-1);
    QMenu* menu = attachMenu(item);
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    EXPECT_TRUE(runLoop->isTrackingMenu());
    // Rebuilt while open: still the same menu, still open.
    EXPECT_EQ(attachMenu(item), menu);
    EXPECT_TRUE(runLoop->isTrackingMenu());
    emit menu->aboutToHide();
    EXPECT_FALSE(runLoop->isTrackingMenu());
    // An item dropped while its menu is open must not leave the run loop tracking.
    emit menu->aboutToShow();
    item.reset();
    EXPECT_FALSE(runLoop->isTrackingMenu());
}

TEST_F(LinuxStatusBarTest, RebuiltMenuShowsOnlyTheNewEntries)
{
    auto item = bar.statusItemWithLength(-1);
    QMenu* menu = attachMenu(item);
    ASSERT_NE(menu, nullptr);
    QPointer<QAction> oldArm = menu->actions()[2];
    EXPECT_EQ(attachMenu(item), menu);
    EXPECT_EQ(menu->actions().size(), 5);
    EXPECT_FALSE(menu->actions().contains(oldArm.data()));
    // Still alive: the action that caused the rebuild may be running.
    EXPECT_TRUE(oldArm);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(oldArm);
    menu->actions()[2]->trigger();
    EXPECT_EQ(target->actions, std::vector<std::string>{"toggleArm"});
}

TEST_F(LinuxStatusBarTest, OnlyTheThreeStateSymbolsAreDrawn)
{
    for (const char* name : {"lock.fill", "lock.open.fill", "eye.fill"}) {
        EXPECT_NE(bar.imageWithSystemSymbolName(name, "Cendrel"), nullptr) << name;
        EXPECT_FALSE(drawnSymbolIcon(name).isNull()) << name;
    }
    EXPECT_EQ(bar.imageWithSystemSymbolName("no.such.symbol", "Cendrel"), nullptr);
    // The three states look different.
    const QImage closed = drawnSymbolIcon("lock.fill").pixmap(22).toImage();
    const QImage open = drawnSymbolIcon("lock.open.fill").pixmap(22).toImage();
    const QImage eye = drawnSymbolIcon("eye.fill").pixmap(22).toImage();
    EXPECT_NE(closed, open);
    EXPECT_NE(closed, eye);
}

TEST_F(LinuxStatusBarTest, ButtonKeepsTheImageItWasGiven)
{
    auto item = bar.statusItemWithLength(-1);
    auto button = item->button();
    ASSERT_NE(button, nullptr);
    auto image = bar.imageWithSystemSymbolName("eye.fill", "Cendrel");
    button->setImage(image);
    EXPECT_EQ(button->image(), image);
    button->setImage(nullptr);
    EXPECT_EQ(button->image(), nullptr);
}

TEST(LinuxPanelsWidgetTest, RecorderPanelLaysOutLabelsFromTheBottomUp)
{
    LinuxPanels panels;
    auto target = std::make_shared<RecordingTarget>();
    const auto before = QApplication::topLevelWidgets();
    auto panel = panels.newPanel({0, 0, 360, 150}, 0x83, 2, false);
    panel->setTitle("Set Lock Shortcut");
    panel->setLevel(3);
    const Rect bounds = panel->contentView()->bounds();
    EXPECT_EQ(bounds, (Rect{0, 0, 360, 150}));
    auto container = panels.newView(bounds);
    auto prompt = panels.labelWithString("Press the new shortcut…");
    prompt->setFont({17, true, FontWeight::semibold});
    prompt->setAlignment(TextAlignment::center);
    prompt->setFrame({20, 86, 320, 28});
    auto hint = panels.labelWithString("hint");
    hint->setFrame({20, 18, 320, 18});
    container->addSubview(prompt);
    container->addSubview(hint);
    panel->setContentView(container);
    panel->setDelegate(target);

    QWidget* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!before.contains(widget) && widget->windowTitle() == "Set Lock Shortcut") {
            window = widget;
        }
    }
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->size(), QSize(360, 150));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    std::vector<QLabel*> labels;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        labels.push_back(label);
    }
    ASSERT_EQ(labels.size(), 2u);
    QLabel* promptLabel = labels[0]->text() == "hint" ? labels[1] : labels[0];
    QLabel* hintLabel = labels[0]->text() == "hint" ? labels[0] : labels[1];
    EXPECT_EQ(promptLabel->mapTo(window, QPoint(0, 0)), QPoint(20, 36));
    EXPECT_EQ(promptLabel->size(), QSize(320, 28));
    EXPECT_EQ(hintLabel->mapTo(window, QPoint(0, 0)), QPoint(20, 114));
    EXPECT_EQ(promptLabel->font().pixelSize(), 17);
    EXPECT_EQ(promptLabel->font().weight(), QFont::DemiBold);
    EXPECT_TRUE(promptLabel->alignment().testFlag(Qt::AlignHCenter));

    // A line too long for its frame is set smaller, never cut.
    prompt->setStringValue("Use at least one modifier (Ctrl Alt Shift Super). Esc to cancel.");
    EXPECT_LT(promptLabel->font().pixelSize(), 17);
    EXPECT_LE(QFontMetrics(promptLabel->font()).horizontalAdvance(promptLabel->text()), 320);
    prompt->setStringValue("Press the new shortcut…");
    EXPECT_EQ(promptLabel->font().pixelSize(), 17);

    panel->makeKeyAndOrderFront();
    EXPECT_TRUE(window->isVisible());
    panel->orderOut();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(target->actions.empty()) << "hiding is not closing";
    panel->makeKeyAndOrderFront();
    window->close();
    EXPECT_EQ(target->actions, std::vector<std::string>{"windowWillClose"});
    EXPECT_FALSE(window->isVisible());
}

} // namespace
} // namespace cendrel
