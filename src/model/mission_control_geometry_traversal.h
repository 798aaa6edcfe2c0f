#pragma once

// Reads Mission Control's Accessibility tree into node dictionaries within a hard budget. The
// walk gives up on the first doubt (time out, cancellation, a failed read, a cycle, an element
// under two parents, a limit reached): a partial tree would place labels on stale or missing
// geometry, so the caller gets all of it or nothing.

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/mission_control_geometry.h"
#include "support/run_loop.h"
#include "support/text.h"

namespace tarnwick {

class MissionControlGeometryTraversal {
public:
    MissionControlGeometryTraversal() = delete;

    // Walks the tree below `root` through `access`. `now` is the clock in seconds (the system
    // uptime by default). `cancelled` is asked before and after every attribute read and at the
    // end; synchronous code has no current task, so callers that run for a task pass a check of
    // its cancellation token (the default never cancels).
    template <MissionControlGeometryAccess Access>
    static MissionControlGeometrySnapshot read(const typename Access::Node& root, Access& access,
                                               const MissionControlGeometryLimits& limits = {},
                                               const std::function<double()>& now = systemUptime,
                                               const std::function<bool()>& cancelled = {}) {
        const std::function<double()> uptime = systemUptime;
        const std::function<bool()> never = [] { return false; };
        Walk<Access> walk(access, limits, now ? now : uptime, cancelled ? cancelled : never);
        return walk.run(root);
    }

    // Roles whose children are optional.
    static bool isLeafRole(const std::string& role) {
        return role == "AXButton" || role == "AXStaticText" || role == "AXImage" || role == "AXSeparator";
    }

private:
    // Thrown by every check that gives up; it unwinds the whole walk.
    struct Stop {};

    template <typename Access>
    class Walk {
    public:
        using Node = typename Access::Node;
        using AttributeValue = MissionControlGeometryValue<Node>;
        using Read = MissionControlGeometryRead<Node>;

        Walk(Access& access, const MissionControlGeometryLimits& limits, const std::function<double()>& now,
             const std::function<bool()>& cancelled)
            : access_(access), limits_(limits), now_(now), cancelled_(cancelled) {}

        MissionControlGeometrySnapshot run(const Node& root) {
            const double start = now_();
            bool complete = false;
            if (limits_.isValid()) {
                deadline_ = start + limits_.budget;
                try {
                    visit(root, 0, std::nullopt, false);
                    complete = !cancelled_() && hasTimeLeft();
                } catch (const Stop&) {
                    complete = false;
                }
            }
            const double elapsed = now_() - start;
            MissionControlGeometrySnapshot snapshot;
            snapshot.complete = complete;
            snapshot.seconds = std::isfinite(elapsed) && elapsed > 0 ? elapsed : 0;
            snapshot.nodeCount = static_cast<int>(visited_.size());
            if (complete) snapshot.tree = std::move(tree_);
            return snapshot;
        }

    private:
        struct Visit {
            int index;
            std::optional<int> parent;
            bool onPath;  // an ancestor of the element being visited, or that element
        };

        bool hasTimeLeft() const {
            const double remaining = deadline_ - now_();
            return std::isfinite(remaining) && remaining > 0;
        }

        void visit(const Node& node, int depth, std::optional<int> parent, bool inDisplay) {
            if (cancelled_() || !hasTimeLeft()) throw Stop();
            if (auto seen = visited_.find(node); seen != visited_.end()) {
                if (seen->second.onPath) throw Stop();  // an ancestor of itself
                // A window listed both in an application's children and in its windows is met twice
                // under the same parent; anything else reached twice is not a tree.
                if (seen->second.parent == parent) return;
                throw Stop();
            }
            if (depth >= limits_.maximumDepth) throw Stop();
            if (visited_.size() >= static_cast<size_t>(limits_.maximumNodes)) throw Stop();

            const int index = static_cast<int>(tree_.size());
            // Elements of an unordered map stay where they are, so this stays valid while the
            // children are visited.
            Visit& self = visited_.emplace(node, Visit{index, parent, true}).first->second;

            std::optional<std::string> role = readString(MissionControlGeometryAttribute::role, node);
            if (!role || role->empty()) throw Stop();
            std::optional<std::string> identifier = readString(MissionControlGeometryAttribute::identifier, node);
            const bool isDisplay = identifier == "mc.display";
            const bool isBar = isDisplay || identifier == "mc.spaces";
            const bool inDisplaySubtree = inDisplay || isDisplay;

            // The entries go in in key order, each at the end of the dictionary: no key is looked
            // up or made twice.
            Dictionary entry;
            const auto add = [&entry](const char* key, Value value) { entry.emplace_hint(entry.end(), key, std::move(value)); };
            if (identifier) add("AXIdentifier", *identifier);
            add("AXRole", *role);
            bool titled = false;
            if (*role == "AXButton" && inDisplaySubtree) {
                auto title = readString(MissionControlGeometryAttribute::title, node);
                if (title && text::isDesktopTitle(*title)) {
                    add("AXTitle", std::move(*title));
                    titled = true;
                }
            }
            add("depth", depth);
            if (isBar || titled) add("frameAX", readFrame(node));
            add("index", index);
            if (parent) add("parent", *parent);
            tree_.emplace_back(std::move(entry));

            const bool required = !isLeafRole(*role) || isBar;
            for (const Node& child : readNodes(MissionControlGeometryAttribute::children, node, required))
                visit(child, depth + 1, index, inDisplaySubtree);
            if (*role == "AXApplication")
                for (const Node& window : readNodes(MissionControlGeometryAttribute::windows, node, false))
                    visit(window, depth + 1, index, inDisplaySubtree);

            self.onPath = false;
        }

        // One attribute within the budget; nothing when the element has no value for it.
        std::optional<AttributeValue> readValue(MissionControlGeometryAttribute attribute, const Node& node) {
            if (cancelled_()) throw Stop();
            const double remaining = deadline_ - now_();
            if (!(std::isfinite(remaining) && remaining > 0)) throw Stop();
            Read read = access_.read(attribute, node, std::min(remaining, limits_.attributeTimeout));
            // An answer that arrives after the deadline or after cancellation is stale.
            if (cancelled_() || !hasTimeLeft()) throw Stop();
            switch (read.kind) {
                case Read::Kind::value:
                    if (!read.value) throw Stop();
                    return std::move(read.value);
                case Read::Kind::unavailable: return std::nullopt;
                case Read::Kind::failure: break;
            }
            throw Stop();
        }

        std::optional<std::string> readString(MissionControlGeometryAttribute attribute, const Node& node) {
            auto read = readValue(attribute, node);
            if (!read) return std::nullopt;
            auto* text = read->asString();
            if (!text) throw Stop();
            return std::move(*text);
        }

        Dictionary readFrame(const Node& node) {
            auto position = readValue(MissionControlGeometryAttribute::position, node);
            if (!position || !position->asPoint()) throw Stop();
            auto size = readValue(MissionControlGeometryAttribute::size, node);
            if (!size || !size->asSize()) throw Stop();
            const Rect rect(position->asPoint()->x, position->asPoint()->y, size->asSize()->width,
                            size->asSize()->height);
            if (!rect.isUsable()) throw Stop();
            Dictionary frame;  // in key order, as the node's entries
            frame.emplace_hint(frame.end(), "height", rect.size.height);
            frame.emplace_hint(frame.end(), "width", rect.size.width);
            frame.emplace_hint(frame.end(), "x", rect.origin.x);
            frame.emplace_hint(frame.end(), "y", rect.origin.y);
            return frame;
        }

        // A child or window list; a missing one is empty unless `required`.
        std::vector<Node> readNodes(MissionControlGeometryAttribute attribute, const Node& node, bool required) {
            auto read = readValue(attribute, node);
            if (!read) {
                if (required) throw Stop();
                return {};
            }
            auto* list = read->asNodes();
            if (!list || list->size() > static_cast<size_t>(limits_.maximumNodes)) throw Stop();
            return std::move(*list);
        }

        Access& access_;
        const MissionControlGeometryLimits& limits_;
        const std::function<double()>& now_;
        const std::function<bool()>& cancelled_;
        double deadline_ = 0;
        std::unordered_map<Node, Visit> visited_;
        Array tree_;
    };
};

}  // namespace tarnwick
