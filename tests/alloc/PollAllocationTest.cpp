// Counts every allocation in the process, to show that a poll tick makes none.
#include "ArmMonitor.h"

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> allocations{0};
}

void* operator new(std::size_t size)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

namespace cendrel {
namespace {

using namespace std::chrono_literals;

class PollAllocationTest : public SimTest {};

TEST_F(PollAllocationTest, ArmedTicksAllocateNothing)
{
    runLoop().setMouseLocation({700, 450});
    auto monitor = std::make_shared<ArmMonitor>();
    monitor->arm();
    runLoop().advance(2s);
    ASSERT_EQ(monitor->state(), ArmMonitor::State::armed);
    runLoop().advance(ArmMonitor::pollInterval); // first tick warms nothing up, but be fair

    const std::size_t before = allocations.load();
    for (int i = 0; i < 100; ++i) {
        runLoop().setMouseLocation({700.0 + i % 7, 450.0 - i % 5});
        runLoop().advance(ArmMonitor::pollInterval);
    }
    EXPECT_EQ(allocations.load() - before, 0u);
    EXPECT_EQ(monitor->state(), ArmMonitor::State::armed);

    // The counter does see allocations: a drift that locks makes some.
    runLoop().setMouseLocation({0, 0});
    runLoop().advance(ArmMonitor::pollInterval);
    EXPECT_EQ(monitor->state(), ArmMonitor::State::idle);
    EXPECT_GT(allocations.load() - before, 0u);
}

} // namespace
} // namespace cendrel
