#include "ScreenLock.h"

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cendrel {
namespace {

using Lines = std::vector<std::string>;

const std::string loginPath = "/System/Library/PrivateFrameworks/login.framework/Versions/Current/login";

struct LockCase {
    const char* what;
    SystemFlavor flavor;
    bool libraryPresent;
    bool functionPresent;
    bool callRefused;
    Lines log;
    Lines loader;
};

class ScreenLockTest : public SimTest, public testing::WithParamInterface<LockCase> {};

TEST_P(ScreenLockTest, RequestsTheLockOrFallsBackInOrder)
{
    const LockCase& c = GetParam();
    sim().install(c.flavor);
    sim().loader().setLibraryPresent(c.libraryPresent);
    sim().loader().setFunctionPresent(c.functionPresent);
    sim().loader().setCallRefused(c.callRefused);

    ScreenLock::lock();

    EXPECT_EQ(sim().systemLog().lines(), c.log) << c.what;
    EXPECT_EQ(sim().loader().entries(), c.loader) << c.what;
    EXPECT_EQ(sim().loader().openLibraryCount(), 0u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ScreenLockTest,
    testing::Values(
        LockCase{"macOS, lock function present",
                 SystemFlavor::macOS,
                 true,
                 true,
                 false,
                 {},
                 {"open " + loginPath + " 2", "lookup SACLockScreenImmediate", "call SACLockScreenImmediate", "close"}},
        // What a plain C function returns is never looked at.
        LockCase{"macOS, call answers false",
                 SystemFlavor::macOS,
                 true,
                 true,
                 true,
                 {},
                 {"open " + loginPath + " 2", "lookup SACLockScreenImmediate", "call SACLockScreenImmediate", "close"}},
        LockCase{"macOS, library missing",
                 SystemFlavor::macOS,
                 false,
                 true,
                 false,
                 {"Cendrel: could not open login.framework, falling back"},
                 {"open " + loginPath + " 2", "start /usr/bin/pmset displaysleepnow"}},
        LockCase{"macOS, function missing",
                 SystemFlavor::macOS,
                 true,
                 false,
                 false,
                 {"Cendrel: SACLockScreenImmediate not found, falling back"},
                 {"open " + loginPath + " 2", "lookup SACLockScreenImmediate", "start /usr/bin/pmset displaysleepnow",
                  "close"}},
        LockCase{"Linux, login manager locks",
                 SystemFlavor::freedesktop,
                 true,
                 true,
                 false,
                 {},
                 {"open org.freedesktop.login1 2", "lookup Lock", "call Lock", "close"}},
        LockCase{"Linux, no login manager",
                 SystemFlavor::freedesktop,
                 false,
                 true,
                 false,
                 {"Cendrel: could not reach login1, falling back"},
                 {"open org.freedesktop.login1 2", "start xset dpms force off"}},
        LockCase{"Linux, no session object",
                 SystemFlavor::freedesktop,
                 true,
                 false,
                 false,
                 {"Cendrel: login1 Lock not found, falling back"},
                 {"open org.freedesktop.login1 2", "lookup Lock", "start xset dpms force off", "close"}},
        LockCase{"Linux, lock refused",
                 SystemFlavor::freedesktop,
                 true,
                 true,
                 true,
                 {"Cendrel: login1 Lock failed, falling back"},
                 {"open org.freedesktop.login1 2", "lookup Lock", "call Lock", "start xset dpms force off", "close"}}));

TEST_F(ScreenLockTest, FailedFallbackStartAddsNothing)
{
    sim().loader().setLibraryPresent(false);
    sim().loader().setProcessStartFails(true);
    ScreenLock::lock();
    EXPECT_EQ(sim().systemLog().lines(), Lines{"Cendrel: could not open login.framework, falling back"});
    EXPECT_EQ(sim().loader().entries().back(), "start /usr/bin/pmset displaysleepnow");
}

TEST_F(ScreenLockTest, EveryLockOpensAndClosesAnew)
{
    ScreenLock::lock();
    ScreenLock::lock();
    const Lines once{"open " + loginPath + " 2", "lookup SACLockScreenImmediate", "call SACLockScreenImmediate",
                     "close"};
    Lines twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(sim().loader().entries(), twice);
    EXPECT_TRUE(sim().systemLog().lines().empty());
}

} // namespace
} // namespace cendrel
