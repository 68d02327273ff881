// A fresh simulated platform per test, and the controller launched on it as
// the program entry does.
#pragma once

#include "AppDelegate.h"
#include "ScreenLock.h"
#include "SimPlatform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

namespace cendrel {

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { sim.install(); }
    // Objects that reach the platform when they go must be released first,
    // and a lock still in progress ends.
    void TearDown() override
    {
        advance(2 * ScreenLock::evidenceDeadline.count());
        EXPECT_EQ(ScreenLock::locksInProgressForTesting(), 0u) << "every lock ends by its deadline";
        uninstallPlatform();
    }

    void advance(double seconds) { sim.runLoop().advance(Seconds{seconds}); }
    // The first notice: its subject, urgency, title and body.
    auto firstNotice() const
    {
        const Notice& notice = sim.notifications.at(0);
        return std::tuple(notice.subject, notice.critical, notice.title, notice.body);
    }

    SimPlatform sim;
};

class ControllerTest : public SimTest {
protected:
    void TearDown() override
    {
        delegate.reset();
        sim.runLoop().runPending();
        SimTest::TearDown();
    }

    void launch()
    {
        delegate = std::make_shared<AppDelegate>();
        sim.launched = false;
        platform().application->run([this] { delegate->applicationDidFinishLaunching(); });
    }
    std::string statusLine() const { return sim.titles().at(0); }
    std::string toggleTitle() const { return sim.titles().at(2); }
    // What the status item shows: its icon, status line and toggle entry.
    auto shown() const { return std::tuple(sim.item.icon, statusLine(), toggleTitle()); }
    // The user presses a combination anywhere; true when it was our hot key.
    bool press(std::uint32_t keyCode, Modifiers modifiers)
    {
        const bool taken = sim.pressHotKey(keyCode, modifiers);
        sim.runLoop().runPending();
        return taken;
    }
    bool pressDefault() { return press(37, {Modifier::command, Modifier::option}); }
    void armFully()
    {
        pressDefault();
        advance(2.0);
    }
    std::size_t locks() const { return static_cast<std::size_t>(std::ranges::count(sim.lockEvents, "session")); }

    std::shared_ptr<AppDelegate> delegate;
};

} // namespace cendrel
