#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "applications/running_application_record.h"
#include "applications/space_application_catalog.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

constexpr int kDisplays = 6;
constexpr int kDesktopsPerDisplay = 16;
constexpr int kWindows = 400;
constexpr int kApplications = 40;
constexpr double kDisplayWidth = 2560;
constexpr double kDisplayHeight = 1440;

std::string uuidFor(int kind, int n) {
    char text[40];
    std::snprintf(text, sizeof text, "%08X-0000-4000-8000-%012X", kind, n);
    return text;
}

// Six displays of sixteen desktops, forty regular apps and 400 windows spread over the desktops
// (every tenth window on two desktops), in a simulated session and as the desktop catalog.
struct Workload {
    testkit::TestEnvironment env;
    std::vector<DesktopMonitor> monitors;
    std::vector<std::uint64_t> spaceIDs;

    Workload() {
        auto& session = env.session;
        std::uint64_t spaceID = 1;
        for (int d = 0; d < kDisplays; ++d) {
            sim::SimDisplay display;
            display.id = static_cast<std::uint32_t>(d + 1);
            display.uuid = uuidFor(0xD15, d);
            display.name = "Display " + std::to_string(d + 1);
            display.bounds = Rect(d * kDisplayWidth, 0, kDisplayWidth, kDisplayHeight);
            DesktopMonitor monitor{*display.uuid, display.name, display.bounds, {}};
            for (int k = 0; k < kDesktopsPerDisplay; ++k, ++spaceID) {
                display.spaces.push_back({spaceID, uuidFor(0xDE5, static_cast<int>(spaceID)), 0, {}});
                monitor.desktops.push_back({uuidFor(0xDE5, static_cast<int>(spaceID)), spaceID,
                                            "Desktop " + std::to_string(spaceID), k == 0});
                spaceIDs.push_back(spaceID);
            }
            display.currentSpace = display.spaces.front().id64;
            session.displays.push_back(std::move(display));
            monitors.push_back(std::move(monitor));
        }
        for (int a = 0; a < kApplications; ++a) {
            const std::string name = "App " + std::to_string(a);
            session.applications.push_back({1000 + a, "com.example.app" + std::to_string(a), name,
                                            "file:///Applications/" + name + ".app/"});
        }
        for (int w = 0; w < kWindows; ++w) {
            sim::SimWindow window;
            window.id = static_cast<std::uint32_t>(5000 + w);
            window.pid = 1000 + (w * 7) % kApplications;
            window.bounds = Rect(40 + w % 50, 60 + w % 30, 800, 600);
            window.spaces = {spaceIDs[static_cast<std::size_t>(w) % spaceIDs.size()]};
            if (w % 10 == 0) window.spaces.push_back(spaceIDs[static_cast<std::size_t>(w * 3 + 1) % spaceIDs.size()]);
            session.windows.push_back(std::move(window));
        }
    }
};

void BM_WindowReaderRead(benchmark::State& state) {
    Workload workload;
    std::size_t windows = 0;
    for (auto _ : state) {
        auto snapshot = SpaceApplicationReader::readNow(workload.spaceIDs);
        windows = snapshot.windows.size();
        benchmark::DoNotOptimize(snapshot);
    }
    state.counters["windows"] = static_cast<double>(windows);
}
BENCHMARK(BM_WindowReaderRead)->Unit(benchmark::kMicrosecond);

void BM_CatalogGroup(benchmark::State& state) {
    Workload workload;
    const auto read = SpaceApplicationReader::readNow(workload.spaceIDs);
    std::vector<SpaceApplicationCatalog::Application> applications;
    for (int a = 0; a < kApplications; ++a) applications.push_back(*runningApplicationRecord(1000 + a));
    for (auto _ : state) {
        auto grouped = SpaceApplicationCatalog::group(read.windows, applications, workload.monitors, 4242);
        benchmark::DoNotOptimize(grouped);
    }
}
BENCHMARK(BM_CatalogGroup)->Unit(benchmark::kMicrosecond);

// A whole load on the loop: the read hops to the reader (inline in this setting), the apps are
// resolved and grouped.
void BM_SnapshotLoadFresh(benchmark::State& state) {
    Workload workload;
    SpaceApplicationReader reader(std::make_shared<LoopExecutor>(workload.env.loop));
    SpaceApplicationSnapshotLoader loader([&] { return workload.env.clock.uptime(); }, nullptr, &reader);
    for (auto _ : state) {
        auto handle = spawn(loader.snapshot(workload.monitors, std::nullopt, 0));
        workload.env.settle();
        benchmark::DoNotOptimize(handle.result());
    }
}
BENCHMARK(BM_SnapshotLoadFresh)->Unit(benchmark::kMicrosecond);

// A load served from the reuse window: no read, the kept result copied out.
void BM_SnapshotLoadReused(benchmark::State& state) {
    Workload workload;
    SpaceApplicationReader reader(std::make_shared<LoopExecutor>(workload.env.loop));
    SpaceApplicationSnapshotLoader loader([&] { return workload.env.clock.uptime(); }, nullptr, &reader);
    auto first = spawn(loader.snapshot(workload.monitors, std::nullopt, 0));
    workload.env.settle();
    bool reused = true;
    for (auto _ : state) {
        auto handle = spawn(loader.snapshot(workload.monitors, std::nullopt, SpaceApplicationSnapshotLoader::reuseInterval));
        workload.env.settle();
        reused = reused && handle.result()->reusedCompletedSnapshot;
    }
    if (!reused) state.SkipWithError("a load was not served from the reuse window");
}
BENCHMARK(BM_SnapshotLoadReused)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
