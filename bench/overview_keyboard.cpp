#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "overview/overview_focus_order.h"
#include "overview/overview_keyboard_command.h"
#include "overview/workstation_preview_view.h"
#include "support/executor.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

constexpr int kDisplays = 6;
constexpr int kDesktopsPerDisplay = 16;
constexpr int kWindows = 400;
constexpr int kApplications = 40;

std::string uuidFor(int kind, int n) {
    char text[40];
    std::snprintf(text, sizeof text, "%08X-0000-4000-8000-%012X", kind, n);
    return text;
}

// Six displays of sixteen desktops and 400 windows of forty apps spread over them (every tenth
// window on two desktops), as the overview's models hold them.
struct Workload {
    testkit::TestEnvironment env;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    SpaceApplicationSnapshotLoader loader{[this] { return env.clock.uptime(); }, nullptr, &reader};
    ApplicationIconCache icons{[this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    InventoryRefreshScheduler scheduler{[](InventoryRefreshScheduler::FireAction, double) {
        return InventoryRefreshScheduler::StopAction([] {});
    }};
    std::unique_ptr<DesktopNamesModel> model;
    std::unique_ptr<DesktopApplicationInventory> inventory;
    WorkstationPreviewStatus status;
    std::unique_ptr<SettingsModel> settings;
    std::unique_ptr<WorkstationPreviewView> view;

    Workload() {
        env.session.loadDefaultSession();
        model = std::make_unique<DesktopNamesModel>();
        settings = std::make_unique<SettingsModel>();
        std::vector<DesktopMonitor> monitors;
        std::vector<std::string> desktopIDs;
        int space = 1;
        for (int d = 0; d < kDisplays; ++d) {
            DesktopMonitor monitor{uuidFor(0xD15, d), "Display " + std::to_string(d + 1), Rect(d * 2560, 0, 2560, 1440), {}};
            for (int k = 0; k < kDesktopsPerDisplay; ++k, ++space) {
                desktopIDs.push_back(uuidFor(0xDE5, space));
                monitor.desktops.push_back({desktopIDs.back(), static_cast<std::uint64_t>(space),
                                            "Desktop " + std::to_string(space), k == 0});
            }
            monitors.push_back(std::move(monitor));
        }
        model->monitors.set(std::move(monitors));

        std::vector<std::set<int>> appsByDesktop(desktopIDs.size());
        for (int w = 0; w < kWindows; ++w) {
            const int app = (w * 7) % kApplications;
            appsByDesktop[static_cast<std::size_t>(w) % desktopIDs.size()].insert(app);
            if (w % 10 == 0) appsByDesktop[static_cast<std::size_t>(w * 3 + 1) % desktopIDs.size()].insert(app);
        }
        DesktopApplicationInventory::Entries entries;
        for (std::size_t i = 0; i < desktopIDs.size(); ++i) {
            DesktopApplicationInventory::Entry entry{{}, DesktopApplicationInventory::Status::ready};
            for (int app : appsByDesktop[i])
                entry.apps.push_back({"com.example.app" + std::to_string(app), "App " + std::to_string(app), std::nullopt});
            entries[desktopIDs[i]] = std::move(entry);
        }
        inventory = std::make_unique<DesktopApplicationInventory>(
            [this] { return model->monitors.get(); }, [] {}, &scheduler,
            DesktopApplicationInventory::Services{&loader, &icons, {}, {}});
        inventory->entries.set(std::move(entries));
        view = std::make_unique<WorkstationPreviewView>(*model, *inventory, status, *settings,
                                                        [](const WorkstationSelection&) {});
    }
};

void BM_FocusOrder(benchmark::State& state) {
    Workload workload;
    std::size_t targets = 0;
    for (auto _ : state) {
        auto order = workload.view->focusOrder();
        targets = order.size();
        benchmark::DoNotOptimize(order);
    }
    state.counters["targets"] = static_cast<double>(targets);
}
BENCHMARK(BM_FocusOrder)->Unit(benchmark::kMicrosecond);

// From the last target, so the search walks the whole order before wrapping.
void BM_FocusOrderNext(benchmark::State& state) {
    Workload workload;
    const auto order = workload.view->focusOrder();
    const std::optional<OverviewFocusTarget> current = order.back();
    for (auto _ : state) {
        auto next = OverviewFocusOrder::next(current, order, false);
        benchmark::DoNotOptimize(next);
    }
    state.counters["targets"] = static_cast<double>(order.size());
}
BENCHMARK(BM_FocusOrderNext)->Unit(benchmark::kMicrosecond);

void BM_KeyboardCommand(benchmark::State& state) {
    namespace flags = platform::modifier_flags;
    namespace keys = platform::key_codes;
    const std::array<platform::KeyEvent, 5> events{{
        {keys::kTab, "\t", 0},
        {keys::kTab, "\x19", flags::kShift},
        {keys::kReturn, "\r", 0},
        {keys::kEscape, "\x1b", flags::kCommand},
        {0, "a", 0},
    }};
    std::size_t i = 0;
    for (auto _ : state) {
        auto command = keyboardCommand(events[i]);
        benchmark::DoNotOptimize(command);
        i = (i + 1) % events.size();
    }
}
BENCHMARK(BM_KeyboardCommand)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace tarnwick
