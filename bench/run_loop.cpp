#include <benchmark/benchmark.h>

#include "support/run_loop.h"

namespace tarnwick {
namespace {

// Scheduling and firing 100,000 one-shot timers at spread-out due times on virtual time.
void BM_ScheduleAndFireTimers(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ManualClock clock(0);
        RunLoop loop(clock);
        long fired = 0;
        for (int i = 0; i < count; ++i) loop.postAfter((i % 997) * 0.001, [&fired] { ++fired; });
        clock.advance(1.0);
        benchmark::DoNotOptimize(fired);
        if (fired != count) state.SkipWithError("not every timer fired");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_ScheduleAndFireTimers)->Arg(100000)->Unit(benchmark::kMillisecond);

// Repeating timers: 1,000 timers firing 100 times each.
void BM_RepeatingTimers(benchmark::State& state) {
    for (auto _ : state) {
        ManualClock clock(0);
        RunLoop loop(clock);
        long fired = 0;
        std::vector<Timer> timers;
        for (int i = 0; i < 1000; ++i) timers.push_back(loop.scheduleTimer(0.01, 0.001, [&fired] { ++fired; }));
        clock.advance(1.0005);
        benchmark::DoNotOptimize(fired);
    }
    state.SetItemsProcessed(state.iterations() * 100000);
}
BENCHMARK(BM_RepeatingTimers)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
