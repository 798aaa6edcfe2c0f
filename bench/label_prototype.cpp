// The label controller's hot paths: an idle poll, the live state of a large Mission Control, a
// placement pass that keeps every label, and a repeated trace record.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/mission_control_geometry_reader.h"
#include "overlays/label_live_state.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "testkit/label_prototype_probe.h"
#include "testkit/label_world.h"
#include "testkit/many_displays_session.h"

namespace tarnwick {
namespace {

using testkit::LabelWorld;

// Six displays of sixteen desktops, every desktop named, Mission Control open.
struct LargeWorld {
    LargeWorld() : world(names(), testkit::manyDisplaysSession(6, 16, 96)) {
        world.env.session.openMissionControl();
        tree = MissionControlGeometryReader().readNow(*world.env.session.windowManagerPID()).tree;
        configuration = world.services.configurationProvider(true);
    }
    static LabelWorld::Names names() {
        LabelWorld::Names result;
        for (int space = 1; space <= 96; ++space) result[testkit::numberedUUID(0xDE5, space)] = "Desktop name " + std::to_string(space);
        return result;
    }
    LabelWorld world;
    Array tree;
    LabelConfiguration configuration;
};

void BM_IdlePollWithLabelsWanted(benchmark::State& state) {
    LabelWorld world(LabelWorld::Names{{LabelWorld::kDesktop2, "Write"}});
    world.controller.start(false);
    for (auto _ : state) world.env.advance(LabelRefreshSchedule::idleInterval);  // one poll each
    state.counters["polls"] = world.controller.polls();
}
BENCHMARK(BM_IdlePollWithLabelsWanted)->Unit(benchmark::kMicrosecond);

void BM_LiveStateOfNinetySixButtons(benchmark::State& state) {
    LargeWorld large;
    std::size_t targets = 0;
    for (auto _ : state) {
        auto live = labelLiveState(large.tree, large.configuration, MissionControlOverlayOptions{}, false);
        targets = live ? live->targets.size() : 0;
        benchmark::DoNotOptimize(live);
    }
    state.counters["targets"] = static_cast<double>(targets);
}
BENCHMARK(BM_LiveStateOfNinetySixButtons)->Unit(benchmark::kMicrosecond);

void BM_PlacementPassKeepingNinetySixLabels(benchmark::State& state) {
    LargeWorld large;
    auto& world = large.world;
    auto live = labelLiveState(large.tree, large.configuration, MissionControlOverlayOptions{}, false);
    std::map<std::string, Rect> captions;
    for (const auto& bar : sim::MissionControlLayout::bars(world.env.session, world.env.clock.uptime()))
        for (const auto& button : bar.buttons) captions[button.title] = button.caption;
    const std::vector<Rect> neighbors;
    // Seen, then seen again still: every label revealed.
    const double t = world.env.clock.uptime();
    for (double at : {t, t + 0.1})
        for (const auto& target : live->targets)
            LabelPrototypeProbe::present(world.controller, target, captions.at(target.nativeTitle), neighbors, at);
    int kept = 0;
    for (auto _ : state) {
        kept = 0;
        for (const auto& target : live->targets)
            kept += LabelPrototypeProbe::present(world.controller, target, captions.at(target.nativeTitle), neighbors, t + 0.2);
    }
    state.counters["kept"] = kept;
}
BENCHMARK(BM_PlacementPassKeepingNinetySixLabels)->Unit(benchmark::kMicrosecond);

void BM_SkippedDuplicateTraceRecord(benchmark::State& state) {
    LabelWorld world;
    const Dictionary fields{{"uuid", LabelWorld::kDesktop4}, {"secondsSinceDetection", 0.075}, {"revealDuration", 0.14}};
    LabelPrototypeProbe::trace(world.controller, "first-overlay", fields);
    for (auto _ : state) LabelPrototypeProbe::trace(world.controller, "first-overlay", fields);
}
BENCHMARK(BM_SkippedDuplicateTraceRecord)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace tarnwick
