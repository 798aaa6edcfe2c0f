#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "testkit/delegate_world.h"

namespace tarnwick {
namespace {

using testkit::DelegateWorld;

// The whole launch on the default session: will and did finish launching, from a made delegate
// to the "launch" snapshot handed to its writer.
void BM_DelegateLaunch(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto world = std::make_unique<DelegateWorld>(DelegateWorld::Names{{DelegateWorld::kDesktop4, "Code"}});
        world->make();
        auto& application = *platform::current().application;
        application.setDelegate(world->delegate);
        state.ResumeTiming();
        application.finishLaunching();
        state.PauseTiming();
        world->delegate->applicationWillTerminate();
        world.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DelegateLaunch)->Unit(benchmark::kMicrosecond);

// The feature state with everything already running, with and without re-reading permissions.
void BM_ApplyFeatureState(benchmark::State& state) {
    DelegateWorld world(DelegateWorld::Names{{DelegateWorld::kDesktop4, "Code"}});
    auto& delegate = world.launch();
    const bool refresh = state.range(0) != 0;
    for (auto _ : state) delegate.applyFeatureState(refresh);
    delegate.applicationWillTerminate();
}
BENCHMARK(BM_ApplyFeatureState)->Arg(0)->Arg(1);

// One keystroke in a desktop's name field: the rename saves the names file, the names hook re-runs
// the feature state and hands a snapshot to the writer (written later, off this path).
void BM_NamesKeystroke(benchmark::State& state) {
    DelegateWorld world(DelegateWorld::Names{{DelegateWorld::kDesktop4, "Code"}});
    auto& delegate = world.launch();
    auto& model = delegate.namesModel();
    std::string name = "Code";
    int typed = 0;
    for (auto _ : state) {
        name.push_back(static_cast<char>('a' + typed++ % 26));
        if (name.size() > 40) name = "Code";
        benchmark::DoNotOptimize(model.rename(name, DelegateWorld::kDesktop4));
    }
    delegate.applicationWillTerminate();
}
BENCHMARK(BM_NamesKeystroke)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
