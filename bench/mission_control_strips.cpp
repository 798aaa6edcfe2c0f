#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "overlays/mission_control_application_controller.h"
#include "overlays/mission_control_application_panels.h"
#include "testkit/banner_world.h"
#include "testkit/many_displays_session.h"
#include "testkit/mission_control_slots.h"

namespace tarnwick {
namespace {

using Presentations = std::vector<MissionControlApplicationPresentation>;

// 6 displays x 16 desktops with apps on every one, Mission Control open with its bars expanded,
// and the strip controller showing a strip over each of the 96 previews.
struct NinetySixStrips {
    NinetySixStrips() {
        world.env.session.openMissionControl();
        world.env.session.setSpacesBarExpanded(true);
        world.env.settle();
        world.model.refresh(true);
        controller.setEnabled(true);
        controller.update(testkit::simulatedSlots(world.env.session, world.model.monitors.get()));
        world.env.settle();
    }
    static DesktopApplicationInventory::Services services(testkit::BannerWorld& world) {
        DesktopApplicationInventory::Services services;
        services.loader = &world.loader;
        services.icons = &world.icons;
        return services;
    }

    testkit::BannerWorld world{testkit::manyDisplaysSession(6, 16, 288)};
    InventoryRefreshScheduler scheduler{[](auto, double) { return [] {}; }};
    std::shared_ptr<DesktopApplicationInventory> inventory = std::make_shared<DesktopApplicationInventory>(
        [this] { return world.model.monitors.get(); }, [] {}, &scheduler, services(world));
    int renders = 0;
    MissionControlApplicationController controller{
        [this] { return world.model.monitors.get(); }, inventory,
        [](const SpaceNavigationTarget& target) { return "Apps on " + target.desktopID; },
        [this](const Presentations&) { ++renders; }};
    const Presentations& shown() const { return controller.lastPresentations(); }
};

// The inventory publishes its 96 entries again (a copy made outside the timing). The publication
// itself, without a controller that listens, is measured below: the difference is `present`.
void publishEntries(benchmark::State& state, NinetySixStrips& strips, const DesktopApplicationInventory::Entries& a,
                    const DesktopApplicationInventory::Entries& b) {
    bool flip = false;
    for (auto _ : state) {
        state.PauseTiming();
        flip = !flip;
        auto copy = flip ? a : b;
        state.ResumeTiming();
        strips.inventory->entries.set(std::move(copy));
    }
}

// The 96 strips are unchanged, so nothing renders.
void BM_StripControllerPresentOf96Slots(benchmark::State& state) {
    NinetySixStrips strips;
    if (strips.shown().size() != 96) {
        state.SkipWithError(("strips shown: " + std::to_string(strips.shown().size())).c_str());
        return;
    }
    const auto entries = strips.inventory->entries.get();
    const int before = strips.renders;
    publishEntries(state, strips, entries, entries);
    if (strips.renders != before) state.SkipWithError("an unchanged list was rendered");
}
BENCHMARK(BM_StripControllerPresentOf96Slots)->Unit(benchmark::kMicrosecond);

// One desktop's apps change at every publication: a new list of 96 strips is rendered.
void BM_StripControllerPresentOf96SlotsWithAChange(benchmark::State& state) {
    NinetySixStrips strips;
    if (strips.shown().size() != 96) {
        state.SkipWithError("not every strip is shown");
        return;
    }
    const auto entries = strips.inventory->entries.get();
    auto changed = entries;
    changed.rbegin()->second.apps.pop_back();
    const int before = strips.renders;
    publishEntries(state, strips, changed, entries);
    if (strips.renders - before != int(state.iterations())) state.SkipWithError("a changed list was not rendered");
}
BENCHMARK(BM_StripControllerPresentOf96SlotsWithAChange)->Unit(benchmark::kMicrosecond);

// The same publications with the controller turned off: what they cost without `present`.
void BM_EntriesPublicationWithoutStrips(benchmark::State& state) {
    NinetySixStrips strips;
    const auto entries = strips.inventory->entries.get();
    strips.controller.setEnabled(false);
    publishEntries(state, strips, entries, entries);
}
BENCHMARK(BM_EntriesPublicationWithoutStrips)->Unit(benchmark::kMicrosecond);

// The panels render the same 96 strips again: every panel stays, only set where it already is.
void BM_StripPanelsRenderOf96UnchangedStrips(benchmark::State& state) {
    NinetySixStrips strips;
    ApplicationIconCache icons([] { return 0.0; }, [](const std::string&) { return std::nullopt; });
    MissionControlApplicationPanels panels(nullptr, [&icons] {
        return std::make_unique<MissionControlApplicationPanel>(&icons);
    });
    panels.render(strips.shown());
    if (panels.panelCount() != 96) {
        state.SkipWithError(("panels shown: " + std::to_string(panels.panelCount())).c_str());
        return;
    }
    for (auto _ : state) panels.render(strips.shown());
}
BENCHMARK(BM_StripPanelsRenderOf96UnchangedStrips)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
