#include "overlays/label_live_state.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string_view>

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

// A caption button of a display, as the tree has it.
struct Button {
    const std::string* title;
    std::optional<Rect> frame;
    const Value* rawFrame;  // nothing: the node has no "frameAX"
    const std::string* firstTitle = nullptr;  // the title of the first node with this title
};

Value frameValue(const Value* raw) { return raw ? *raw : Value(Dictionary{}); }

}  // namespace

Value labelFrameMetadata(const Rect& frame) { return rectangleDictionary(frame); }

std::optional<LabelLiveState> labelLiveState(const Array& tree, const LabelConfiguration& configuration,
                                             const MissionControlOverlayOptions& options, bool sampleMode) {
    const auto titles = DesktopCatalog::nativeTitles(tree, configuration.monitors);
    // Which display each native title belongs to.
    std::map<std::string_view, size_t> titleDisplay;
    for (size_t m = 0; m < configuration.monitors.size(); ++m)
        for (const auto& desktop : configuration.monitors[m].desktops)
            if (auto title = titles.find(desktop.id); title != titles.end()) titleDisplay.emplace(title->second, m);
    // Each display's buttons (the nodes titled as one of its desktops, in tree order), and the
    // first node carrying each title.
    std::vector<std::vector<Button>> buttonsOf(configuration.monitors.size());
    std::map<std::string_view, Button> firstWithTitle;
    for (const auto& node : tree) {
        const auto* title = stringAt(node, "AXTitle");
        if (!title) continue;
        const Value* raw = node.find("frameAX");
        Button button{title, DesktopCatalog::rectangle(raw), raw};
        // Buttons of one title share the first one's title string, so that they compare at once.
        button.firstTitle = firstWithTitle.emplace(*title, button).first->second.title;
        if (auto owner = titleDisplay.find(*title); owner != titleDisplay.end()) buttonsOf[owner->second].push_back(button);
    }

    LabelLiveState live;
    // Each target's dictionary is written once: its text enters its display's signature and the
    // overall one (the JSON text of the list of every target and every bar).
    std::string everyTarget = "[";
    const auto append = [](std::string& list, const std::string& text) {
        if (list.size() > 1) list += ',';
        list += text;
    };
    for (size_t m = 0; m < configuration.monitors.size(); ++m) {
        const DesktopMonitor& monitor = configuration.monitors[m];
        const std::vector<Button>& buttons = buttonsOf[m];
        const std::optional<Rect> bar = MissionControlCaption::bar(tree, monitor.bounds);
        std::vector<double> leftEdges;
        for (const auto& button : buttons)
            if (button.frame) leftEdges.push_back(button.frame->minX());

        std::string targets = "[";
        Array identities;
        identities.reserve(monitor.desktops.size());
        for (const auto& desktop : monitor.desktops) {
            const auto title = titles.find(desktop.id);
            Dictionary identity;
            identity.emplace("uuid", desktop.id);
            identity.emplace("spaceID", desktop.spaceID);
            identity.emplace("native", title != titles.end() ? Value(title->second) : Value());
            identity.emplace("current", desktop.isCurrent);
            identities.emplace_back(std::move(identity));

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
            const auto found = firstWithTitle.find(title->second);
            if (found == firstWithTitle.end() || !found->second.frame) continue;
            const Rect frame = *found->second.frame;

            double nearest = std::numeric_limits<double>::infinity();
            for (const auto& other : buttons)
                if (other.frame && other.firstTitle != found->second.title)
                    nearest = std::min(nearest, std::abs(other.frame->minX() - frame.minX()));
            const double widthLimit = std::min(nearest - kCaptionSpacing, kMaximumLabelWidth);

            const auto region = DesktopCatalog::recognitionRegion(frame.minX(), leftEdges, monitor.bounds);
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
                frame,
            });
            Dictionary entry;
            entry.emplace("uuid", desktop.id);
            entry.emplace("native", title->second);
            entry.emplace("name", optionalText(name));
            entry.emplace("spaceID", desktop.spaceID);
            entry.emplace("frame", frameValue(found->second.rawFrame));
            entry.emplace("display", monitor.id);
            entry.emplace("maximumWidth", widthLimit);
            entry.emplace("isCurrent", desktop.isCurrent);
            const std::string text = signatureText(Value(std::move(entry)));
            append(targets, text);
            append(everyTarget, text);
        }
        targets += ']';

        Array buttonEntries;
        buttonEntries.reserve(buttons.size());
        for (const auto& button : buttons) {
            Dictionary entry;
            entry.emplace("title", *button.title);
            entry.emplace("frame", frameValue(button.rawFrame));
            buttonEntries.emplace_back(std::move(entry));
        }
        // The display's own values, then its targets: two JSON texts, each self-delimiting.
        Dictionary display;
        display.emplace("monitor", monitor.id);
        display.emplace("bounds", labelFrameMetadata(monitor.bounds));
        display.emplace("bar", bar ? labelFrameMetadata(*bar) : Value(Dictionary{}));
        display.emplace("identities", std::move(identities));
        display.emplace("buttons", std::move(buttonEntries));
        live.displaySignatures[monitor.id] = signatureText(Value(std::move(display))) + targets;
    }
    for (const auto& node : tree) {
        const auto* identifier = stringAt(node, "AXIdentifier");
        if (identifier && *identifier == "mc.spaces")
            append(everyTarget, signatureText(Value(Dictionary{{"bar", frameValue(node.find("frameAX"))}})));
    }
    if (live.targets.empty()) return std::nullopt;
    everyTarget += ']';
    live.signature = std::move(everyTarget);
    return live;
}

}  // namespace tarnwick
