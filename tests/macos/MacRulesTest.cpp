// The macOS backend's own decisions, run off the Mac with the system calls
// played by the test.
#include "MacRules.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace cendrel::mac {
namespace {

TEST(MacHotKeyPresses, OnlyOurIdIsPostedAndTheNewestLiveRegistrationGetsIt)
{
    std::deque<std::function<void()>> queue;
    auto presses = std::make_shared<HotKeyPresses>([&](std::function<void()> work) { queue.push_back(work); });
    std::vector<std::string> calls;
    int first = 0, second = 0;
    presses->add(&first, [&] { calls.push_back("first"); });
    presses->add(&second, [&] { calls.push_back("second"); });
    presses->pressed(0);
    presses->pressed(2);
    EXPECT_TRUE(queue.empty()) << "not our id";
    presses->pressed(hotKeyId);
    queue.front()();
    presses->pressed(hotKeyId);
    presses->remove(&second); // released before the posted press runs
    queue.back()();
    EXPECT_EQ(calls, (std::vector<std::string>{"second", "first"}));
    queue.clear();
    presses->pressed(hotKeyId);
    presses.reset();
    queue.front()(); // the presses are gone: nothing happens
    EXPECT_EQ(calls.size(), 2u);
}

struct KeyWatchCase {
    bool trusted;
    bool trustedOnceAsked;
    bool secureInput;
    bool visible;
};

class MacKeyWatchTest : public ::testing::TestWithParam<KeyWatchCase> {};

TEST_P(MacKeyWatchTest, KeysAreVisibleOnlyTrustedAndWithoutSecureInputAndTheTrustIsAskedOnce)
{
    const KeyWatchCase& c = GetParam();
    int asked = 0;
    KeyWatchCheck check(
        {[&] { return c.trusted; }, [&] { return ++asked, c.trustedOnceAsked; }, [&] { return c.secureInput; }});
    EXPECT_EQ(check.keyPressesVisible(), c.visible);
    check.keyPressesVisible();
    EXPECT_EQ(asked, c.trusted ? 0 : 1);
}

const KeyWatchCase keyWatchCases[] = {{true, false, false, true},
                                      {true, false, true, false},
                                      {false, false, false, false},
                                      {false, true, false, true},
                                      {false, true, true, false}};
INSTANTIATE_TEST_SUITE_P(Cases, MacKeyWatchTest, ::testing::ValuesIn(keyWatchCases));

TEST(MacLocalMonitors, TheEventThatLockedIsDroppedAndTheRecorderTakesOnlyItsOwn)
{
    int event = 0;
    EXPECT_EQ(afterInputWatch(&event, [] { return true; }), nullptr);
    EXPECT_EQ(afterInputWatch(&event, [] { return false; }), &event);
    EXPECT_EQ(afterInputWatch(&event, {}), &event);
    int taken = 0;
    EXPECT_EQ(afterRecorder(&event, false, [&] { ++taken; }), &event) << "an alert's key goes to the alert";
    EXPECT_EQ(taken, 0);
    EXPECT_EQ(afterRecorder(&event, true, [&] { ++taken; }), nullptr);
    EXPECT_EQ(taken, 1);
}

TEST(MacActivation, AHiddenApplicationIsUnhiddenBeforeItActivatesAndNeverHiddenUnderAModalAlert)
{
    for (bool hidden : {false, true}) {
        std::vector<std::string> calls;
        bringForward(
            {[&] { return hidden; }, [&] { calls.push_back("unhide"); }, [&] { calls.push_back("activate"); }});
        EXPECT_EQ(calls,
                  hidden ? (std::vector<std::string>{"unhide", "activate"}) : (std::vector<std::string>{"activate"}));
    }
    for (bool modal : {false, true}) {
        int hides = 0;
        hideUnlessModal([&] { return modal; }, [&] { ++hides; });
        EXPECT_EQ(hides, modal ? 0 : 1);
    }
}

TEST(MacLoginItemStatus, OnlyEnabledChecksAndOnlyRequiresApprovalNeedsTheOwner)
{
    const std::vector<std::pair<bool, bool>> expected{{false, false}, {true, false}, {false, true}, {false, false}};
    for (long status = 0; status < 4; ++status) {
        EXPECT_EQ(std::pair(loginItemEnabled(status), loginItemNeedsApproval(status)), expected[std::size_t(status)])
            << status;
    }
}

} // namespace
} // namespace cendrel::mac
