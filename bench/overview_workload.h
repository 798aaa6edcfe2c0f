#pragma once

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "applications/application_icon_cache.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "overview/workstation_preview_view.h"
#include "support/executor.h"
#include "testkit/test_environment.h"

namespace tarnwick::bench {

constexpr int kDisplays = 6;
constexpr int kDesktopsPerDisplay = 16;
constexpr int kWindows = 400;
constexpr int kApplications = 40;

inline std::string uuidFor(int kind, int n) {
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
    std::unique_ptr<WorkstationPreviewView> owned;
    WorkstationPreviewView* view = nullptr;
    std::vector<std::string> desktopIDs;  // in catalog order

    Workload() {
        env.session.loadDefaultSession();
        model = std::make_unique<DesktopNamesModel>();
        settings = std::make_unique<SettingsModel>();
        std::vector<DesktopMonitor> monitors;
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
        owned = std::make_unique<WorkstationPreviewView>(*model, *inventory, status, *settings,
                                                         [](const WorkstationSelection&) {});
        view = owned.get();
    }
};

}  // namespace tarnwick::bench
