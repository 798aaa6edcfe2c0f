#include <benchmark/benchmark.h>

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/desktop_catalog.h"
#include "overlays/label_geometry_flight.h"
#include "overlays/label_locator.h"
#include "overlays/mission_control_application_layout.h"
#include "overlays/mission_control_caption.h"
#include "overlays/rendered_label_reader.h"
#include "platform/sim/capture/mission_control_layout.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// A session of `displays` displays side by side, 1512 x 982 points each, with 16 desktops each
// and Mission Control open.
std::string session(int displays) {
    std::string text = R"({"applications": [{"pid": 120, "bundleID": "com.apple.WindowManager"},
                                             {"pid": 121, "bundleID": "com.apple.dock"}],
                           "missionControl": {"open": true}, "displays": [)";
    int space = 1;
    for (int d = 0; d < displays; ++d) {
        if (d) text += ",";
        text += R"({"id": )" + std::to_string(d + 1) + R"(, "uuid": "00000000-0000-0000-0000-00000000000)" +
                std::to_string(d + 1) + R"(", "bounds": [)" + std::to_string(1512 * d) + R"(, 0, 1512, 982], "spaces": [)";
        for (int s = 0; s < 16; ++s, ++space)
            text += (s ? "," : "") + std::string(R"({"id64": )") + std::to_string(space) + R"(, "uuid": "U)" +
                    std::to_string(space) + R"("})";
        text += "]}";
    }
    return text + "]}";
}

// Recognition bands as the label controller passes them: centred on each button's left edge,
// reaching halfway to the neighbours.
std::vector<Rect> leftEdgeBands(testkit::TestEnvironment& env) {
    std::vector<Rect> bands;
    for (const auto& bar : sim::MissionControlLayout::bars(env.session, env.clock.uptime())) {
        std::vector<double> edges;
        for (const auto& button : bar.buttons) edges.push_back(button.frame.minX());
        for (double edge : edges)
            if (auto band = DesktopCatalog::recognitionRegion(edge, edges, bar.display)) bands.push_back(*band);
    }
    return bands;
}

// One screenshot of the first display's bar: 3024 x 48 pixels holding 16 captions.
platform::Screenshot barScreenshot(testkit::TestEnvironment& env) {
    auto& capture = *env.session.platform().screenCapture;
    std::optional<platform::ShareableContent> content;
    capture.getShareableContent(true, true, [&](auto listed, auto) { content = std::move(listed); });
    env.settle();
    platform::ShareableWindow bar;
    for (const auto& w : content->windows)
        if (w.title == "Spaces Bar" && w.frame.minX() == 0) bar = w;
    platform::ScreenshotConfiguration configuration{Rect(0, 0, 1512, 24), 3024, 48, true, false, false, true};
    std::optional<platform::Screenshot> shot;
    capture.captureImage(capture.makeContentFilter(content->displays.front(), {bar}), configuration,
                         [&](auto image, auto) { shot = std::move(image); });
    env.settle();
    return *shot;
}

void BM_ReadSixteenMergedRegions(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.load(session(1));
    const auto image = barScreenshot(env);
    std::vector<Rect> regions;
    for (const auto& button : sim::MissionControlLayout::bars(env.session, env.clock.uptime()).front().buttons)
        regions.push_back(Rect(button.frame.minX() - 4, 0, button.frame.width() + 8, 24));
    size_t labels = 0;
    for (auto _ : state) {
        auto result = RenderedLabelReader::read(image, Rect(0, 0, 1512, 24), 2048, regions, true);
        labels = result.labels.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["labels"] = static_cast<double>(labels);
}
BENCHMARK(BM_ReadSixteenMergedRegions)->Unit(benchmark::kMicrosecond);

void BM_ReadWholeBar(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.load(session(1));
    const auto image = barScreenshot(env);
    size_t labels = 0;
    int tiles = 0;
    for (auto _ : state) {
        auto result = RenderedLabelReader::read(image, Rect(0, 0, 1512, 24));
        labels = result.labels.size();
        tiles = result.tileCount;
        benchmark::DoNotOptimize(result);
    }
    state.counters["labels"] = static_cast<double>(labels);
    state.counters["tiles"] = tiles;
}
BENCHMARK(BM_ReadWholeBar)->Unit(benchmark::kMicrosecond);

// LabelLocator::inspect over six displays of 16 desktops, two passes, no latency; range(0) = 1
// passes the left-edge bands, 0 reads whole bars.
void BM_LocateSixDisplays(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.load(session(6));
    LabelRecognitionWorker worker;
    std::optional<std::vector<Rect>> regions;
    if (state.range(0)) regions = leftEdgeBands(env);
    double bars = 0, fallbacks = 0;
    for (auto _ : state) {
        auto handle = spawn(LabelLocator::inspect(std::nullopt, std::nullopt, regions, false, 2, {},
                                                  LabelLocatorServices{&worker}));
        while (!handle.isDone()) env.advance(LabelLocator::kPassInterval);
        for (const auto& bar : *handle.result()->find("bars")->asArray()) {
            ++bars;
            if (*bar.find("usedFallback") == Value(true)) ++fallbacks;
        }
    }
    state.counters["fallbackShare"] = bars ? fallbacks / bars : 0;
}
BENCHMARK(BM_LocateSixDisplays)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

Task<int> slowRead(std::int32_t pid) {
    co_await sleepFor(1.0);
    co_return pid;
}

Task<void> ask(LabelGeometryFlight<int>* flight) { co_await flight->read(120, -std::numeric_limits<double>::infinity()); }

// 1,000 requests sharing one read.
void BM_GeometryFlightThousandRequests(benchmark::State& state) {
    ManualClock clock;
    RunLoop loop(clock);
    MainLoopScope scope(loop);
    LabelGeometryFlight<int> flight([](std::int32_t pid) { return slowRead(pid); });
    for (auto _ : state) {
        std::vector<TaskHandle<void>> handles;
        handles.reserve(1000);
        for (int i = 0; i < 1000; ++i) handles.push_back(spawn(ask(&flight)));
        loop.runReady();
        clock.advance(1.0);
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_GeometryFlightThousandRequests)->Unit(benchmark::kMicrosecond);

// The strip frames of 96 expanded previews (six displays of 16).
void BM_StripFramesForNinetySixSlots(benchmark::State& state) {
    testkit::TestEnvironment env;
    env.session.load(session(6));
    env.session.setSpacesBarExpanded(true);
    std::vector<MissionControlApplicationSlot> slots;
    for (const auto& bar : sim::MissionControlLayout::bars(env.session, env.clock.uptime()))
        for (const auto& button : bar.buttons)
            slots.push_back({{"D", "M", 1}, button.caption, button.frame, bar.bar, bar.display, button.frame.width()});
    int placed = 0;
    for (auto _ : state) {
        placed = 0;
        for (const auto& slot : slots)
            if (MissionControlApplicationLayout::frame(slot, 2, 12)) ++placed;
        benchmark::DoNotOptimize(placed);
    }
    state.counters["placed"] = placed;
}
BENCHMARK(BM_StripFramesForNinetySixSlots)->Unit(benchmark::kMicrosecond);

// The worst font size: a name that never fits in two lines, measured at 13, 12.5, 12 and 11.5.
void BM_CaptionFontSizeWorstCase(benchmark::State& state) {
    testkit::TestEnvironment env;
    const std::string name = "A desktop name far too long to fit in two lines of a narrow label";
    double size = 0;
    for (auto _ : state) {
        size = MissionControlCaption::fontSize(name, 13, 60);
        benchmark::DoNotOptimize(size);
    }
    state.counters["size"] = size;
}
BENCHMARK(BM_CaptionFontSizeWorstCase)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
