#pragma once

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applications/application_icon_cache.h"
#include "applications/space_application_reader.h"
#include "applications/space_application_snapshot_loader.h"
#include "overview/workstation_preview_view.h"
#include "support/executor.h"
#include "testkit/numbered_uuid.h"
#include "testkit/test_environment.h"

// The overview view over models the test fills by hand.
namespace tarnwick::preview_testing {

namespace flags = platform::modifier_flags;
namespace keys = platform::key_codes;
using View = WorkstationPreviewView;
using Target = OverviewFocusTarget;
using Status = DesktopApplicationInventory::Status;
using Entry = DesktopApplicationInventory::Entry;
using Mode = OverviewInteractionMode;

using testkit::uuidFor;

const std::string kBuiltIn = uuidFor(0xB1);
const std::string kStudio = uuidFor(0x57);
const std::string kD1 = uuidFor(1);
const std::string kD2 = uuidFor(2);
const std::string kD3 = uuidFor(3);
const SpaceApplication kMail{"com.apple.mail", "Mail", std::nullopt};
const SpaceApplication kNotes{"com.apple.Notes", "Notes", std::nullopt};
const SpaceApplication kSafari{"com.apple.Safari", "Safari", std::nullopt};

// Two displays: the built-in one with two desktops, the studio display with one. The first
// desktop's apps are read, the second's not yet, the third's are being read again.
class PreviewViewTest : public ::testing::Test {
protected:
    PreviewViewTest() {
        env.session.loadDefaultSession();
        model = std::make_unique<DesktopNamesModel>();
        model->monitors.set({
            DesktopMonitor{kBuiltIn, "Built-in Retina Display", Rect(0, 0, 1512, 982),
                           {{kD1, 1, "Desktop 1", true}, {kD2, 2, "Desktop 2", false}}},
            DesktopMonitor{kStudio, "Studio Display", Rect(1512, 0, 2560, 1440), {{kD3, 3, "Desktop 3", true}}},
        });
        inventory = std::make_unique<DesktopApplicationInventory>(
            [this] { return model->monitors.get(); }, [] {}, &scheduler,
            DesktopApplicationInventory::Services{&loader, &icons, {}, {}});
        inventory->entries.set({{kD1, Entry{{kMail, kNotes}, Status::ready}}, {kD3, Entry{{kSafari}, Status::loading}}});
        owned = std::make_unique<View>(*model, *inventory, status, settings,
                                       [this](const WorkstationSelection& selection) { picks.push_back(selection); });
        view = owned.get();
        status.dismissRequested = [this] { ++dismissals; };
    }

    void useKeyboard() { status.interactionMode.set(Mode::explicit_); }
    bool press(std::uint16_t code, platform::ModifierFlags modifiers = 0) {
        return view->handleKeyPress({code, {}, modifiers});
    }
    std::optional<Target> selection() const { return view->keyboardSelection.get(); }
    std::optional<Target> focus() const { return view->keyboardFocus.get(); }
    void removeDesktop(const std::string& id) {
        auto monitors = model->monitors.get();
        for (auto& monitor : monitors) std::erase_if(monitor.desktops, [&](const auto& d) { return d.id == id; });
        model->monitors.set(std::move(monitors));
    }

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
    SettingsModel settings;
    std::unique_ptr<View> owned;
    View* view = nullptr;
    std::vector<WorkstationSelection> picks;
    int dismissals = 0;

    const Target d1 = Target::desktop(kD1);
    const Target mail = Target::application(kD1, kMail.id);
    const Target notes = Target::application(kD1, kNotes.id);
    const Target d2 = Target::desktop(kD2);
    const Target d3 = Target::desktop(kD3);
    const Target safari = Target::application(kD3, kSafari.id);
};

}  // namespace tarnwick::preview_testing
