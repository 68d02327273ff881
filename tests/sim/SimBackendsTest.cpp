#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

class SimBackendsTest : public SimTest {};

TEST_F(SimBackendsTest, InstallMakesTheSimThePlatform)
{
    EXPECT_EQ(platform().runLoop.get(), &runLoop());
    EXPECT_EQ(platform().hotKeyEvents.get(), &sim().hotKeyEvents());
    EXPECT_EQ(platform().flavor, SystemFlavor::macOS);
    EXPECT_EQ(platform().screens->screenFrames(), std::vector<Rect>{SimScreens::defaultFrame});
    EXPECT_EQ(platform().screens->mainScreenFrame(), SimScreens::defaultFrame);
}

TEST_F(SimBackendsTest, LoginStatusCanChangeBetweenTwoReads)
{
    SimLoginItems& items = sim().loginItems();
    items.setStatus(2);
    items.queueStatuses({0, 1});
    EXPECT_EQ(items.status(), 0);
    EXPECT_EQ(items.status(), 1);
    EXPECT_EQ(items.status(), 2) << "back to the stored status";
}

TEST_F(SimBackendsTest, LoginRegistrationSucceedsOrFailsAsTold)
{
    SimLoginItems& items = sim().loginItems();
    EXPECT_EQ(items.registerMainApp(), std::nullopt);
    EXPECT_EQ(items.status(), loginItemStatusEnabled);
    items.failUnregister(LoginItemError{"Error Domain=SMAppServiceErrorDomain Code=1", "Operation not permitted"});
    auto error = items.unregisterMainApp();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription, "Operation not permitted");
    EXPECT_EQ(items.status(), loginItemStatusEnabled) << "a refused change leaves the status";
    items.failUnregister(std::nullopt);
    EXPECT_EQ(items.unregisterMainApp(), std::nullopt);
    EXPECT_EQ(items.status(), 0);
    EXPECT_EQ(items.calls(),
              (std::vector<std::string>{"register", "status", "unregister", "status", "unregister", "status"}));
}

TEST_F(SimBackendsTest, LoaderRecordsEveryStepInOrder)
{
    struct Case {
        bool library;
        bool function;
        std::vector<std::string> entries;
    };
    const std::vector<Case> cases{
        {true, true, {"open /lib 2", "lookup f", "call f", "close"}},
        {true, false, {"open /lib 2", "lookup f", "close"}},
        {false, true, {"open /lib 2"}},
    };
    for (const auto& c : cases) {
        SimLoader loader;
        loader.setLibraryPresent(c.library);
        loader.setFunctionPresent(c.function);
        // The same steps a lock takes; the loader decides how far they get.
        if (auto library = loader.open("/lib", loaderModeNow)) {
            if (auto function = loader.lookup(library, "f")) {
                EXPECT_TRUE(loader.call(function));
            }
            loader.close(library);
        }
        EXPECT_EQ(loader.entries(), c.entries);
        EXPECT_EQ(loader.openLibraryCount(), 0u);
    }
}

TEST_F(SimBackendsTest, LoaderRefusalsAndProcessStart)
{
    SimLoader& loader = sim().loader();
    loader.setCallRefused(true);
    auto library = loader.open("/lib", loaderModeNow);
    EXPECT_EQ(loader.openLibraryCount(), 1u);
    EXPECT_FALSE(loader.call(loader.lookup(library, "Lock")));
    EXPECT_TRUE(loader.startProcess("/usr/bin/pmset", {"displaysleepnow"}));
    loader.setProcessStartFails(true);
    EXPECT_FALSE(loader.startProcess("/bin/x", {"a", "b"}));
    EXPECT_EQ(loader.entries(), (std::vector<std::string>{"open /lib 2", "lookup Lock", "call Lock",
                                                          "start /usr/bin/pmset displaysleepnow", "start /bin/x a b"}));
}

class CountingDelegate : public ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override { ++launches; }
    int launches = 0;
};

TEST_F(SimBackendsTest, RunLaunchesOnceAndOnlyALiveDelegate)
{
    SimApplication& app = sim().application();
    auto delegate = std::make_shared<CountingDelegate>();
    app.setDelegate(delegate);
    app.run();
    app.run();
    EXPECT_EQ(delegate->launches, 1);
    EXPECT_TRUE(app.launched());

    SimApplication orphan;
    orphan.setDelegate(std::make_shared<CountingDelegate>());
    orphan.run();
    EXPECT_TRUE(orphan.launched());
    EXPECT_EQ(orphan.delegate(), nullptr);
}

TEST_F(SimBackendsTest, ModalAlertHookRunsWhileTheAlertIsUp)
{
    SimApplication& app = sim().application();
    std::vector<std::string> seen;
    app.onModalAlert = [&](const SimAlert& alert) {
        seen.push_back(alert.messageText);
        sim().loginItems().setStatus(3);
    };
    app.runModalAlert("Couldn't update Launch at Login", "Denied");
    EXPECT_EQ(seen, std::vector<std::string>{"Couldn't update Launch at Login"});
    EXPECT_EQ(app.alerts(), (std::vector<SimAlert>{{"Couldn't update Launch at Login", "Denied"}}));
    EXPECT_EQ(sim().loginItems().status(), 3);
}

class ClosingDelegate : public WindowDelegate {
public:
    explicit ClosingDelegate(SimPanel& closing) : panel(closing) {}
    void windowWillClose() override { visibleWhenCalled.push_back(panel.isVisible()); }
    SimPanel& panel;
    std::vector<bool> visibleWhenCalled;
};

TEST_F(SimBackendsTest, CloseButtonTellsTheDelegateThenHidesThePanel)
{
    auto panel = sim().panels().newPanel({0, 0, 360, 150}, 131, 2, false);
    auto& simPanel = *sim().panels().lastPanel();
    auto delegate = std::make_shared<ClosingDelegate>(simPanel);
    panel->setDelegate(delegate);
    EXPECT_FALSE(simPanel.clickCloseButton()) << "not on screen yet";
    panel->makeKeyAndOrderFront();
    EXPECT_TRUE(simPanel.isKeyWindow());
    EXPECT_TRUE(simPanel.clickCloseButton());
    EXPECT_EQ(delegate->visibleWhenCalled, std::vector<bool>{true});
    EXPECT_FALSE(simPanel.isVisible());
    EXPECT_FALSE(simPanel.isKeyWindow());

    panel->makeKeyAndOrderFront();
    delegate.reset();
    EXPECT_TRUE(simPanel.clickCloseButton()) << "a dead delegate is skipped";
    EXPECT_FALSE(simPanel.isVisible());
}

TEST_F(SimBackendsTest, PanelLabelsAreFoundDepthFirstInSubviewOrder)
{
    SimPanels& panels = sim().panels();
    auto panel = panels.newPanel({0, 0, 360, 150}, 131, 2, false);
    auto container = panels.newView({0, 0, 360, 150});
    auto inner = panels.newView({0, 0, 10, 10});
    inner->addSubview(panels.labelWithString("b"));
    container->addSubview(panels.labelWithString("a"));
    container->addSubview(inner);
    container->addSubview(panels.labelWithString("c"));
    panel->setContentView(container);
    std::vector<std::string> texts;
    for (const auto& label : panels.lastPanel()->labels())
        texts.push_back(label->text());
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "b", "c"}));
}

TEST_F(SimBackendsTest, KeyboardLayoutTranslatesLikeTheSystem)
{
    SimKeyboardLayout& layout = sim().keyboardLayout();
    struct Key {
        std::uint16_t code;
        std::optional<std::string> us;
        std::optional<std::string> german;
    };
    const std::vector<Key> keys{
        {37, "l", "l"},
        {6, "z", "y"},
        {16, "y", "z"},
        {27, "-", "ß"},
        {33, "[", "ü"},
        {29, "0", "0"},
        {76, "\x03", "\x03"},
        {122, "\x10", "\x10"},
        {105, "\x10", "\x10"},
        {36, "\r", "\r"},
        {200, std::nullopt, std::nullopt},
    };
    for (const auto& key : keys)
        EXPECT_EQ(layout.characterForKey(key.code), key.us) << key.code;
    layout.useLayout(SimKeyboardLayout::germanLayout());
    for (const auto& key : keys)
        EXPECT_EQ(layout.characterForKey(key.code), key.german) << key.code;
    layout.setUnavailable(true);
    EXPECT_EQ(layout.characterForKey(37), std::nullopt);
    EXPECT_EQ(layout.translationCount(), 2 * keys.size() + 1);
    EXPECT_EQ(layout.notation(), ShortcutNotation::glyphs);
}

} // namespace
} // namespace cendrel
