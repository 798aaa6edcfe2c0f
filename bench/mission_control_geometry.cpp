#include <benchmark/benchmark.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "model/fake_geometry_access.h"
#include "model/mission_control_geometry_reader.h"
#include "model/mission_control_geometry_traversal.h"
#include "testkit/test_environment.h"

namespace tarnwick {
namespace {

// One element of the benchmark tree.
struct Element {
    std::string role;
    std::string identifier;
    std::string title;
    std::optional<Rect> frame;
    std::vector<int> children;
};

// Mission Control with two displays of 16 desktops each, plus 140 window previews of 7 elements
// per display: 2,000 elements, the most one read accepts.
std::vector<Element> missionControlTree() {
    std::vector<Element> elements(1);  // ids start at 1
    auto add = [&](Element element) {
        elements.push_back(std::move(element));
        return static_cast<int>(elements.size() - 1);
    };
    const int app = add({"AXApplication", "", "", std::nullopt, {}});
    const int group = add({"AXGroup", "mc", "", std::nullopt, {}});
    elements[app].children = {group};
    int desktop = 0;
    for (int d = 0; d < 2; ++d) {
        const double left = d * 1512.0;
        const int display = add({"AXGroup", "mc.display", "", Rect(left, 0, 1512, 982), {}});
        elements[group].children.push_back(display);
        const int bar = add({"AXGroup", "mc.spaces", "", Rect(left, 0, 1512, 40), {}});
        elements[display].children.push_back(bar);
        for (int b = 0; b < 16; ++b) {
            const int button = add({"AXButton", "", "Desktop " + std::to_string(++desktop),
                                    Rect(left + 10 + b * 90, 4, 84, 30), {}});
            elements[bar].children.push_back(button);
        }
        const int previews = add({"AXGroup", "mc.windows", "", std::nullopt, {}});
        elements[display].children.push_back(previews);
        for (int w = 0; w < 140; ++w) {
            const int window = add({"AXGroup", "", "", std::nullopt, {}});
            elements[previews].children.push_back(window);
            for (const char* role : {"AXImage", "AXStaticText", "AXButton", "AXButton", "AXImage", "AXSeparator"}) {
                const int leaf = add({role, "", "", std::nullopt, {}});  // adding may move `elements`
                elements[window].children.push_back(leaf);
            }
        }
    }
    return elements;
}

FakeGeometryAccess fakeAccess(const std::vector<Element>& elements) {
    FakeGeometryAccess access;
    for (int id = 1; id < static_cast<int>(elements.size()); ++id) {
        const Element& e = elements[id];
        auto builder = access.add(id, e.role, e.identifier);
        if (!e.title.empty()) builder.title(e.title);
        if (e.frame) builder.frame(e.frame->origin.x, e.frame->origin.y, e.frame->size.width, e.frame->size.height);
        if (!MissionControlGeometryTraversal::isLeafRole(e.role)) builder.children(e.children);
    }
    return access;
}

// The same tree as a session file for the simulated Accessibility port.
std::string sessionJson(const std::vector<Element>& elements, int id) {
    const Element& e = elements[id];
    std::string out = R"({"attributes": {"AXRole": ")" + e.role + "\"";
    if (!e.identifier.empty()) out += R"(, "AXIdentifier": ")" + e.identifier + "\"";
    if (!e.title.empty()) out += R"(, "AXTitle": ")" + e.title + "\"";
    if (e.frame)
        out += R"(, "AXPosition": {"$point": [)" + std::to_string(e.frame->origin.x) + ", " +
               std::to_string(e.frame->origin.y) + R"(]}, "AXSize": {"$size": [)" + std::to_string(e.frame->size.width) +
               ", " + std::to_string(e.frame->size.height) + "]}";
    out += "}, \"children\": [";
    for (size_t i = 0; i < e.children.size(); ++i) out += (i ? "," : "") + sessionJson(elements, e.children[i]);
    return out + "]}";
}

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void BM_TraverseFakeTree(benchmark::State& state) {
    const auto elements = missionControlTree();
    auto access = fakeAccess(elements);
    const std::function<double()> now = steadySeconds;
    for (auto _ : state) {
        auto snapshot = MissionControlGeometryTraversal::read(1, access, {}, now);
        if (!snapshot.complete || snapshot.nodeCount != 2000) state.SkipWithError("the read was not complete");
        benchmark::DoNotOptimize(snapshot.tree.data());
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_TraverseFakeTree)->Unit(benchmark::kMicrosecond);

void BM_ReadSimulatedSession(benchmark::State& state) {
    testkit::TestEnvironment env(0);
    env.session.load(R"({"applications": [{"pid": 7, "bundleID": "com.apple.WindowManager"}],
                         "accessibility": {"trees": [{"pid": 7, "root": )" +
                     sessionJson(missionControlTree(), 1) + "}]}}");
    MissionControlGeometryReader reader;
    for (auto _ : state) {
        auto snapshot = reader.readNow(7);
        if (!snapshot.complete || snapshot.nodeCount != 2000) state.SkipWithError("the read was not complete");
        benchmark::DoNotOptimize(snapshot.tree.data());
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_ReadSimulatedSession)->Unit(benchmark::kMicrosecond);

void BM_ReadDefaultSessionMissionControl(benchmark::State& state) {
    testkit::TestEnvironment env(0);
    env.session.loadDefaultSession();
    env.session.openMissionControl();
    MissionControlGeometryReader reader;
    for (auto _ : state) {
        auto snapshot = reader.readNow(120);
        if (!snapshot.complete) state.SkipWithError("the read was not complete");
        benchmark::DoNotOptimize(snapshot.tree.data());
    }
}
BENCHMARK(BM_ReadDefaultSessionMissionControl)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
