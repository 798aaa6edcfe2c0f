#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "overlays/frosted_label_view.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// 96 labels in caption mode (6 displays x 16 desktops): each measures its text and lays out.
void BM_LayoutOf96CaptionLabels(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.loadDefaultSession();
    ApplicationIconCache icons([] { return 0.0; }, [](const std::string&) { return std::nullopt; });
    std::vector<std::shared_ptr<FrostedLabelView>> labels;
    for (int i = 0; i < 96; ++i) {
        auto label = std::make_shared<FrostedLabelView>(Rect(0, 0, 1, 1), &icons);
        label->setContainerShape(FrostedLabelView::ContainerShape::roundedRectangle);
        label->configure("Project " + std::to_string(i) + " reviews", 13, 2);
        label->configureCaption("Desktop " + std::to_string(i + 1), i % 16 == 0);
        labels.push_back(std::move(label));
    }
    double width = 140;
    for (auto _ : state) {
        width = width == 140 ? 141 : 140;
        for (auto& label : labels) {
            const double height = label->textHeight(width);
            label->setFrame(Rect(0, 0, width, height + 8));
            label->layoutSubtreeIfNeeded();
        }
    }
}
BENCHMARK(BM_LayoutOf96CaptionLabels)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
