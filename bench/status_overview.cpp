#include <benchmark/benchmark.h>

#include "overview/workstation_hover_state.h"
#include "overview/workstation_preview_layout.h"
#include "overview/workstation_status_click_state.h"
#include "testkit/many_displays_session.h"
#include "testkit/overview_world.h"

namespace tarnwick {
namespace {

// The panel below a status button near the right end of a 1440 x 875 visible frame.
void BM_PreviewLayoutBelowAnchor(benchmark::State& state) {
    Rect anchor(1300, 878, 24, 22);
    Rect visible(0, 0, 1440, 875);
    for (auto _ : state) {
        benchmark::DoNotOptimize(anchor);
        benchmark::DoNotOptimize(visible);
        auto frame = WorkstationPreviewLayout::frame(anchor, visible);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_PreviewLayoutBelowAnchor);

// The panel beside a pointer near the right edge (placed to its left).
void BM_PreviewLayoutAtPointer(benchmark::State& state) {
    Point pointer{1400, 500};
    Rect visible(0, 0, 1440, 875);
    for (auto _ : state) {
        benchmark::DoNotOptimize(pointer);
        benchmark::DoNotOptimize(visible);
        auto frame = WorkstationPreviewLayout::frame(pointer, visible);
        benchmark::DoNotOptimize(frame);
    }
}
BENCHMARK(BM_PreviewLayoutAtPointer);

// One hover operation and its delayed check.
void BM_HoverEnterButtonAndCheck(benchmark::State& state) {
    WorkstationHoverState hover;
    for (auto _ : state) {
        const auto token = hover.enterButton();
        benchmark::DoNotOptimize(hover.shouldOpen(token));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HoverEnterButtonAndCheck);

void BM_HoverMenuOpensAndCloses(benchmark::State& state) {
    WorkstationHoverState hover;
    bool inside = false;
    for (auto _ : state) {
        hover.menuWillOpen();
        benchmark::DoNotOptimize(inside);
        hover.menuDidClose(inside);
        benchmark::DoNotOptimize(hover.shouldClose(hover.leavePreview()));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_HoverMenuOpensAndCloses);

// A single click and the check that opens the menu at its deadline.
void BM_ClickSingleThenTakeMenu(benchmark::State& state) {
    WorkstationStatusClickState click;
    double time = 100;
    for (auto _ : state) {
        benchmark::DoNotOptimize(time);
        const auto action = click.mouseUp(time, 0.5, 1);
        benchmark::DoNotOptimize(click.takeMenu(action.token(), time + 0.5));
        time += 1;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ClickSingleThenTakeMenu);

void BM_ClickDouble(benchmark::State& state) {
    WorkstationStatusClickState click;
    double time = 100;
    for (auto _ : state) {
        benchmark::DoNotOptimize(time);
        benchmark::DoNotOptimize(click.mouseUp(time, 0.5, 1));
        benchmark::DoNotOptimize(click.mouseUp(time + 0.2, 0.5, 2));
        time += 1;
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ClickDouble);

// From the hover-open check firing to the panel ordered in with its first render, over six
// displays of sixteen desktops and 400 windows: the forced catalog refresh, the placement, the
// render and the ordering in. The inventory's read of the apps and the trace's writes wait on
// their own queues (held here and run untimed, with the close between showings).
void BM_HoverOpenToFirstRender(benchmark::State& state) {
    testkit::OverviewWorld world(testkit::OverviewWorld::HoldBackground{}, testkit::manyDisplaysSession(6, 16, 400));
    world.hoverButton();
    const auto rendersBefore = world.host().renderCount();
    for (auto _ : state) {
        state.PauseTiming();
        world.preview->close();
        world.held->runAll();
        world.moveAway();
        world.hoverButton();
        world.env.advance(StatusWorkstationPreview::kHoverOpenDelay - 0.001);
        // As at the first showing: the content renders before the panel comes in.
        world.host().invalidate();
        state.ResumeTiming();
        world.env.advance(0.001);
        benchmark::DoNotOptimize(world.shown());
    }
    state.counters["desktops"] = static_cast<double>(world.preview->keyboardHost()->rootView().desktopCount());
    state.counters["shown"] = world.shown() ? 1 : 0;
    state.counters["rendersPerShowing"] =
        static_cast<double>(world.host().renderCount() - rendersBefore) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HoverOpenToFirstRender)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
