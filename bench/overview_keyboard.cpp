#include <benchmark/benchmark.h>

#include <array>
#include <optional>

#include "overview/overview_focus_order.h"
#include "overview/overview_keyboard_command.h"
#include "overview_workload.h"

namespace tarnwick {
namespace {

using bench::Workload;

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
