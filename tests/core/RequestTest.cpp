// Requests from another start of the program (`cendrel --toggle`, `--arm`,
// `--disarm`) reaching the running controller.
#include "Fixture.h"

namespace cendrel {
namespace {

enum class Start { idle, arming, armed };

struct RequestCase {
    Start start;
    Request request;
    StatusIcon after;
    // One second later: a grace period that was running has ended, a new
    // one has not.
    StatusIcon later;
};

class RequestTest : public ControllerTest, public ::testing::WithParamInterface<RequestCase> {};

TEST_P(RequestTest, FollowsTheToggleRuleAndNeverLocks)
{
    const RequestCase c = GetParam();
    launch();
    if (c.start != Start::idle) {
        ASSERT_TRUE(sim.choose("Arm Now"));
    }
    advance(c.start == Start::armed ? 2.0 : 1.0);
    ASSERT_TRUE(sim.sendRequest(c.request));
    EXPECT_EQ(sim.item.icon, c.after);
    EXPECT_EQ(sim.titles().at(2), c.after == StatusIcon::idle ? "Arm Now" : "Disarm");
    advance(1.0);
    EXPECT_EQ(std::tuple(sim.item.icon, locks()), std::tuple(c.later, 0u));
}

using enum StatusIcon;
const RequestCase requestCases[] = {
    {Start::idle, Request::toggle, arming, arming}, {Start::idle, Request::arm, arming, arming},
    {Start::idle, Request::disarm, idle, idle},     {Start::arming, Request::toggle, idle, idle},
    {Start::arming, Request::arm, arming, armed},   {Start::arming, Request::disarm, idle, idle},
    {Start::armed, Request::toggle, idle, idle},    {Start::armed, Request::arm, armed, armed},
    {Start::armed, Request::disarm, idle, idle}};
INSTANTIATE_TEST_SUITE_P(States, RequestTest, ::testing::ValuesIn(requestCases));

// A desktop shortcut bound to `cendrel --toggle` is itself input: its key
// press locks, and the command it starts arrives just after.
TEST_F(ControllerTest, RequestThatFollowsTheTouchThatLockedDoesNotArmAgain)
{
    EXPECT_FALSE(sim.sendRequest(Request::toggle)) << "nothing listens before launch";
    launch();
    armFully();
    sim.sendInput();
    ASSERT_EQ(locks(), 1u);
    advance(0.5);
    EXPECT_TRUE(sim.sendRequest(Request::toggle));
    EXPECT_TRUE(sim.sendRequest(Request::arm));
    EXPECT_EQ(sim.item.icon, StatusIcon::idle);
    advance(1.0);
    EXPECT_TRUE(sim.sendRequest(Request::toggle));
    EXPECT_EQ(std::tuple(sim.item.icon, locks()), std::tuple(StatusIcon::arming, 1u));
    // A request that finds the controller gone does nothing.
    delegate.reset();
    sim.sendRequest(Request::toggle);
    advance(3.0);
    EXPECT_EQ(locks(), 1u);
}

} // namespace
} // namespace cendrel
