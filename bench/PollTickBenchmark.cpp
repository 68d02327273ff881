// What one 40 ms poll tick costs while armed: a pointer read, a distance and
// a comparison, driven through the simulated run loop as the real loop would.
#include "ArmMonitor.h"
#include "SimPlatform.h"

#include <benchmark/benchmark.h>

namespace cendrel {
namespace {

void BM_ArmedPollTick(benchmark::State& state)
{
    SimPlatform sim;
    sim.install();
    sim.pointer = {700, 450};
    auto monitor = std::make_shared<ArmMonitor>();
    monitor->arm();
    sim.runLoop().advance(Seconds{2.0});
    if (monitor->state() != ArmMonitor::State::armed) {
        state.SkipWithError("monitor did not arm");
        return;
    }
    double wobble = 0;
    for (auto _ : state) {
        // Small moves within the threshold, so the monitor stays armed.
        wobble = wobble > 10 ? 0 : wobble + 1;
        sim.pointer = {700 + wobble, 450 - wobble};
        sim.runLoop().advance(ArmMonitor::pollInterval);
    }
    benchmark::DoNotOptimize(monitor->state());
    monitor.reset();
    uninstallPlatform();
}
BENCHMARK(BM_ArmedPollTick);

} // namespace
} // namespace cendrel
