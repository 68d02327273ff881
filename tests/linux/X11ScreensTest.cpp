// The screens in global coordinates, y upwards from the primary screen's
// lower-left corner, with X's y downwards from the root window's top-left.
// Run on Qt's offscreen platform given three screens side by side.
#include "x11/X11Screens.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

namespace cendrel {

namespace {

TEST(X11ScreensTest, EveryScreenIsListedPrimaryFirstWithYFlipped)
{
    // main (0, 56) 1280×1024 is primary; its bottom edge, y = 1080 in X, is y = 0.
    X11Screens screens;
    EXPECT_EQ(screens.screenFrames(),
              (std::vector<Rect>{{0, 0, 1280, 1024}, {1280, 0, 1920, 1080}, {3200, 380, 800, 600}}));
    EXPECT_EQ(screens.mainScreenFrame(), (Rect{0, 0, 1280, 1024}));
}

struct FlipCase {
    Rect xPrimary;
    Point x;
    Point global;
};

TEST(X11ScreensTest, PointsFlipAboutThePrimaryScreensBottomEdge)
{
    const Rect offset{1920, 40, 1280, 1024}; // primary right of another screen, 40 down
    for (const auto& [primary, x, global] : {
             FlipCase{{0, 0, 1280, 800}, {0, 0}, {0, 800}},
             FlipCase{{0, 0, 1280, 800}, {100, 700}, {100, 100}},
             FlipCase{offset, {1920, 1064}, {0, 0}},
             FlipCase{offset, {0, 0}, {-1920, 1064}},
             FlipCase{offset, {3300, 1100}, {1380, -36}},
         }) {
        EXPECT_EQ(globalPointFromX(x, primary), global) << x.x << "," << x.y;
    }
    // A rectangle's lower-left corner is where its X bottom edge lands.
    EXPECT_EQ(globalRectFromX({0, 56, 1920, 1080}, offset), (Rect{-1920, -72, 1920, 1080}));
    EXPECT_EQ(globalRectFromX(offset, offset), (Rect{0, 0, 1280, 1024}));
}

} // namespace
} // namespace cendrel

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" CENDREL_THREE_SCREENS);
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
