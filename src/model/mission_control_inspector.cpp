#include "model/mission_control_inspector.h"

#include <cmath>
#include <string_view>
#include <vector>

#include "model/private_spaces.h"
#include "platform/platform.h"
#include "support/json.h"
#include "support/run_loop.h"
#include "support/time_format.h"

namespace tarnwick {

namespace {

constexpr int kMaximumDepth = 17;
constexpr size_t kMaximumNodes = 2000;
constexpr float kElementTimeout = 0.03f;
constexpr float kHostTimeout = 0.15f;
constexpr std::string_view kWindowManagerBundleID = "com.apple.WindowManager";
constexpr std::string_view kDockBundleID = "com.apple.dock";
constexpr const char* kStringAttributes[] = {"AXRole", "AXSubrole", "AXTitle", "AXDescription", "AXIdentifier", "AXValue"};
constexpr const char* kWritableQueries[] = {"AXTitle", "AXValue", "AXDescription"};

// The attribute's value; nothing on any error, and nothing when a successful copy yields no value.
std::optional<Value> read(ElementRef element, const std::string& attribute) {
    Value value;
    if (platform::current().accessibility->copyAttributeValue(element, attribute, value) != platform::ax_error::kSuccess ||
        value.isNull())
        return std::nullopt;
    return value;
}

Value rectValue(double x, double y, double width, double height) {
    Dictionary d;
    d["x"] = x;
    d["y"] = y;
    d["width"] = width;
    d["height"] = height;
    return Value(std::move(d));
}

// The element's frame from its position and size. Non-finite numbers are left out with the
// frame, so a dump always stays writable as JSON.
std::optional<Value> frame(ElementRef element) {
    auto position = read(element, "AXPosition");
    if (!position || !position->asGeometry() || position->asGeometry()->kind != GeometryValue::Kind::point)
        return std::nullopt;
    auto size = read(element, "AXSize");
    if (!size || !size->asGeometry() || size->asGeometry()->kind != GeometryValue::Kind::size) return std::nullopt;
    const Point p = position->asGeometry()->point;
    const Size s = size->asGeometry()->size;
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(s.width) || !std::isfinite(s.height))
        return std::nullopt;
    return rectValue(p.x, p.y, s.width, s.height);
}

bool isDetailNode(const Dictionary& node) {
    auto role = node.find("AXRole");
    auto title = node.find("AXTitle");
    if (role == node.end() || title == node.end() || !role->second.asString() || !title->second.asString()) return false;
    return *role->second.asString() == "AXButton" && title->second.asString()->rfind("Desktop ", 0) == 0;
}

void addDetails(ElementRef element, Dictionary& node) {
    auto& ax = *platform::current().accessibility;
    std::vector<std::string> names;
    if (ax.copyAttributeNames(element, names) != platform::ax_error::kSuccess) names.clear();
    std::vector<std::string> parameterized;
    if (ax.copyParameterizedAttributeNames(element, parameterized) != platform::ax_error::kSuccess) parameterized.clear();
    node["supportedAttributes"] = arrayValue(names);
    node["parameterizedAttributes"] = arrayValue(parameterized);
    Dictionary writable;
    for (const char* attribute : kWritableQueries) {
        bool settable = false;
        if (ax.isAttributeSettable(element, attribute, settable) == platform::ax_error::kSuccess)
            writable[attribute] = settable;
    }
    node["writableAttributes"] = Value(std::move(writable));
    Dictionary values;
    for (const auto& name : names)
        if (auto value = read(element, name)) values[name] = describe(*value);
    node["attributeValues"] = Value(std::move(values));
}

struct Visit {
    bool details;
    bool includeElements;
    std::optional<double> deadline;
    Array nodes;
    std::vector<ElementRef> visited;

    void visit(ElementRef element, int depth, std::optional<int> parent) {
        if (depth > kMaximumDepth || nodes.size() >= kMaximumNodes) return;
        if (deadline && !(systemUptime() < *deadline)) return;
        for (const auto& seen : visited)
            if (seen == element) return;
        auto& ax = *platform::current().accessibility;
        if (includeElements) ax.setMessagingTimeout(element, kElementTimeout);
        visited.push_back(element);

        const int index = static_cast<int>(nodes.size());
        Dictionary node;
        node["index"] = index;
        node["depth"] = depth;
        if (includeElements) node["element"] = element;
        if (parent) node["parent"] = *parent;
        for (const char* attribute : kStringAttributes)
            if (auto value = read(element, attribute); value && value->asString()) node[attribute] = *value;
        if (auto f = frame(element)) node["frameAX"] = *f;
        if (details && isDetailNode(node)) addDetails(element, node);
        nodes.emplace_back(std::move(node));

        for (const char* list : {"AXChildren", "AXWindows"}) {
            auto value = read(element, list);
            if (!value || !value->asArray()) continue;
            std::vector<ElementRef> children;
            bool allElements = true;
            for (const auto& item : *value->asArray()) {
                if (!item.asElement()) {
                    allElements = false;
                    break;
                }
                children.push_back(*item.asElement());
            }
            if (!allElements) continue;
            for (auto child : children) visit(child, depth + 1, index);
        }
    }
};

Value displayEntries() {
    auto& p = platform::current();
    Array entries;
    for (const auto& screen : p.displays->screens()) {
        std::uint32_t displayID = 0;
        if (auto it = screen.deviceDescription.find("NSScreenNumber"); it != screen.deviceDescription.end())
            displayID = it->second.toUInt32().value_or(0);
        Dictionary entry;
        entry["name"] = screen.localizedName;
        entry["displayID"] = Value(displayID);
        entry["scale"] = screen.backingScaleFactor;
        const Rect& f = screen.frame;
        entry["frameAppKit"] = rectValue(f.minX(), f.minY(), f.width(), f.height());
        const Rect b = p.displays->bounds(displayID);
        entry["boundsCG"] = rectValue(b.minX(), b.minY(), b.width(), b.height());
        Dictionary pixels;
        pixels["width"] = Value(p.displays->pixelsWide(displayID));
        pixels["height"] = Value(p.displays->pixelsHigh(displayID));
        entry["pixels"] = Value(std::move(pixels));
        entries.emplace_back(std::move(entry));
    }
    return Value(std::move(entries));
}

Value hostEntries(bool trusted) {
    auto& p = platform::current();
    Array entries;
    for (const auto& app : p.workspace->runningApplications()) {
        if (app.bundleIdentifier != kWindowManagerBundleID && app.bundleIdentifier != kDockBundleID) continue;
        const ElementRef element = p.accessibility->createApplication(app.processIdentifier);
        p.accessibility->setMessagingTimeout(element, kHostTimeout);
        std::vector<std::string> names;
        const platform::AXError status = p.accessibility->copyAttributeNames(element, names);
        if (status != platform::ax_error::kSuccess) names.clear();
        Dictionary entry;
        entry["bundleID"] = app.bundleIdentifier.value_or("");
        entry["pid"] = app.processIdentifier;
        entry["attributeReadError"] = status;
        entry["attributes"] = arrayValue(names);
        entry["tree"] = trusted ? Value(MissionControlInspector::tree(element, true, false, std::nullopt)) : Value(Array{});
        entries.emplace_back(std::move(entry));
    }
    return Value(std::move(entries));
}

Value hostWindows() {
    Array windows;
    auto list = platform::current().windowServer->copyWindowList(
        platform::window_list::kOptionOnScreenOnly | platform::window_list::kOptionExcludeDesktopElements,
        platform::window_list::kNullWindowID);
    if (!list || !list->asArray()) return Value(std::move(windows));
    for (const auto& entry : *list->asArray()) {
        auto owner = entry.find(platform::window_list::kOwnerName);
        if (!owner || !owner->asString()) continue;
        if (*owner->asString() == "WindowManager" || *owner->asString() == "Dock") windows.push_back(entry);
    }
    return Value(std::move(windows));
}

}  // namespace

Array MissionControlInspector::tree(ElementRef root, bool details, bool includeElements, std::optional<double> deadline) {
    Visit visit{details, includeElements, deadline, {}, {}};
    visit.visit(root, 0, std::nullopt);
    return std::move(visit.nodes);
}

Value MissionControlInspector::snapshot() {
    auto& p = platform::current();
    const bool trusted = p.accessibility->isProcessTrusted();
    Dictionary result;
    result["displays"] = displayEntries();
    result["hosts"] = hostEntries(trusted);
    result["timestamp"] = iso8601(wallClockNow());
    result["os"] = p.system->operatingSystemVersionString();
    result["accessibilityTrusted"] = trusted;
    result["screenCaptureAllowed"] = p.system->preflightScreenCaptureAccess();
    result["hostWindows"] = hostWindows();
    result["privateSpaces"] = PrivateSpaces::snapshot();
    result["overlayEnabled"] = false;
    return Value(std::move(result));
}

std::string MissionControlInspector::json(const Value& value) {
    return json::write(value, json::Style::pretty).value_or(std::string());
}

}  // namespace tarnwick
