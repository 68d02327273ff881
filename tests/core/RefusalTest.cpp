// A guard that cannot see input does not arm, and says why wherever the
// owner looks; what it cannot see is told in every state.
#include "Fixture.h"

#include <functional>
#include <string>
#include <vector>

namespace cendrel {
namespace {

const std::string why = "a program is keeping the screen awake, so input cannot be seen";
const std::string limited = " (any pointer movement locks)";

struct ArmingPath {
    const char* name;
    std::function<void(SimPlatform&)> arm;
};

class RefusalTest : public ControllerTest, public ::testing::WithParamInterface<ArmingPath> {
protected:
    void arm() { GetParam().arm(sim); }
};

TEST_P(RefusalTest, EveryWayToArmRefusesAndSaysWhyUntilInputCanBeSeen)
{
    sim.watchLimitation = "any pointer movement locks";
    launch();
    sim.inputUnseen = why;
    arm();
    EXPECT_EQ(shown(), std::tuple(StatusIcon::idle, "Idle — cannot arm: " + why + limited, "Arm Now"));
    EXPECT_EQ(sim.item.toolTip, "Cendrel cannot arm: " + why + limited);
    EXPECT_EQ(sim.log, (std::vector<std::string>{"Cendrel: cannot arm: " + why}));
    ASSERT_EQ(sim.notifications.size(), 1u);
    EXPECT_EQ(firstNotice(),
              std::tuple(NoticeSubject::arming, false, "Cendrel cannot arm", "Cendrel cannot arm: " + why));
    advance(3.0);
    EXPECT_EQ(std::tuple(sim.activities, sim.watches, locks()), std::tuple(0, 0, 0u)) << "no grace period ran";

    sim.inputUnseen.clear();
    arm();
    EXPECT_EQ(sim.item.icon, StatusIcon::arming);
    EXPECT_EQ(statusLine(), "Arming… take your hand off the trackpad (any pointer movement locks)");
    advance(2.0);
    EXPECT_EQ(statusLine(), "● Armed — any input will lock (any pointer movement locks)");
    EXPECT_EQ(sim.item.toolTip, "Cendrel: armed (any pointer movement locks)");
    pressDefault();
    EXPECT_EQ(statusLine(), "Idle — press ⌥⌘L to arm (any pointer movement locks)") << "the refusal is over";
    EXPECT_EQ(sim.item.toolTip, "Cendrel: idle, ⌥⌘L arms (any pointer movement locks)");
    EXPECT_EQ(sim.notifications.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Paths, RefusalTest,
                         ::testing::Values(ArmingPath{"HotKey",
                                                      [](SimPlatform& sim) {
                                                          sim.pressHotKey(37, {Modifier::command, Modifier::option});
                                                          sim.runLoop().runPending();
                                                      }},
                                           ArmingPath{"Menu", [](SimPlatform& sim) { sim.choose("Arm Now"); }},
                                           ArmingPath{"Request",
                                                      [](SimPlatform& sim) { sim.sendRequest(Request::arm); }}),
                         [](const auto& path) { return std::string(path.param.name); });

} // namespace
} // namespace cendrel
