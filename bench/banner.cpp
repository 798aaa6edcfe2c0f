#include <benchmark/benchmark.h>

#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "banner/space_banner_controller.h"
#include "banner/space_banner_layout.h"
#include "banner/space_name_banner.h"
#include "banner/space_switch_tracker.h"
#include "model/mission_control_visibility.h"
#include "platform/platform.h"
#include "overlays/banner_application_layout.h"
#include "testkit/banner_world.h"
#include "testkit/many_displays_session.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

constexpr int kDisplays = 6;
constexpr int kDesktopsPerDisplay = 16;
constexpr int kWindows = 400;
constexpr double kDisplayWidth = 2560;
constexpr double kDisplayHeight = 1440;

using testkit::numberedUUID;

// Six displays of sixteen desktops (the first of each current) as a catalog.
std::vector<DesktopMonitor> catalog() {
    std::vector<DesktopMonitor> monitors;
    int space = 1;
    for (int d = 0; d < kDisplays; ++d) {
        DesktopMonitor monitor{numberedUUID(0xD15, d), "Display", Rect(d * kDisplayWidth, 0, kDisplayWidth, kDisplayHeight), {}};
        for (int k = 0; k < kDesktopsPerDisplay; ++k, ++space)
            monitor.desktops.push_back({numberedUUID(0xDE5, space), static_cast<std::uint64_t>(space),
                                        "Desktop " + std::to_string(space), k == 0});
        monitors.push_back(std::move(monitor));
    }
    return monitors;
}

void BM_TrackerObserveOneDisplayChanged(benchmark::State& state) {
    auto before = catalog();
    auto after = before;
    after[3].desktops[0].isCurrent = false;
    after[3].desktops[5].isCurrent = true;
    SpaceSwitchTracker tracker;
    tracker.reset(before);
    bool flip = false;
    for (auto _ : state) {
        auto changes = tracker.observe(flip ? before : after);
        flip = !flip;
        if (changes.size() != 1) state.SkipWithError("expected one change");
        benchmark::DoNotOptimize(changes);
    }
}
BENCHMARK(BM_TrackerObserveOneDisplayChanged);

void BM_BannerLayoutFrame(benchmark::State& state) {
    double width = 100.4;
    for (auto _ : state) {
        benchmark::DoNotOptimize(width);
        auto frame = SpaceBannerLayout::frame(width, Rect(0, 0, 1440, 875), 1.25, BannerPosition::bottom, 5);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_BannerLayoutFrame);

// Rows for 1...20 apps in a wide (unlimited) and a narrow (100 pt) width.
void BM_ApplicationRowRule(benchmark::State& state) {
    const double width = state.range(0) ? std::numeric_limits<double>::max() : 100.0;
    int count = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(count);
        auto row = BannerApplicationLayout::row(count, width, BannerApplicationLayout::IconSize{16});
        benchmark::DoNotOptimize(row);
        count = count == 20 ? 1 : count + 1;
    }
}
BENCHMARK(BM_ApplicationRowRule)->Arg(1)->Arg(0);

std::vector<SpaceApplication> applications(int count) {
    std::vector<SpaceApplication> list;
    for (int i = 0; i < count; ++i)
        list.push_back({"app" + std::to_string(i), "App " + std::to_string(i), "file:///Applications/App" + std::to_string(i) + ".app/"});
    return list;
}

// Measure, frame, configure, schedule the fade and the dismissal.
void BM_BannerShow(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    ApplicationIconCache icons([] { return 0.0; }, ApplicationIconCache::workspaceResolver);
    SpaceNameBanner banner(&icons);
    AppPreferences preferences;
    for (auto _ : state) {
        auto token = banner.show("Planning and reviews", Rect(0, 0, 1440, 875), preferences, false);
        benchmark::DoNotOptimize(token);
    }
}
BENCHMARK(BM_BannerShow)->Unit(benchmark::kMicrosecond);

void BM_BannerTwentyAppRow(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    ApplicationIconCache icons([] { return 0.0; }, ApplicationIconCache::workspaceResolver);
    SpaceNameBanner banner(&icons);
    AppPreferences preferences;
    const auto apps = applications(20);
    for (auto _ : state) {
        state.PauseTiming();
        auto token = banner.show("Planning", Rect(0, 0, 1440, 875), preferences, false);
        state.ResumeTiming();
        banner.updateApplications(apps, *token);
    }
    if (banner.content().applicationRow().applicationCount() != 20) state.SkipWithError("the row was not added");
}
BENCHMARK(BM_BannerTwentyAppRow)->Unit(benchmark::kMicrosecond);

// A switch on one display of 6 x 16 and the first sample: forced catalog refresh, tracker, one
// banner (apps off, so no load starts).
void BM_SampleAfterSwitch(benchmark::State& state) {
    testkit::BannerWorld world(testkit::manyDisplaysSession(kDisplays, kDesktopsPerDisplay, kWindows));
    world.settings.update([](AppPreferences& p) { p.bannerShowsApplications = false; });
    world.controller.start();
    std::uint64_t target = 2;
    for (auto _ : state) {
        state.PauseTiming();
        world.env.session.switchDesktop(1, target);
        target = target == 2 ? 1 : 2;
        world.env.settle();  // the notification reaches the controller, which schedules its samples
        state.ResumeTiming();
        world.env.advance(SpaceBannerController::firstSampleDelay);
        state.PauseTiming();
        world.env.advance(1);  // the second sample and the rest, untimed
        state.ResumeTiming();
    }
    if (world.records("shown").empty()) state.SkipWithError("no banner was shown");
}
BENCHMARK(BM_SampleAfterSwitch)->Unit(benchmark::kMicrosecond);

// The visibility tick's own work on a list of 400 windows with Mission Control closed.
void BM_VisibilityCheckOf400Windows(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.load(testkit::manyDisplaysSession(kDisplays, kDesktopsPerDisplay, kWindows));
    // Every window of the session, on screen or not, stands in for a busy screen's list.
    const auto list = platform::current().windowServer->copyWindowList(0, 0);
    if (!list || list->asArray()->size() < 400) state.SkipWithError("the list is short");
    for (auto _ : state) {
        bool visible = MissionControlVisibility::isVisible(list);
        benchmark::DoNotOptimize(visible);
    }
}
BENCHMARK(BM_VisibilityCheckOf400Windows)->Unit(benchmark::kMicrosecond);

// For reference: the same tick with the simulated list produced each time.
void BM_VisibilityTickWithListProduction(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.load(testkit::manyDisplaysSession(kDisplays, kDesktopsPerDisplay, kWindows));
    for (auto _ : state) {
        bool visible = MissionControlVisibility::isVisible(MissionControlVisibility::currentSnapshot());
        benchmark::DoNotOptimize(visible);
    }
}
BENCHMARK(BM_VisibilityTickWithListProduction)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
