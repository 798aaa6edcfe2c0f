#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "overview/overview_keyboard_hosting_view.h"
#include "overview_workload.h"
#include "platform/ui/panel.h"

namespace tarnwick {
namespace {

namespace ui = platform::ui;
using bench::Workload;
using Hosting = OverviewKeyboardHostingView<WorkstationPreviewView>;

// The overview of the workload hosted as the presenter hosts it, shown in keyboard mode with the
// first desktop selected.
struct HostedWorkload : Workload {
    std::shared_ptr<Hosting> hosting;
    ui::Panel panel{Rect(200, 200, 368, 560), ui::style_mask::kNonactivatingPanel};

    HostedWorkload() {
        hosting = std::make_shared<Hosting>(std::move(owned));
        panel.setContentView(hosting);
        status.interactionMode.set(OverviewInteractionMode::explicit_);
        status.requestFocus(std::nullopt);
        panel.orderFrontRegardless();
        env.settle();
        env.settle();
    }
};

// Everything a render does: the body, the expansion with state and bridged views kept by
// identity, the layout and the reactions.
void BM_RenderWholeView(benchmark::State& state) {
    HostedWorkload workload;
    for (auto _ : state) workload.hosting->host().render();
    state.counters["focusables"] = static_cast<double>(workload.hosting->host().focusableNodes().size());
}
BENCHMARK(BM_RenderWholeView)->Unit(benchmark::kMillisecond);

// One desktop's apps change (an app comes and goes); the published entries render again.
void BM_RenderAfterOneEntryChanges(benchmark::State& state) {
    HostedWorkload workload;
    auto& inventory = *workload.inventory;
    const std::string desktop = workload.desktopIDs[40];
    bool extra = false;
    for (auto _ : state) {
        auto entries = inventory.entries.get();
        auto& apps = entries[desktop].apps;
        if ((extra = !extra))
            apps.push_back({"com.example.extra", "Extra", std::nullopt});
        else
            apps.pop_back();
        inventory.entries.set(std::move(entries));
        workload.env.settle();
    }
}
BENCHMARK(BM_RenderAfterOneEntryChanges)->Unit(benchmark::kMillisecond);

// A Tab delivered to the hosting view until the new selection is rendered and scrolled to.
void BM_TabToNewSelectionRendered(benchmark::State& state) {
    HostedWorkload workload;
    const platform::KeyEvent tab{platform::key_codes::kTab, "\t", 0};
    for (auto _ : state) {
        workload.hosting->keyDown(tab);
        workload.env.settle();
    }
}
BENCHMARK(BM_TabToNewSelectionRendered)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarnwick
