#include "overlays/label_live_state.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "model/desktop_catalog.h"
#include "overlays/mission_control_caption.h"
#include "overlays/rectangle_dictionary.h"
#include "support/json.h"

namespace tarnwick {

namespace {

constexpr const char* kSampleTitle = "Desktop 1";
constexpr const char* kSampleName = "Work";
constexpr double kMaximumLabelWidth = 240;
constexpr double kCaptionSpacing = 8;

const std::string* stringAt(const Value& node, const char* key) {
    const Value* value = node.find(key);
    return value ? value->asString() : nullptr;
}

Value optionalText(const std::optional<std::string>& text) { return text ? Value(*text) : Value(); }

Value rawFrame(const Value& node) {
    const Value* frame = node.find("frameAX");
    return frame ? *frame : Value(Dictionary{});
}

// JSON cannot hold non-finite numbers (a frame read from a misbehaving element may carry them);
// they enter a signature as text, so that it still changes exactly when they do.
Value writable(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::floating:
    case Value::Kind::singleFloating: {
        const double d = *value.toDouble();
        if (std::isfinite(d)) return value;
        return Value(std::isnan(d) ? "nan" : d > 0 ? "inf" : "-inf");
    }
    case Value::Kind::array: {
        Array items;
        for (const auto& item : *value.asArray()) items.push_back(writable(item));
        return Value(std::move(items));
    }
    case Value::Kind::dictionary: {
        Dictionary entries;
        for (const auto& [key, item] : *value.asDictionary()) entries[key] = writable(item);
        return Value(std::move(entries));
    }
    case Value::Kind::null:
    case Value::Kind::boolean:
    case Value::Kind::integer:
    case Value::Kind::unsignedInteger:
    case Value::Kind::string: return value;
    default: return Value("unrepresentable");
    }
}

std::string signatureText(const Value& value) {
    if (auto text = json::write(value)) return *text;
    return json::write(writable(value)).value_or(std::string());
}

struct Button {
    std::string title;
    std::optional<Rect> frame;
    Value rawFrame;
};

}  // namespace

Value labelFrameMetadata(const Rect& frame) { return rectangleDictionary(frame); }

std::optional<LabelLiveState> labelLiveState(const Array& tree, const LabelConfiguration& configuration,
                                             const MissionControlOverlayOptions& options, bool sampleMode) {
    const auto titles = DesktopCatalog::nativeTitles(tree, configuration.monitors);
    // The first node carrying each title, in tree order.
    std::map<std::string, size_t> firstWithTitle;
    for (size_t i = 0; i < tree.size(); ++i)
        if (const auto* title = stringAt(tree[i], "AXTitle")) firstWithTitle.emplace(*title, i);

    LabelLiveState live;
    Array everyTarget;
    for (const auto& monitor : configuration.monitors) {
        const std::optional<Rect> bar = MissionControlCaption::bar(tree, monitor.bounds);

        std::set<std::string> monitorTitles;
        for (const auto& desktop : monitor.desktops)
            if (auto title = titles.find(desktop.id); title != titles.end()) monitorTitles.insert(title->second);
        std::vector<Button> buttons;
        std::vector<double> leftEdges;
        if (!monitorTitles.empty())
            for (const auto& node : tree) {
                const auto* title = stringAt(node, "AXTitle");
                if (!title || !monitorTitles.count(*title)) continue;
                Button button{*title, DesktopCatalog::rectangle(node.find("frameAX")), rawFrame(node)};
                if (button.frame) leftEdges.push_back(button.frame->minX());
                buttons.push_back(std::move(button));
            }

        Array targets, identities;
        for (const auto& desktop : monitor.desktops) {
            const auto title = titles.find(desktop.id);
            identities.push_back(Value(Dictionary{
                {"uuid", desktop.id},
                {"spaceID", desktop.spaceID},
                {"native", title != titles.end() ? Value(title->second) : Value()},
                {"current", desktop.isCurrent},
            }));

            std::optional<std::string> name;
            if (sampleMode) {
                if (desktop.nativeTitle != kSampleTitle) continue;
                name = kSampleName;
            } else {
                std::optional<std::string> customName;
                if (auto it = configuration.names.find(desktop.id); it != configuration.names.end()) customName = it->second;
                if (!options.needsCaption(customName)) continue;
                name = options.labelName(customName);
            }
            // Counted whether or not its button is found: a missing one is never confirmed.
            ++live.expectedTargetCount;

            if (title == titles.end()) continue;
            const auto node = firstWithTitle.find(title->second);
            if (node == firstWithTitle.end()) continue;
            const Value& buttonNode = tree[node->second];
            const auto frame = DesktopCatalog::rectangle(buttonNode.find("frameAX"));
            if (!frame) continue;

            double nearest = std::numeric_limits<double>::infinity();
            for (const auto& other : buttons)
                if (other.title != title->second && other.frame)
                    nearest = std::min(nearest, std::abs(other.frame->minX() - frame->minX()));
            const double widthLimit = std::min(nearest - kCaptionSpacing, kMaximumLabelWidth);

            const auto region = DesktopCatalog::recognitionRegion(frame->minX(), leftEdges, monitor.bounds);
            if (!region) continue;

            live.targets.push_back(LabelTarget{
                desktop.id,
                title->second,
                name,
                SpaceNavigationTarget{desktop.id, monitor.id, desktop.spaceID},
                monitor.bounds,
                std::max(widthLimit, 0.0),
                *region,
                desktop.isCurrent,
                bar,
                *frame,
            });
            targets.push_back(Value(Dictionary{
                {"uuid", desktop.id},
                {"native", title->second},
                {"name", optionalText(name)},
                {"spaceID", desktop.spaceID},
                {"frame", rawFrame(buttonNode)},
                {"display", monitor.id},
                {"maximumWidth", widthLimit},
                {"isCurrent", desktop.isCurrent},
            }));
        }

        Array buttonEntries;
        for (const auto& button : buttons)
            buttonEntries.push_back(Value(Dictionary{{"title", button.title}, {"frame", button.rawFrame}}));
        const Value displaySignature(Dictionary{
            {"monitor", monitor.id},
            {"bounds", labelFrameMetadata(monitor.bounds)},
            {"bar", bar ? labelFrameMetadata(*bar) : Value(Dictionary{})},
            {"identities", Value(std::move(identities))},
            {"buttons", Value(std::move(buttonEntries))},
            {"targets", Value(targets)},
        });
        live.displaySignatures[monitor.id] = signatureText(displaySignature);
        for (auto& target : targets) everyTarget.push_back(std::move(target));
    }
    for (const auto& node : tree) {
        const auto* identifier = stringAt(node, "AXIdentifier");
        if (identifier && *identifier == "mc.spaces") everyTarget.push_back(Value(Dictionary{{"bar", rawFrame(node)}}));
    }
    if (live.targets.empty()) return std::nullopt;
    live.signature = signatureText(Value(std::move(everyTarget)));
    return live;
}

}  // namespace tarnwick
