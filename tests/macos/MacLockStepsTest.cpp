// The macOS lock steps' decisions with recording system calls.
#include "MacLockSteps.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace cendrel {
namespace {

// Records each call; the handles are the addresses of its two fields.
struct Recorder {
    bool hasLibrary = true, hasFunction = true;
    int returns = 0;
    bool starts = true;
    std::vector<std::string> calls{};
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
                [this, mark](void* called) {
                    mark(called, &function, "call");
                    return returns;
                },
                [this, mark](void* handle) { mark(handle, &library, "close"); },
                [this](const std::string& executable, const std::vector<std::string>& arguments) {
                    calls.push_back("start " + executable + " " + arguments.at(0) + " of " +
                                    std::to_string(arguments.size()));
                    return starts;
                }};
    }
};

const std::string open = "open /System/Library/PrivateFrameworks/login.framework/Versions/Current/login 2";

// Only the session saying it is locked is evidence: a call that went through
// is accepted, and a non-zero return fails at once.
TEST(MacLockStepsTest, LoginFrameworkIsOpenedLookedUpCalledAndClosed)
{
    struct Row {
        Recorder recorder;
        std::vector<std::string> calls;
        std::optional<LockReport::Outcome> outcome;
        LockFailure failure;
    };
    const std::vector<std::string> called{open, "look up SACLockScreenImmediate", "call", "close"};
    using enum LockReport::Outcome;
    const Row rows[] = {
        {{}, called, accepted, LockFailure::refused},
        {{.returns = -1}, called, failed, LockFailure::refused},
        {{.hasFunction = false}, {open, "look up SACLockScreenImmediate", "close"}, failed, LockFailure::missing},
        {{.hasLibrary = false}, {open}, std::nullopt, LockFailure::refused}};
    for (const Row& row : rows) {
        Recorder recorder = row.recorder;
        const auto report = lockWithLoginFramework(recorder.make());
        EXPECT_EQ(recorder.calls, row.calls);
        ASSERT_EQ(report.has_value(), row.outcome.has_value());
        if (report) {
            EXPECT_EQ(std::tuple(report->outcome, report->failure), std::tuple(*row.outcome, row.failure));
        }
    }
}

TEST(MacLockStepsTest, TheStepSpeaksOfTheFrameworkAndStartsOnlyWhenItOpens)
{
    for (const bool opens : {true, false}) {
        Recorder recorder{.hasLibrary = opens};
        const LockStep step = loginFrameworkStep(
            recorder.make(), [](LockReport, LockReplyHandler) { return std::make_unique<LockRequest>(); });
        EXPECT_EQ(step.start([](LockReport) {}) != nullptr, opens);
        EXPECT_EQ(step.words.unavailable + "|" + step.words.missing + "|" + step.words.refused,
                  "could not open login.framework|SACLockScreenImmediate not found|SACLockScreenImmediate failed");
    }
}

TEST(MacLockStepsTest, DisplaySleepStartsPmsetAndSaysWhetherItStarted)
{
    for (const bool starts : {true, false}) {
        Recorder recorder{.starts = starts};
        EXPECT_EQ(sleepDisplayWithPmset(recorder.make()), starts);
        EXPECT_EQ(recorder.calls, std::vector<std::string>{"start /usr/bin/pmset displaysleepnow of 1"});
    }
}

} // namespace
} // namespace cendrel
