// The session's Accessibility elements: the ones tests make, and the trees generated for every
// application (its windows) and for Mission Control (its desktop buttons), rebuilt after each
// change of state.

#include "platform/sim/capture/mission_control_layout.h"
#include "platform/sim/simulated_session.h"
#include "support/error.h"

namespace tarnwick::sim {

namespace ax = platform::ax_error;

namespace {

AXAttribute attribute(Value value, bool settable = false) {
    AXAttribute a;
    a.value = std::move(value);
    a.settable = settable;
    return a;
}

void setFrame(AXNode& node, const Rect& r) {
    node.attributes["AXPosition"] = attribute(GeometryValue::makePoint(r.origin.x, r.origin.y));
    node.attributes["AXSize"] = attribute(GeometryValue::makeSize(r.size.width, r.size.height));
}

Value elements(const std::vector<std::uint64_t>& ids) {
    Array items;
    for (auto id : ids) items.emplace_back(ElementRef{id});
    return Value(std::move(items));
}

}  // namespace

AXNode& SimulatedSession::node(std::uint64_t id) {
    auto it = nodes_.find(id);
    if (it == nodes_.end()) throw Error("unknown Accessibility element");
    return it->second;
}

AXNode* SimulatedSession::findNode(std::uint64_t id) {
    auto it = nodes_.find(id);
    return it == nodes_.end() ? nullptr : &it->second;
}

AXNode& SimulatedSession::makeNode(std::int32_t pid) {
    auto id = nextNodeID_++;
    AXNode& n = nodes_[id];
    n.id = id;
    n.pid = pid;
    return n;
}

AXNode& SimulatedSession::stableNode(const std::string& key, std::int32_t pid) {
    if (auto it = stableIDs_.find(key); it != stableIDs_.end()) {
        AXNode& n = node(it->second);
        n.pid = pid;
        return n;
    }
    AXNode& n = makeNode(pid);
    stableIDs_[key] = n.id;
    return n;
}

void SimulatedSession::rebuildAccessibility() {
    auto guard = lock();
    for (const auto& app : applications)
        if (!app.terminated && !explicitTreeRoots.count(app.pid)) buildApplicationTree(app);
}

void SimulatedSession::buildApplicationTree(const SimApplication& app) {
    AXNode& root = stableNode("app:" + std::to_string(app.pid), app.pid);
    root.attributes.clear();
    root.actions.clear();
    root.attributes["AXRole"] = attribute("AXApplication");
    root.attributes["AXRoleDescription"] = attribute("application");
    if (app.name) root.attributes["AXTitle"] = attribute(*app.name);

    if (app.bundleIdentifier == kWindowManagerBundleID) {
        buildMissionControlTree(root);
        return;
    }

    std::vector<std::uint64_t> windowElements;
    std::optional<std::uint64_t> focused;
    for (const auto& w : windows) {
        if (w.pid != app.pid || w.layer != 0) continue;
        // Only windows on a current desktop (or minimised ones) are listed, as macOS does.
        if (!w.minimized && !isOnCurrentDesktop(w)) continue;
        AXNode& element = stableNode("window:" + std::to_string(w.id), app.pid);
        element.attributes.clear();
        element.actions.clear();
        element.attributes["AXRole"] = attribute("AXWindow");
        element.attributes["AXSubrole"] = attribute("AXStandardWindow");
        element.attributes["AXTitle"] = attribute(w.title);
        setFrame(element, w.bounds);
        element.attributes["AXMinimized"] = attribute(w.minimized, true);
        element.attributes["AXMain"] = attribute(!focused.has_value(), true);
        element.attributes["AXChildren"] = attribute(Array{});
        element.windowID = w.id;
        const std::uint32_t windowID = w.id;
        element.actions["AXRaise"] = [this, windowID] { return raiseWindow(windowID); };
        element.onSet = [this, windowID](const std::string& name, const Value& value) {
            if (name == "AXMinimized") {
                if (auto* target = window(windowID); target && value.asBool()) {
                    target->minimized = *value.asBool();
                    rebuildAccessibility();
                }
            }
            return ax::kSuccess;
        };
        windowElements.push_back(element.id);
        if (!w.minimized && !focused) focused = element.id;
    }
    root.attributes["AXWindows"] = attribute(elements(windowElements));
    root.attributes["AXChildren"] = attribute(elements(windowElements));
    root.attributes["AXFrontmost"] = attribute(frontmostPID == app.pid, true);
    if (focused) {
        root.attributes["AXFocusedWindow"] = attribute(ElementRef{*focused}, true);
        root.attributes["AXMainWindow"] = attribute(ElementRef{*focused}, true);
    }
}

void SimulatedSession::buildMissionControlTree(AXNode& root) {
    const std::int32_t pid = root.pid;
    if (!missionControlOpen) {
        root.attributes["AXChildren"] = attribute(Array{});
        root.attributes["AXWindows"] = attribute(Array{});
        return;
    }
    AXNode& group = stableNode("mc", pid);
    group.attributes.clear();
    group.attributes["AXRole"] = attribute("AXGroup");
    group.attributes["AXIdentifier"] = attribute("mc");
    std::vector<std::uint64_t> displayGroups;
    for (const SimSpacesBar& layout : MissionControlLayout::bars(*this, loop_.uptime())) {
        const std::string key = "mc.display:" + std::to_string(layout.displayID);
        AXNode& displayNode = stableNode(key, pid);
        displayNode.attributes.clear();
        displayNode.attributes["AXRole"] = attribute("AXGroup");
        displayNode.attributes["AXIdentifier"] = attribute("mc.display");
        setFrame(displayNode, layout.display);

        AXNode& barNode = stableNode(key + ":spaces", pid);
        barNode.attributes.clear();
        barNode.attributes["AXRole"] = attribute("AXGroup");
        barNode.attributes["AXIdentifier"] = attribute("mc.spaces");
        setFrame(barNode, layout.bar);

        std::vector<std::uint64_t> buttons;
        for (const SimDesktopButton& desktop : layout.buttons) {
            AXNode& button = stableNode(key + ":space:" + std::to_string(desktop.spaceID), pid);
            button.attributes.clear();
            button.actions.clear();
            button.attributes["AXRole"] = attribute("AXButton");
            button.attributes["AXTitle"] = attribute(desktop.title);
            button.attributes["AXChildren"] = attribute(Array{});
            setFrame(button, desktop.frame);
            const std::uint32_t targetDisplay = layout.displayID;
            const std::uint64_t targetSpace = desktop.spaceID;
            button.actions["AXPress"] = [this, targetDisplay, targetSpace] {
                return pressDesktopButton(targetDisplay, targetSpace);
            };
            buttons.push_back(button.id);
        }
        barNode.attributes["AXChildren"] = attribute(elements(buttons));
        displayNode.attributes["AXChildren"] = attribute(elements({barNode.id}));
        displayGroups.push_back(displayNode.id);
    }
    group.attributes["AXChildren"] = attribute(elements(displayGroups));
    root.attributes["AXChildren"] = attribute(elements({group.id}));
    root.attributes["AXWindows"] = attribute(Array{});
}

}  // namespace tarnwick::sim
