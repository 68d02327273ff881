#include "LinuxPanels.h"
#include "LinuxRunLoop.h"
#include "LinuxScreens.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <vector>

namespace cendrel {
namespace {

// Primary 1440x900 at the X origin; a second 1920x1080 screen to its right,
// top edges aligned, as RandR lays them out.
constexpr Rect primary{0, 0, 1440, 900};

TEST(LinuxScreensTest, FramesCountFromThePrimaryScreensLowerLeftCorner)
{
    EXPECT_EQ(globalRectFromX(primary, primary), (Rect{0, 0, 1440, 900}));
    // Taller than the primary and top-aligned: it reaches 180 points below.
    EXPECT_EQ(globalRectFromX({1440, 0, 1920, 1080}, primary), (Rect{1440, -180, 1920, 1080}));
    // A screen above the primary one lies at positive y.
    EXPECT_EQ(globalRectFromX({0, -768, 1024, 768}, {0, 0, 1440, 900}), (Rect{0, 900, 1024, 768}));
    // A primary screen that is not at the X origin still starts at (0, 0).
    EXPECT_EQ(globalRectFromX({1920, 100, 1280, 1024}, {1920, 100, 1280, 1024}), (Rect{0, 0, 1280, 1024}));
    EXPECT_EQ(globalRectFromX({0, 0, 1920, 1080}, {1920, 100, 1280, 1024}), (Rect{-1920, 44, 1920, 1080}));
}

TEST(LinuxScreensTest, PointsFlipAroundThePrimaryScreensBottom)
{
    EXPECT_EQ(globalPointFromX({0, 0}, primary), (Point{0, 900}));
    EXPECT_EQ(globalPointFromX({0, 900}, primary), (Point{0, 0}));
    EXPECT_EQ(globalPointFromX({2000, 500}, primary), (Point{2000, 400}));
    const Rect offset{1920, 100, 1280, 1024};
    for (const Point point : {Point{0, 0}, Point{2000, 700}, Point{-5.5, 3.25}}) {
        EXPECT_EQ(xPointFromGlobal(globalPointFromX(point, offset), offset), point);
    }
}

TEST(LinuxPanelsTest, FramesFlipWithinTheirParent)
{
    // The recorder's three labels in its 150-point-high container.
    EXPECT_EQ(qtFrameFromFlipped({20, 86, 320, 28}, 150), (Rect{20, 36, 320, 28}));
    EXPECT_EQ(qtFrameFromFlipped({20, 56, 320, 20}, 150), (Rect{20, 74, 320, 20}));
    EXPECT_EQ(qtFrameFromFlipped({20, 18, 320, 18}, 150), (Rect{20, 114, 320, 18}));
    EXPECT_EQ(qtFrameFromFlipped({0, 0, 360, 150}, 150), (Rect{0, 0, 360, 150}));
}

TEST(LinuxRawInputTest, ButtonsAndKeysBecomeAppKitEvents)
{
    using Kind = RawInput::Kind;
    struct Row {
        Kind kind;
        std::uint32_t detail;
        std::optional<EventType> type;
    };
    const Row rows[] = {
        {Kind::buttonPress, 1, EventType::leftMouseDown},
        {Kind::buttonPress, 2, EventType::otherMouseDown},
        {Kind::buttonPress, 3, EventType::rightMouseDown},
        {Kind::buttonPress, 4, EventType::scrollWheel},
        {Kind::buttonPress, 5, EventType::scrollWheel},
        {Kind::buttonPress, 6, EventType::scrollWheel},
        {Kind::buttonPress, 7, EventType::scrollWheel},
        {Kind::buttonPress, 8, EventType::otherMouseDown},
        {Kind::buttonPress, 9, EventType::otherMouseDown},
        {Kind::buttonRelease, 1, EventType::leftMouseUp},
        {Kind::buttonRelease, 3, EventType::rightMouseUp},
        {Kind::buttonRelease, 2, EventType::otherMouseUp},
        {Kind::buttonRelease, 4, std::nullopt},
        {Kind::buttonRelease, 7, std::nullopt},
        {Kind::keyPress, 46, EventType::keyDown},
        {Kind::keyRelease, 46, EventType::keyUp},
    };
    for (const auto& row : rows) {
        const auto event = eventFromRawInput({row.kind, row.detail});
        ASSERT_EQ(event.has_value(), row.type.has_value()) << row.detail;
        if (event) {
            EXPECT_EQ(event->type, *row.type) << row.detail;
        }
    }
    // The armed watch's mask holds exactly the press rows above.
    constexpr std::uint64_t watched = 0x240040A;
    EXPECT_NE(watched & eventMask(eventFromRawInput({Kind::buttonPress, 5})->type), 0u);
    EXPECT_EQ(watched & eventMask(eventFromRawInput({Kind::buttonRelease, 1})->type), 0u);
    EXPECT_EQ(watched & eventMask(eventFromRawInput({Kind::keyRelease, 46})->type), 0u);
}

TEST(LinuxRawInputTest, KeyPressesCarryTheMacKeyCode)
{
    EXPECT_EQ(eventFromRawInput({RawInput::Kind::keyPress, 46})->keyCode, 37); // L
    // A key off the tables still is a key press.
    const auto unknown = eventFromRawInput({RawInput::Kind::keyPress, 255});
    ASSERT_TRUE(unknown.has_value());
    EXPECT_EQ(unknown->type, EventType::keyDown);
}

// Runs what is due now, without waiting for anything that is not.
void runDue()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

class LinuxRunLoopTest : public ::testing::Test {
protected:
    std::shared_ptr<LinuxRunLoop> runLoop = std::make_shared<LinuxRunLoop>(nullptr);
    std::vector<std::string> fired;
};

TEST_F(LinuxRunLoopTest, DefaultModeTimerWaitsForTheMenuToClose)
{
    runLoop->beginMenuTracking();
    auto timer = runLoop->scheduledTimer(Seconds(0), false, [this] { fired.push_back("grace"); });
    runDue();
    EXPECT_TRUE(fired.empty());
    runLoop->endMenuTracking();
    runDue();
    EXPECT_EQ(fired, std::vector<std::string>{"grace"});
    runDue();
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(LinuxRunLoopTest, CommonModesTimerKeepsFiringWhileTheMenuIsOpen)
{
    runLoop->beginMenuTracking();
    auto poll = runLoop->scheduledTimer(Seconds(0), true, [this] { fired.push_back("poll"); });
    runLoop->addTimerForCommonModes(poll);
    runDue();
    EXPECT_GE(fired.size(), 2u);
    poll->invalidate();
    runLoop->endMenuTracking();
}

TEST_F(LinuxRunLoopTest, TimerInvalidatedWhileWaitingNeverFires)
{
    runLoop->beginMenuTracking();
    auto timer = runLoop->scheduledTimer(Seconds(0), false, [this] { fired.push_back("grace"); });
    runDue();
    timer->invalidate();
    runLoop->endMenuTracking();
    runDue();
    EXPECT_TRUE(fired.empty());
}

TEST_F(LinuxRunLoopTest, ReleasedTimerNeverFires)
{
    auto timer = runLoop->scheduledTimer(Seconds(0), false, [this] { fired.push_back("grace"); });
    timer.reset();
    runDue();
    EXPECT_TRUE(fired.empty());
}

TEST_F(LinuxRunLoopTest, WaitingTimersFireInTheOrderTheyCameDue)
{
    runLoop->beginMenuTracking();
    auto first = runLoop->scheduledTimer(Seconds(0), false, [this] { fired.push_back("first"); });
    runDue();
    auto second = runLoop->scheduledTimer(Seconds(0), false, [this] { fired.push_back("second"); });
    runDue();
    runLoop->endMenuTracking();
    runDue();
    EXPECT_EQ(fired, (std::vector<std::string>{"first", "second"}));
}

TEST_F(LinuxRunLoopTest, NestedMenusHoldTimersUntilTheLastCloses)
{
    runLoop->beginMenuTracking();
    runLoop->beginMenuTracking();
    auto timer = runLoop->scheduledTimer(Seconds(0), false, [this] { fired.push_back("grace"); });
    runDue();
    runLoop->endMenuTracking();
    runDue();
    EXPECT_TRUE(fired.empty());
    runLoop->endMenuTracking();
    runDue();
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(LinuxRunLoopTest, TimerMayReleaseItselfFromItsBlock)
{
    std::shared_ptr<Timer> timer;
    timer = runLoop->scheduledTimer(Seconds(0), true, [&] {
        fired.push_back("tick");
        timer.reset();
    });
    runDue();
    EXPECT_EQ(fired.size(), 1u);
}

TEST_F(LinuxRunLoopTest, PostedBlocksRunLaterInPostingOrder)
{
    runLoop->postToMainQueue([this] { fired.push_back("a"); });
    runLoop->postToMainQueue([this] { fired.push_back("b"); });
    EXPECT_TRUE(fired.empty());
    runDue();
    EXPECT_EQ(fired, (std::vector<std::string>{"a", "b"}));
}

TEST_F(LinuxRunLoopTest, LocalMonitorConsumesWhatItDoesNotReturn)
{
    Event seen;
    auto monitor =
        runLoop->addLocalMonitor(eventMask(EventType::keyDown), [&](const Event& event) -> std::optional<Event> {
            seen = event;
            return event.keyCode == 53 ? std::nullopt : std::optional<Event>(event);
        });
    EXPECT_TRUE(runLoop->deliverLocalKeyDown({EventType::keyDown, 53, 0}));
    EXPECT_EQ(seen.keyCode, 53);
    EXPECT_FALSE(runLoop->deliverLocalKeyDown({EventType::keyDown, 37, 0x100000}));
    runLoop->removeMonitor(monitor);
    seen = {};
    EXPECT_FALSE(runLoop->deliverLocalKeyDown({EventType::keyDown, 53, 0}));
    EXPECT_EQ(seen.keyCode, 0);
}

TEST_F(LinuxRunLoopTest, NoGlobalMonitorWithoutAnXConnection)
{
    EXPECT_EQ(runLoop->addGlobalMonitor(0x240040A, [](const Event&) {}), nullptr);
}

} // namespace
} // namespace cendrel
