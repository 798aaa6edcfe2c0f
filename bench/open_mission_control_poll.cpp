// The label controller's poll while Mission Control stays open and nothing changes: one desktop
// named, its label placed and settled, so that each poll is the steady state a person sees for as
// long as Mission Control is open. Each iteration is one poll; geometry reads (every other poll)
// and recognitions (every 0.45 s once settled) fall on the polls that are due for them, so the
// time per iteration is the average cost of a poll.

#include <benchmark/benchmark.h>

#include "overlays/label_refresh_schedule.h"
#include "testkit/label_world.h"

namespace tarnwick {
namespace {

using testkit::LabelWorld;

void BM_PollWithMissionControlOpen(benchmark::State& state) {
    LabelWorld world(LabelWorld::Names{{LabelWorld::kDesktop3, "Home"}});
    world.controller.start(false);
    world.env.session.openMissionControl();
    // Long enough for the label to be revealed, confirmed and for recognition to slow down.
    world.runUntil([] { return false; }, 3.0, LabelRefreshSchedule::activeInterval);
    if (world.shownLabels().size() != 1) state.SkipWithError("the label was not placed");

    const int polls = world.controller.polls();
    const int reads = world.geometryReads();
    const int lists = world.windowLists();
    const auto captures = world.captures();
    for (auto _ : state) world.env.advance(LabelRefreshSchedule::activeInterval);  // one poll each

    const double done = static_cast<double>(world.controller.polls() - polls);
    if (done < static_cast<double>(state.iterations())) state.SkipWithError("a poll was skipped");
    if (world.shownLabels().size() != 1) state.SkipWithError("the label came down");
    state.counters["geometryReadsPerPoll"] = (world.geometryReads() - reads) / done;
    state.counters["windowListsPerPoll"] = (world.windowLists() - lists) / done;
    state.counters["capturesPerPoll"] = static_cast<double>(world.captures() - captures) / done;
}
BENCHMARK(BM_PollWithMissionControlOpen)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
