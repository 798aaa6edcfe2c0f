#include <algorithm>
#include <cmath>
#include <set>

#include "model/desktop_catalog.h"
#include "support/text.h"

namespace tarnwick {

namespace {

constexpr const char* kDisplayIdentifier = "mc.display";
// A caption button and its ancestors up to the display element: the button and 17 ancestors.
constexpr int kMaximumWalk = 18;

const std::string* stringAt(const Value& node, const char* key) {
    const auto* value = node.find(key);
    return value ? value->asString() : nullptr;
}

struct Caption {
    const std::string* title;
    std::optional<Rect> frame;         // the button's own frame
    std::optional<Rect> displayFrame;  // the frame of the display element it lies in
};

std::vector<Caption> captionsOf(const Array& tree) {
    std::vector<Caption> captions;
    for (size_t i = 0; i < tree.size(); ++i) {
        const auto* title = stringAt(tree[i], "AXTitle");
        if (!title || !text::isDesktopTitle(*title)) continue;
        captions.push_back(
            {title, DesktopCatalog::rectangle(tree[i].find("frameAX")), DesktopCatalog::enclosingDisplayFrame(tree, i)});
    }
    return captions;
}

// The titles of one display's captions from left to right, when they pair up one to one with
// its desktops; otherwise nothing.
std::optional<std::vector<const std::string*>> titlesOnDisplay(const std::vector<Caption>& captions,
                                                               const DesktopMonitor& display) {
    std::vector<const Caption*> kept;
    for (const auto& caption : captions)
        if (caption.displayFrame && DesktopCatalog::sameDisplayFrame(*caption.displayFrame, display.bounds))
            kept.push_back(&caption);
    if (kept.size() != display.desktops.size()) return std::nullopt;
    for (const auto* caption : kept)
        if (!caption->frame) return std::nullopt;
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Caption* a, const Caption* b) { return a->frame->minX() < b->frame->minX(); });
    std::set<std::string_view> titles;
    for (size_t i = 0; i < kept.size(); ++i) {
        if (!titles.insert(*kept[i]->title).second) return std::nullopt;
        if (i > 0 && kept[i]->frame->minX() == kept[i - 1]->frame->minX()) return std::nullopt;
    }
    std::vector<const std::string*> result;
    for (const auto* caption : kept) result.push_back(caption->title);
    return result;
}

}  // namespace

std::map<std::string, std::string> DesktopCatalog::nativeTitles(const Array& tree,
                                                                const std::vector<DesktopMonitor>& monitors) {
    const auto captions = captionsOf(tree);
    std::map<std::string, std::string> result;
    std::map<std::string_view, int> uses;
    for (const auto& display : monitors) {
        auto titles = titlesOnDisplay(captions, display);
        if (!titles) continue;
        for (size_t i = 0; i < titles->size(); ++i) {
            result[display.desktops[i].id] = *(*titles)[i];
            ++uses[*(*titles)[i]];
        }
    }
    // A title given to two desktops (on different displays) names neither reliably.
    std::erase_if(result, [&](const auto& entry) { return uses[entry.second] > 1; });
    return result;
}

std::optional<int> DesktopCatalog::nativeButtonIndex(const std::string& desktopID, const Array& tree,
                                                     const std::vector<DesktopMonitor>& monitors) {
    const DesktopMonitor* owner = nullptr;
    int owners = 0;
    for (const auto& display : monitors) {
        auto count = std::count_if(display.desktops.begin(), display.desktops.end(),
                                   [&](const ManagedDesktop& desktop) { return desktop.id == desktopID; });
        if (count > 1) return std::nullopt;
        if (count == 1) {
            owner = &display;
            ++owners;
        }
    }
    if (owners != 1) return std::nullopt;
    auto sameID = std::count_if(monitors.begin(), monitors.end(),
                                [&](const DesktopMonitor& display) { return display.id == owner->id; });
    if (sameID != 1) return std::nullopt;

    const auto titles = nativeTitles(tree, monitors);
    const auto title = titles.find(desktopID);
    if (title == titles.end()) return std::nullopt;

    std::optional<int> found;
    for (size_t i = 0; i < tree.size(); ++i) {
        const auto* nodeTitle = stringAt(tree[i], "AXTitle");
        const auto* role = stringAt(tree[i], "AXRole");
        if (!nodeTitle || *nodeTitle != title->second || !role || *role != "AXButton") continue;
        if (!rectangle(tree[i].find("frameAX"))) continue;
        auto displayFrame = DesktopCatalog::enclosingDisplayFrame(tree, i);
        if (!displayFrame || !DesktopCatalog::sameDisplayFrame(*displayFrame, owner->bounds)) continue;
        if (found) return std::nullopt;
        found = static_cast<int>(i);
    }
    return found;
}

std::optional<Rect> DesktopCatalog::enclosingDisplayFrame(const Array& tree, size_t index) {
    if (index >= tree.size()) return std::nullopt;
    for (int examined = 0; examined < kMaximumWalk; ++examined) {
        const Value& node = tree[index];
        if (const auto* identifier = stringAt(node, "AXIdentifier"); identifier && *identifier == kDisplayIdentifier)
            return rectangle(node.find("frameAX"));
        const auto* parentValue = node.find("parent");
        // A parent must be an integer index inside the tree; anything else ends the walk.
        auto parent = parentValue ? parentValue->toInt64() : std::nullopt;
        if (!parent || *parent < 0 || static_cast<std::uint64_t>(*parent) >= tree.size()) return std::nullopt;
        index = static_cast<size_t>(*parent);
    }
    return std::nullopt;
}

bool DesktopCatalog::sameDisplayFrame(const Rect& a, const Rect& b) {
    return std::abs(a.minX() - b.minX()) < 1.0 && std::abs(a.minY() - b.minY()) < 1.0 &&
           std::abs(a.width() - b.width()) < 1.0 && std::abs(a.height() - b.height()) < 1.0;
}

std::optional<Rect> DesktopCatalog::rectangle(const Value* frame) {
    const auto* dictionary = frame ? frame->asDictionary() : nullptr;
    if (!dictionary) return std::nullopt;
    // Every entry must be a number, as in a dictionary of doubles.
    for (const auto& [key, value] : *dictionary)
        if (!value.toDouble()) return std::nullopt;
    auto read = [&](const char* key) -> std::optional<double> {
        auto it = dictionary->find(key);
        if (it == dictionary->end()) return std::nullopt;
        return it->second.toDouble();
    };
    auto x = read("x"), y = read("y"), width = read("width"), height = read("height");
    if (!x || !y || !width || !height) return std::nullopt;
    Rect rect(*x, *y, *width, *height);
    if (!rect.isUsable()) return std::nullopt;
    return rect;
}

std::optional<Rect> DesktopCatalog::recognitionRegion(double centerX, const std::vector<double>& neighbors,
                                                      const Rect& display) {
    if (!std::isfinite(centerX) || !display.isFinite() || !(display.width() > 0)) return std::nullopt;
    if (centerX < display.minX() || centerX > display.maxX()) return std::nullopt;
    double span = display.width();
    bool haveNeighbor = false;
    for (double neighbor : neighbors) {
        if (!std::isfinite(neighbor) || neighbor == centerX) continue;
        const double distance = std::abs(neighbor - centerX);
        span = haveNeighbor ? std::min(span, distance) : distance;
        haveNeighbor = true;
    }
    const double left = std::max(display.minX(), centerX - span * 0.5);
    const double right = std::min(display.maxX(), centerX + span * 0.5);
    if (!(left < right)) return std::nullopt;
    return Rect(left, display.minY(), right - left, display.height());
}

}  // namespace tarnwick
