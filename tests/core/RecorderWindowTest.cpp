#include "RecorderWindow.h"

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

using Strings = std::vector<std::string>;

constexpr std::uint64_t shiftFlag = 0x20000, commandFlag = 0x100000, capsLockFlag = 0x10000, functionFlag = 0x800000;

class RecorderWindowTest : public SimTest {
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        recorder = std::make_shared<RecorderWindow>();
    }

    void show(Shortcut current = Shortcut{})
    {
        recorder->show(current, [this](const Shortcut& shortcut) {
            captured.push_back(shortcut);
            visibleDuringCapture = panel()->isVisible();
            monitorsDuringCapture = runLoop().localMonitorCount();
        });
    }
    // True when the key press went past the recorder to the application.
    bool type(std::uint16_t keyCode, std::uint64_t flags = 0)
    {
        return runLoop().sendEventToApplication({EventType::keyDown, keyCode, flags});
    }
    std::shared_ptr<SimPanel> panel() { return sim().panels().lastPanel(); }
    SimLabel& label(std::size_t index)
    {
        auto* container = simViewState(panel()->contentView());
        return dynamic_cast<SimLabel&>(*container->subviews.at(index));
    }
    const std::string& prompt() { return label(0).text(); }

    std::shared_ptr<RecorderWindow> recorder;
    std::vector<Shortcut> captured;
    bool visibleDuringCapture = false;
    std::size_t monitorsDuringCapture = 0;
};

TEST_F(RecorderWindowTest, NothingIsBuiltUntilShown)
{
    EXPECT_EQ(sim().panels().panelCount(), 0u);
    EXPECT_EQ(runLoop().localMonitorCount(), 0u);
}

TEST_F(RecorderWindowTest, BuildsThePanelAsLaidOut)
{
    show();
    ASSERT_EQ(sim().panels().panelCount(), 1u);
    const SimPanel& p = *panel();
    EXPECT_EQ(p.contentRect(), (Rect{0, 0, 360, 150}));
    EXPECT_EQ(p.styleMask(), 131u);
    EXPECT_EQ(p.backing(), 2u);
    EXPECT_FALSE(p.defer());
    EXPECT_EQ(p.title(), "Set Lock Shortcut");
    EXPECT_EQ(p.level(), 3);
    EXPECT_TRUE(p.isFloatingPanel());
    EXPECT_FALSE(p.hidesOnDeactivate());
    EXPECT_EQ(p.delegate(), recorder);
    EXPECT_EQ(p.calls(),
              (Strings{"setTitle Set Lock Shortcut", "setLevel 3", "setFloatingPanel 1", "setHidesOnDeactivate 0",
                       "setContentView", "setDelegate", "center", "makeKeyAndOrderFront"}));

    auto* container = simViewState(panel()->contentView());
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->frame, (Rect{0, 0, 360, 150}));
    EXPECT_EQ(container->autoresizingMask, 18u);
    ASSERT_EQ(container->subviews.size(), 3u);

    struct Expected {
        std::string text;
        Font font;
        LabelColor color;
        Rect frame;
        std::uint64_t mask;
    };
    const Expected expected[] = {
        {"Press the new shortcut…", Font{17, true, FontWeight::semibold}, LabelColor::label, {20, 86, 320, 28}, 10},
        {"Current: ⌥⌘L", Font{13, false, FontWeight::regular}, LabelColor::secondary, {20, 56, 320, 20}, 10},
        {"Use at least one modifier (⌘ ⌥ ⌃ ⇧). Esc to cancel.",
         Font{11, false, FontWeight::regular},
         LabelColor::tertiary,
         {20, 18, 320, 18},
         34},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        SimLabel& l = label(i);
        EXPECT_EQ(l.text(), expected[i].text) << i;
        EXPECT_EQ(l.font(), expected[i].font) << i;
        EXPECT_EQ(l.textColor(), expected[i].color) << i;
        EXPECT_EQ(l.alignment(), TextAlignment::center) << i;
        EXPECT_EQ(l.frame, expected[i].frame) << i;
        EXPECT_EQ(l.autoresizingMask, expected[i].mask) << i;
    }
    EXPECT_TRUE(p.isVisible());
    EXPECT_TRUE(p.isKeyWindow());
    EXPECT_EQ(sim().application().activations(), std::vector<bool>{true});
    EXPECT_EQ(runLoop().localMonitorCount(), 1u);
}

TEST_F(RecorderWindowTest, LinuxTextsNameTheModifiers)
{
    sim().keyboardLayout().setNotation(ShortcutNotation::names);
    show();
    EXPECT_EQ(label(1).text(), "Current: Alt+Super+L");
    EXPECT_EQ(label(2).text(), "Use at least one modifier (Ctrl Alt Shift Super). Esc to cancel.");
    type(12);
    EXPECT_EQ(prompt(), "Add a modifier (Ctrl Alt Shift Super)");
}

TEST_F(RecorderWindowTest, EscapeAloneCancels)
{
    show();
    EXPECT_FALSE(type(53));
    EXPECT_TRUE(captured.empty());
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(runLoop().localMonitorCount(), 0u);
    EXPECT_TRUE(runLoop().dispatchedEvents().empty());
}

struct KeyCase {
    const char* what;
    std::uint16_t keyCode;
    std::uint64_t flags;
    std::optional<Shortcut> capture;
};

class RecorderKeyTest : public RecorderWindowTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(RecorderKeyTest, CapturesOnlyWithAModifierAndConsumesEveryKey)
{
    const KeyCase& c = GetParam();
    show();
    EXPECT_FALSE(type(c.keyCode, c.flags)) << c.what;
    if (c.capture) {
        EXPECT_EQ(captured, std::vector<Shortcut>{*c.capture}) << c.what;
        EXPECT_FALSE(panel()->isVisible());
        EXPECT_EQ(runLoop().localMonitorCount(), 0u);
    } else {
        EXPECT_TRUE(captured.empty()) << c.what;
        EXPECT_EQ(prompt(), "Add a modifier (⌘ ⌥ ⌃ ⇧)") << c.what;
        EXPECT_TRUE(panel()->isVisible());
        EXPECT_EQ(runLoop().localMonitorCount(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, RecorderKeyTest,
                         testing::Values(KeyCase{"plain letter", 12, 0, std::nullopt},
                                         KeyCase{"Escape with Caps Lock", 53, capsLockFlag, std::nullopt},
                                         KeyCase{"function key alone", 122, functionFlag, std::nullopt},
                                         KeyCase{"letter with device-dependent bits only", 12, 0x0100, std::nullopt},
                                         KeyCase{"Shift+Escape", 53, shiftFlag, Shortcut{53, 512}},
                                         KeyCase{"Shift+letter", 0, shiftFlag, Shortcut{0, 512}},
                                         KeyCase{"Command+F1", 122, commandFlag | functionFlag, Shortcut{122, 256}},
                                         KeyCase{"same as current", 37, 0x180000, Shortcut{37, 2304}}));

TEST_F(RecorderWindowTest, EscapeWithDeviceDependentBitsStillCancels)
{
    show();
    EXPECT_FALSE(type(53, 0x0100));
    EXPECT_FALSE(panel()->isVisible());
}

TEST_F(RecorderWindowTest, CaptureHappensBeforeThePanelHidesAndTheMonitorGoes)
{
    show();
    type(12, 0x100000);
    EXPECT_TRUE(visibleDuringCapture);
    EXPECT_EQ(monitorsDuringCapture, 1u);
}

TEST_F(RecorderWindowTest, LetterThenCommandLetter)
{
    show();
    type(12);
    EXPECT_TRUE(captured.empty());
    type(12, commandFlag);
    EXPECT_EQ(captured, std::vector<Shortcut>{Shortcut(12, 256)});
    // The monitor is gone: later presses reach the application.
    EXPECT_TRUE(type(13, commandFlag));
    EXPECT_EQ(captured.size(), 1u);
}

TEST_F(RecorderWindowTest, SecondShowReplacesCallbackAndResetsTexts)
{
    show();
    type(12);
    ASSERT_EQ(prompt(), "Add a modifier (⌘ ⌥ ⌃ ⇧)");
    std::vector<Shortcut> second;
    recorder->show(Shortcut{0, 512}, [&](const Shortcut& s) { second.push_back(s); });
    EXPECT_EQ(prompt(), "Press the new shortcut…");
    EXPECT_EQ(label(1).text(), "Current: ⇧A");
    EXPECT_EQ(runLoop().localMonitorCount(), 1u);
    EXPECT_EQ(sim().panels().panelCount(), 1u);
    type(1, commandFlag);
    EXPECT_TRUE(captured.empty());
    EXPECT_EQ(second, std::vector<Shortcut>{Shortcut(1, 256)});
}

TEST_F(RecorderWindowTest, CloseButtonEndsRecordingAndPanelIsReused)
{
    show();
    type(12);
    ASSERT_TRUE(panel()->clickCloseButton());
    EXPECT_EQ(runLoop().localMonitorCount(), 0u);
    EXPECT_TRUE(type(12, commandFlag));
    EXPECT_TRUE(captured.empty());

    show(Shortcut{122, 256});
    EXPECT_EQ(sim().panels().panelCount(), 1u);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(prompt(), "Press the new shortcut…");
    EXPECT_EQ(label(1).text(), "Current: ⌘F1");
    EXPECT_EQ(panel()->centerCount(), 2u);
}

TEST_F(RecorderWindowTest, WithoutMonitorThePanelShowsButCapturesNothing)
{
    runLoop().setLocalMonitorInstallFails(true);
    show();
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_TRUE(type(12, commandFlag));
    EXPECT_TRUE(captured.empty());
    // Closing with no monitor is harmless.
    EXPECT_TRUE(panel()->clickCloseButton());
}

TEST_F(RecorderWindowTest, DestroyedRecorderPassesEventsThrough)
{
    show();
    recorder.reset();
    EXPECT_EQ(runLoop().localMonitorCount(), 1u);
    EXPECT_TRUE(type(12, commandFlag));
    EXPECT_TRUE(type(53));
    EXPECT_TRUE(captured.empty());
    ASSERT_EQ(runLoop().dispatchedEvents().size(), 2u);
    EXPECT_EQ(runLoop().dispatchedEvents()[0].keyCode, 12u);
    EXPECT_EQ(runLoop().dispatchedEvents()[0].modifierFlags, commandFlag);
}

} // namespace
} // namespace cendrel
