#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

using namespace std::chrono_literals;

// Records each action with whether the menu was still being tracked.
class RecordingTarget : public MenuTarget {
public:
    explicit RecordingTarget(SimRunLoop& runLoop) : loop(runLoop) {}
    void performAction(std::string_view action) override
    {
        actions.push_back(std::string(action) + (loop.isTrackingMenu() ? " (tracking)" : ""));
    }
    SimRunLoop& loop;
    std::vector<std::string> actions;
};

class SimStatusBarTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        target = std::make_shared<RecordingTarget>(runLoop());
        item = bar().statusItemWithLength(-1);
        auto menu = bar().newMenu();
        addEntry(*menu, "Status", "", "", false);
        menu->addItem(bar().separatorItem());
        addEntry(*menu, "Arm Now", "toggleArm", "", true);
        addEntry(*menu, "Quit", "quit", "q", true);
        item->setMenu(menu);
    }
    void addEntry(Menu& menu, const std::string& title, const std::string& action, const std::string& key, bool enabled)
    {
        auto entry = bar().newMenuItem(title, action, key);
        entry->setTarget(target);
        entry->setEnabled(enabled);
        menu.addItem(entry);
    }
    SimStatusBar& bar() { return sim().statusBar(); }

    std::shared_ptr<RecordingTarget> target;
    std::shared_ptr<StatusItem> item;
};

TEST_F(SimStatusBarTest, ChoosingFromAnOpenMenuEndsTrackingBeforeTheAction)
{
    ASSERT_TRUE(bar().openMenu());
    EXPECT_TRUE(runLoop().isTrackingMenu());
    EXPECT_TRUE(bar().chooseMenuItem("Arm Now"));
    EXPECT_FALSE(bar().isMenuOpen());
    EXPECT_EQ(target->actions, std::vector<std::string>{"toggleArm"});
}

TEST_F(SimStatusBarTest, OverdueDefaultModeTimerFiresAfterTheChosenAction)
{
    auto timer = runLoop().scheduledTimer(1s, false, [this] { target->actions.push_back("timer"); });
    bar().openMenu();
    runLoop().advance(2s);
    EXPECT_TRUE(target->actions.empty());
    bar().chooseMenuItem("Arm Now");
    EXPECT_EQ(target->actions, (std::vector<std::string>{"toggleArm", "timer"}));
}

TEST_F(SimStatusBarTest, EntriesThatCannotActDoNothing)
{
    bar().openMenu();
    EXPECT_FALSE(bar().chooseMenuItem("Status")) << "disabled";
    EXPECT_FALSE(bar().chooseMenuItem("No such entry"));
    EXPECT_FALSE(bar().chooseMenuItem("---"));
    EXPECT_TRUE(bar().isMenuOpen());
    target.reset();
    EXPECT_FALSE(bar().chooseMenuItem("Arm Now")) << "the target is gone";
    EXPECT_FALSE(bar().isMenuOpen());
}

TEST_F(SimStatusBarTest, KeyEquivalentActsOnlyWhileTheMenuIsOpen)
{
    EXPECT_FALSE(bar().pressKeyEquivalent("q"));
    bar().openMenu();
    EXPECT_FALSE(bar().pressKeyEquivalent("x"));
    EXPECT_TRUE(bar().pressKeyEquivalent("q"));
    EXPECT_EQ(target->actions, std::vector<std::string>{"quit"});
    EXPECT_FALSE(runLoop().isTrackingMenu());
}

TEST_F(SimStatusBarTest, OpenMenuStaysOnScreenWhenANewOneIsAttached)
{
    bar().openMenu();
    auto replacement = bar().newMenu();
    addEntry(*replacement, "Disarm", "toggleArm", "", true);
    item->setMenu(replacement);
    EXPECT_FALSE(bar().chooseMenuItem("Disarm"));
    EXPECT_TRUE(bar().chooseMenuItem("Arm Now"));
    EXPECT_TRUE(bar().chooseMenuItem("Disarm")) << "closed menus choose from the current one";
    EXPECT_EQ(bar().statusItem()->menuCount(), 2u);
}

TEST_F(SimStatusBarTest, SymbolImagesAndButtons)
{
    EXPECT_EQ(bar().imageWithSystemSymbolName("no.such.symbol", "Cendrel"), nullptr);
    auto button = item->button();
    ASSERT_NE(button, nullptr);
    button->setImage(bar().imageWithSystemSymbolName("eye.fill", "Cendrel"));
    button->image()->setTemplate(true);
    EXPECT_EQ(bar().shownSymbol(), "eye.fill");
    auto image = bar().statusItem()->simButton()->simImage();
    EXPECT_EQ(image->accessibilityDescription(), "Cendrel");
    EXPECT_TRUE(image->isTemplate());

    bar().setNextItemHasNoButton(true);
    EXPECT_EQ(bar().statusItemWithLength(-1)->button(), nullptr);
    EXPECT_NE(bar().statusItemWithLength(-1)->button(), nullptr) << "only the next item";
}

TEST_F(SimStatusBarTest, ItemStaysInTheBarWhileReferenced)
{
    EXPECT_EQ(bar().statusItems().size(), 1u);
    item.reset();
    EXPECT_EQ(bar().statusItem(), nullptr);
    EXPECT_FALSE(bar().openMenu());
}

} // namespace
} // namespace cendrel
