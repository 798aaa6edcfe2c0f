#include <benchmark/benchmark.h>

#include <filesystem>

#include "model/diagnostic_trace.h"
#include "support/run_loop.h"
#include "testkit/temp_folder.h"

namespace tarnwick {
namespace {

constexpr int kRecords = 10'000;

// Recording 10,000 events and waiting until the worker thread has appended them all to a fresh
// file. `pendingBound` is the queue bound; with the default bound of 256 the recorder flushes
// whenever the queue is full, so nothing is dropped.
void appendRecords(benchmark::State& state, std::size_t pendingBound) {
    SystemClock clock;
    RunLoop loop(clock);
    MainLoopScope mainLoop(loop);
    testkit::TempFolder folder;
    const auto url = folder / "Logs/Tarnwick/benchmark-trace.jsonl";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(url);
        state.ResumeTiming();
        DiagnosticTrace trace(url, pendingBound);
        bool dropped = false;
        for (int i = 0; i < kRecords; ++i) {
            if (i % pendingBound == 0 && i > 0) trace.flush();
            dropped |= !trace.record("tick", {{"i", i}, {"phase", "measure"}, {"visible", true}});
        }
        trace.flush();
        if (dropped) state.SkipWithError("a record was dropped");
    }
    state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_AppendTenThousandRecords(benchmark::State& state) { appendRecords(state, kRecords); }
BENCHMARK(BM_AppendTenThousandRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AppendTenThousandRecordsWithDefaultQueueBound(benchmark::State& state) { appendRecords(state, 256); }
BENCHMARK(BM_AppendTenThousandRecordsWithDefaultQueueBound)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace tarnwick
