#include <benchmark/benchmark.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/desktop_names_view.h"
#include "app/software_updates.h"
#include "app/tarnwick_settings_view.h"
#include "applications/application_icon_cache.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "overview_workload.h"
#include "platform/ui/declarative/hosting_view.h"
#include "platform/ui/panel.h"
#include "support/executor.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using bench::uuidFor;

constexpr int kDisplays = 6;
constexpr int kDesktopsPerDisplay = 16;
constexpr int kAppsPerDesktop = 8;

// The Desktop Names window's view over six displays of sixteen desktops with eight apps each,
// hosted at the window's size and shown.
struct NamesWorkload {
    testkit::TestEnvironment env;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    SpaceApplicationSnapshotLoader loader{[this] { return env.clock.uptime(); }, nullptr, &reader};
    ApplicationIconCache icons{[this] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    InventoryRefreshScheduler scheduler{[](InventoryRefreshScheduler::FireAction, double) {
        return InventoryRefreshScheduler::StopAction([] {});
    }};
    std::unique_ptr<DesktopNamesModel> model;
    std::unique_ptr<SettingsModel> settings;
    std::unique_ptr<DesktopApplicationInventory> inventory;
    std::shared_ptr<ui::HostingView> hosting;
    std::unique_ptr<ui::Panel> panel;

    NamesWorkload() {
        env.session.loadDefaultSession();
        model = std::make_unique<DesktopNamesModel>();
        settings = std::make_unique<SettingsModel>();
        std::vector<DesktopMonitor> monitors;
        DesktopApplicationInventory::Entries entries;
        int space = 1;
        for (int d = 0; d < kDisplays; ++d) {
            DesktopMonitor monitor{uuidFor(0xD15, d), "Display " + std::to_string(d + 1), Rect(d * 2560, 0, 2560, 1440), {}};
            for (int k = 0; k < kDesktopsPerDisplay; ++k, ++space) {
                const std::string id = uuidFor(0xDE5, space);
                monitor.desktops.push_back({id, static_cast<std::uint64_t>(space), "Desktop " + std::to_string(space), k == 0});
                DesktopApplicationInventory::Entry entry{{}, DesktopApplicationInventory::Status::ready};
                for (int a = 0; a < kAppsPerDesktop; ++a) {
                    const int app = (space * 3 + a) % 40;
                    entry.apps.push_back({"com.example.app" + std::to_string(app), "App " + std::to_string(app), std::nullopt});
                }
                entries[id] = std::move(entry);
            }
            monitors.push_back(std::move(monitor));
        }
        model->monitors.set(std::move(monitors));
        inventory = std::make_unique<DesktopApplicationInventory>(
            [this] { return model->monitors.get(); }, [] {}, &scheduler,
            DesktopApplicationInventory::Services{&loader, &icons, {}, {}});
        inventory->entries.set(std::move(entries));
        hosting = std::make_shared<ui::HostingView>(std::make_unique<DesktopNamesView>(*model, *inventory, *settings));
        panel = std::make_unique<ui::Panel>(Rect(100, 100, 650, 650), ui::style_mask::kTitled);
        panel->setContentView(hosting);
        panel->makeKeyAndOrderFront();
        env.settle();
    }
};

void BM_RenderDesktopNamesView(benchmark::State& state) {
    NamesWorkload workload;
    for (auto _ : state) workload.hosting->host().render();
    state.counters["icons"] = kDisplays * kDesktopsPerDisplay * kAppsPerDesktop;
}
BENCHMARK(BM_RenderDesktopNamesView)->Unit(benchmark::kMillisecond);

// The settings window's view on its General page at the window's size.
struct SettingsWorkload {
    testkit::TestEnvironment env;
    std::unique_ptr<DesktopNamesModel> names;
    std::unique_ptr<SettingsModel> settings;
    std::unique_ptr<SoftwareUpdates> updates;
    std::shared_ptr<ui::HostingView> hosting;
    std::unique_ptr<ui::Panel> panel;

    explicit SettingsWorkload(SettingsTab tab) {
        env.session.loadDefaultSession();
        names = std::make_unique<DesktopNamesModel>();
        settings = std::make_unique<SettingsModel>();
        updates = std::make_unique<SoftwareUpdates>();
        settings->update([](AppPreferences& p) {
            p.missionControlApplicationsEnabled = true;
            p.missionControlBannerEnabled = true;
        });
        settings->tab.set(tab);
        hosting = std::make_shared<ui::HostingView>(std::make_unique<TarnwickSettingsView>(*settings, *names, *updates));
        panel = std::make_unique<ui::Panel>(Rect(100, 100, 760, 560), ui::style_mask::kTitled);
        panel->setContentView(hosting);
        panel->makeKeyAndOrderFront();
        env.settle();
    }
};

void BM_RenderGeneralPage(benchmark::State& state) {
    SettingsWorkload workload(SettingsTab::general);
    for (auto _ : state) workload.hosting->host().render();
}
BENCHMARK(BM_RenderGeneralPage)->Unit(benchmark::kMicrosecond);

// One character typed into a desktop's name field: the edit, the rename and the names file
// written atomically in the test's home folder.
void BM_KeystrokeToNamesFile(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    DesktopNamesModel model;
    SettingsModel settings;
    SpaceApplicationReader reader{std::make_shared<LoopExecutor>(env.loop)};
    SpaceApplicationSnapshotLoader loader{[&env] { return env.clock.uptime(); }, nullptr, &reader};
    ApplicationIconCache icons{[&env] { return env.clock.uptime(); }, ApplicationIconCache::workspaceResolver};
    InventoryRefreshScheduler scheduler{[](InventoryRefreshScheduler::FireAction, double) {
        return InventoryRefreshScheduler::StopAction([] {});
    }};
    DesktopApplicationInventory inventory([&model] { return model.monitors.get(); }, [] {}, &scheduler,
                                          DesktopApplicationInventory::Services{&loader, &icons, {}, {}});
    auto hosting = std::make_shared<ui::HostingView>(std::make_unique<DesktopNamesView>(model, inventory, settings));
    ui::Panel panel(Rect(100, 100, 650, 650), ui::style_mask::kTitled);
    panel.setContentView(hosting);
    panel.makeKeyAndOrderFront();
    env.settle();
    const std::string desktop = "6F1C2B9E-0D4A-4C8E-9B3F-2A7D5E1C8B40";
    auto& host = hosting->host();
    for (auto _ : state) {
        state.PauseTiming();
        if (model.drafts->count(desktop) && model.drafts->at(desktop).size() >= 24) model.rename("", desktop);
        env.settle();
        const ui::Node* field = host.find(DesktopNamesView::nameIdentifier(desktop));
        state.ResumeTiming();
        host.type(*field, "a");
    }
}
BENCHMARK(BM_KeystrokeToNamesFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
