// The macOS lock steps' decisions with recording system calls.
#include "MacLockSteps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

// Records each call; the handles are the addresses of its two fields.
struct Recorder {
    bool hasLibrary = true, hasFunction = true;
    bool starts = true;
    std::vector<std::string> calls;
    int library = 0, function = 0;

    MacLockCalls make()
    {
        const auto mark = [this](void* handle, const void* expected, std::string line) {
            calls.push_back(line + (handle == expected ? "" : " elsewhere"));
        };
        return {[this](const char* path, int mode) -> void* {
                    calls.push_back(std::string("open ") + path + " " + std::to_string(mode));
                    return hasLibrary ? &library : nullptr;
                },
                [this, mark](void* handle, const char* name) -> void* {
                    mark(handle, &library, std::string("look up ") + name);
                    return hasFunction ? &function : nullptr;
                },
                [this, mark](void* called) { mark(called, &function, "call"); },
                [this, mark](void* handle) { mark(handle, &library, "close"); },
                [this](const std::string& executable, const std::vector<std::string>& arguments) {
                    calls.push_back("start " + executable + " " + arguments.at(0) + " of " +
                                    std::to_string(arguments.size()));
                    return starts;
                }};
    }
};

const std::string open = "open /System/Library/PrivateFrameworks/login.framework/Versions/Current/login 2";

TEST(MacLockStepsTest, LoginFrameworkIsOpenedLookedUpCalledAndClosed)
{
    struct Row {
        bool hasLibrary;
        bool hasFunction;
        std::vector<std::string> calls;
        std::optional<LockReport::Outcome> outcome;
    };
    const Row rows[] = {
        {true, true, {open, "look up SACLockScreenImmediate", "call", "close"}, LockReport::Outcome::locked},
        {true, false, {open, "look up SACLockScreenImmediate", "close"}, LockReport::Outcome::failed},
        {false, true, {open}, std::nullopt}};
    for (const Row& row : rows) {
        Recorder recorder;
        recorder.hasLibrary = row.hasLibrary;
        recorder.hasFunction = row.hasFunction;
        const auto report = lockWithLoginFramework(recorder.make());
        EXPECT_EQ(recorder.calls, row.calls);
        ASSERT_EQ(report.has_value(), row.outcome.has_value());
        if (report) {
            EXPECT_EQ(report->outcome, *row.outcome);
            EXPECT_TRUE(report->outcome == LockReport::Outcome::locked || report->failure == LockFailure::missing);
        }
    }
}

TEST(MacLockStepsTest, DisplaySleepStartsPmsetAndSaysWhetherItStarted)
{
    for (const bool starts : {true, false}) {
        Recorder recorder;
        recorder.starts = starts;
        EXPECT_EQ(sleepDisplayWithPmset(recorder.make()), starts);
        EXPECT_EQ(recorder.calls, std::vector<std::string>{"start /usr/bin/pmset displaysleepnow of 1"});
    }
}

} // namespace
} // namespace cendrel
