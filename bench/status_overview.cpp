#include <benchmark/benchmark.h>

#include "overview/workstation_hover_state.h"
#include "overview/workstation_preview_layout.h"
#include "overview/workstation_status_click_state.h"

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

}  // namespace
}  // namespace tarnwick
