#include <cctype>
#include <cstdio>

#include <benchmark/benchmark.h>

#include "model/desktop_catalog.h"

namespace tarnwick {
namespace {

constexpr int kDisplays = 6;
constexpr int kDesktopsPerDisplay = 16;
constexpr double kDisplayWidth = 2560;
constexpr double kDisplayHeight = 1440;

// Well-spread upper-case UUIDs, as real ones differ from their first digits on.
std::string uuidFor(char kind, int n) {
    const std::uint32_t mixed = (static_cast<std::uint32_t>(n) + 1) * 2654435761u ^ static_cast<std::uint32_t>(kind);
    char text[40];
    std::snprintf(text, sizeof text, "%08X-%04X-4%03X-8%03X-%012X", mixed, mixed >> 16, mixed & 0xFFF,
                  (mixed >> 8) & 0xFFF, mixed);
    return text;
}

Rect boundsOf(int display) { return Rect(display * kDisplayWidth, 0, kDisplayWidth, kDisplayHeight); }

// The private data of six displays with sixteen desktops each, plus a full-screen app per display
// that the catalog skips; identifiers in lower case as the window server may report them.
Array rawDisplays() {
    Array displays;
    std::uint64_t spaceID = 1;
    for (int display = 0; display < kDisplays; ++display) {
        Array spaces;
        for (int desktop = 0; desktop <= kDesktopsPerDisplay; ++desktop) {
            Dictionary space;
            space["id64"] = Value(spaceID);
            space["ManagedSpaceID"] = Value(spaceID);
            space["uuid"] = spaceID == 1 ? std::string() : uuidFor('D', static_cast<int>(spaceID));
            space["type"] = desktop == kDesktopsPerDisplay / 2 ? 4 : 0;
            spaces.emplace_back(std::move(space));
            ++spaceID;
        }
        Dictionary current;
        current["id64"] = Value(spaceID - 2);
        Dictionary entry;
        std::string identifier = uuidFor('A', display);
        for (auto& c : identifier) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        entry["Display Identifier"] = identifier;
        entry["Spaces"] = Value(std::move(spaces));
        entry["Current Space"] = Value(std::move(current));
        displays.emplace_back(std::move(entry));
    }
    return displays;
}

std::vector<MonitorDescriptor> monitors() {
    std::vector<MonitorDescriptor> result;
    // Screens listed in the reverse of the window server's order.
    for (int display = kDisplays - 1; display >= 0; --display)
        result.push_back({uuidFor('A', display), "Display " + std::to_string(display), boundsOf(display)});
    return result;
}

Value frame(double x, double y, double width, double height) {
    Dictionary d;
    d["x"] = x;
    d["y"] = y;
    d["width"] = width;
    d["height"] = height;
    return Value(std::move(d));
}

// Mission Control's node dictionaries for a catalog: per display a display element, a strip of
// desktop previews with one caption button per desktop, and the previews' thumbnails.
Array missionControlTree(const std::vector<DesktopMonitor>& catalog) {
    Array tree;
    auto add = [&tree](Dictionary node, std::optional<int> parent) {
        node["index"] = static_cast<int>(tree.size());
        if (parent) node["parent"] = *parent;
        tree.emplace_back(std::move(node));
        return static_cast<int>(tree.size()) - 1;
    };
    int app = add({{"AXRole", "AXApplication"}, {"depth", 0}}, std::nullopt);
    for (const auto& display : catalog) {
        const Rect& b = display.bounds;
        int element = add({{"AXRole", "AXGroup"}, {"AXIdentifier", "mc.display"}, {"depth", 1},
                           {"frameAX", frame(b.origin.x, b.origin.y, b.size.width, b.size.height)}},
                          app);
        int spaces = add({{"AXRole", "AXGroup"}, {"AXIdentifier", "mc.spaces"}, {"depth", 2},
                          {"frameAX", frame(b.origin.x, b.origin.y, b.size.width, 150)}},
                         element);
        for (size_t i = 0; i < display.desktops.size(); ++i) {
            double x = b.origin.x + 20 + static_cast<double>(i) * 150;
            int preview = add({{"AXRole", "AXGroup"}, {"depth", 3}}, spaces);
            add({{"AXRole", "AXButton"}, {"depth", 4}, {"AXTitle", display.desktops[i].nativeTitle},
                 {"frameAX", frame(x, 110, 120, 20)}},
                preview);
            add({{"AXRole", "AXImage"}, {"depth", 4}}, preview);
        }
    }
    return tree;
}

void BM_ParseCatalog(benchmark::State& state) {
    const Array raw = rawDisplays();
    const auto screens = monitors();
    for (auto _ : state) {
        auto catalog = DesktopCatalog::parse(raw, screens);
        benchmark::DoNotOptimize(catalog);
    }
    state.SetItemsProcessed(state.iterations() * kDisplays * kDesktopsPerDisplay);
}
BENCHMARK(BM_ParseCatalog)->Unit(benchmark::kMicrosecond);

void BM_NativeTitles(benchmark::State& state) {
    const auto catalog = DesktopCatalog::parse(rawDisplays(), monitors());
    const Array tree = missionControlTree(catalog);
    for (auto _ : state) {
        auto titles = DesktopCatalog::nativeTitles(tree, catalog);
        benchmark::DoNotOptimize(titles);
        if (titles.size() != kDisplays * kDesktopsPerDisplay) state.SkipWithError("a desktop lost its title");
    }
    state.SetItemsProcessed(state.iterations() * kDisplays * kDesktopsPerDisplay);
}
BENCHMARK(BM_NativeTitles)->Unit(benchmark::kMicrosecond);

void BM_NativeButtonIndex(benchmark::State& state) {
    const auto catalog = DesktopCatalog::parse(rawDisplays(), monitors());
    const Array tree = missionControlTree(catalog);
    const std::string& desktopID = catalog.back().desktops.back().id;
    for (auto _ : state) {
        auto index = DesktopCatalog::nativeButtonIndex(desktopID, tree, catalog);
        benchmark::DoNotOptimize(index);
        if (!index) state.SkipWithError("the desktop's button was not found");
    }
}
BENCHMARK(BM_NativeButtonIndex)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tarnwick
