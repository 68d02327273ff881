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
    presses->add(&first, {}, [&] { calls.push_back("first"); });
    presses->add(&second, {}, [&] { calls.push_back("second"); });
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

TEST(MacKeyWatch, KeysAreVisibleOnlyTrustedAndWithoutSecureInputAndOnlyTheOfferPrompts)
{
    for (int bits = 0; bits < 4; ++bits) {
        const bool trusted = (bits & 1) != 0, secureInput = (bits & 2) != 0;
        int asked = 0;
        KeyWatchCheck check({[&] { return trusted; }, [&] { ++asked; }, [&] { return secureInput; }});
        EXPECT_EQ(check.keyPressesVisible(), trusted && !secureInput) << bits;
        // Only the offer prompts, never the check arming makes.
        check.offerTrust();
        check.offerTrust();
        EXPECT_EQ(asked, trusted ? 0 : 1) << bits;
    }
}

TEST(MacInputWatch, PressesFnAndMediaKeysLockButNotTheLiveHotKeyModifiersOrKeysGoingUp)
{
    HotKeyPresses presses([](std::function<void()>) {});
    const Modifiers optionCommand{Modifier::option, Modifier::command};
    int registration = 0;
    presses.add(&registration, {37, optionCommand}, [] {});
    presses.add(&optionCommand, {40, {Modifier::option, Modifier::command, Modifier::capsLock}}, [] {});
    using Kind = SeenEvent::Kind;
    const std::vector<std::pair<SeenEvent, bool>> rows{
        {{Kind::pointer, {}, 0, 0}, true},
        {{Kind::keyDown, {37, {Modifier::option}}, 0, 0}, true},
        {{Kind::keyDown, {38, optionCommand}, 0, 0}, true},
        {{Kind::keyDown, {37, optionCommand}, 0, 0}, false},
        {{Kind::keyDown, {37, {Modifier::option, Modifier::command, Modifier::capsLock}}, 0, 0}, false},
        {{Kind::keyDown, {40, optionCommand}, 0, 0}, true}, // that one wants Caps Lock on
        {{Kind::flagsChanged, {functionKeyCode, {Modifier::function}}, 0, 0}, true},
        {{Kind::flagsChanged, {functionKeyCode, {}}, 0, 0}, false},                       // Fn coming up
        {{Kind::flagsChanged, {56, {Modifier::shift, Modifier::function}}, 0, 0}, false}, // Shift, Fn held
        {{Kind::systemDefined, {}, 8, 0x10'0A00}, true},                                  // volume up going down
        {{Kind::systemDefined, {}, 8, 0x10'0B00}, false},
        {{Kind::systemDefined, {}, 7, 0x0A00}, false},
    };
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(isWatchedInput(rows[i].first, presses), rows[i].second) << "row " << i;
    presses.remove(&registration);
    EXPECT_TRUE(isWatchedInput(rows[3].first, presses)) << "released, it is a key press like any other";
    EXPECT_EQ(globalEventMask & ~localEventMask, 1ULL << 12 | 1ULL << 14);
}

TEST(MacMenuSwap, AMenuReplacedWhileOpenWaitsForTheCloseAndTheNewestWins)
{
    MenuSwap swap;
    std::vector<int> installed;
    swap.replace([&] { installed.push_back(1); });
    swap.opened();
    swap.replace([&] { installed.push_back(2); });
    swap.replace([&] { installed.push_back(3); });
    EXPECT_EQ(installed, std::vector<int>{1});
    swap.closed();
    swap.closed();
    swap.replace([&] { installed.push_back(4); });
    EXPECT_EQ(installed, (std::vector<int>{1, 3, 4}));
}

TEST(MacLocalMonitors, TheEventThatLockedIsDroppedAndTheRecorderTakesOnlyItsOwn)
{
    int event = 0, taken = 0;
    EXPECT_EQ(afterInputWatch(&event, [] { return true; }), nullptr);
    EXPECT_EQ(afterInputWatch(&event, [] { return false; }), &event);
    EXPECT_EQ(afterInputWatch(&event, {}), &event);
    EXPECT_EQ(afterRecorder(&event, false, [&] { ++taken; }), &event) << "an alert's key goes to the alert";
    EXPECT_EQ(afterRecorder(&event, true, [&] { ++taken; }), nullptr);
    EXPECT_EQ(taken, 1);
}

TEST(MacActivation, AHiddenApplicationIsUnhiddenBeforeItActivatesAndNeverHiddenUnderAWindowOfOurs)
{
    std::vector<std::string> calls;
    for (bool hiddenOrShown : {false, true}) {
        bringForward(
            {[&] { return hiddenOrShown; }, [&] { calls.push_back("unhide"); }, [&] { calls.push_back("activate"); }});
        hideUnlessShowing([&] { return hiddenOrShown; }, [&] { calls.push_back("hide"); });
    }
    EXPECT_EQ(calls, (std::vector<std::string>{"activate", "hide", "unhide", "activate"}));
}

TEST(MacLoginItemStatus, OnlyEnabledChecksAndOnlyRequiresApprovalNeedsTheOwner)
{
    std::vector<std::pair<bool, bool>> seen;
    for (long status = 0; status < 4; ++status)
        seen.emplace_back(loginItemEnabled(status), loginItemNeedsApproval(status));
    EXPECT_EQ(seen, (std::vector<std::pair<bool, bool>>{{false, false}, {true, false}, {false, true}, {false, false}}));
}

} // namespace
} // namespace cendrel::mac
