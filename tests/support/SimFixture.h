// The base fixture of every test on the simulated platform: a fresh platform
// per test, installed before the test body and dropped after it.
#pragma once

#include "Platform.h"
#include "SimPlatform.h"

#include <gtest/gtest.h>

#include <memory>

namespace cendrel {

// Objects that reach the platform when they are destroyed (a hot-key manager
// unregistering, say) must be released before TearDown(): in the test body,
// or in a derived TearDown() before it calls SimTest::TearDown().
class SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sim_ = std::make_unique<SimPlatform>();
        sim_->install();
    }
    void TearDown() override { uninstallPlatform(); }

    SimPlatform& sim() const { return *sim_; }
    SimRunLoop& runLoop() const { return sim_->runLoop(); }

private:
    std::unique_ptr<SimPlatform> sim_;
};

} // namespace cendrel
