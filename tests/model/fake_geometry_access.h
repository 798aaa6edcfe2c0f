#pragma once

// An in-memory Accessibility tree for geometry reads: elements are ints, attributes are set per
// element, and a hook runs before each answer (to move a fake clock or cancel).

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "model/mission_control_geometry.h"

namespace tarnwick {

class FakeGeometryAccess {
public:
    using Node = int;
    using Attribute = MissionControlGeometryAttribute;
    using Read = MissionControlGeometryRead<int>;
    using AttributeValue = MissionControlGeometryValue<int>;

    struct FakeNode {
        std::map<Attribute::Case, Read> attributes;  // a missing attribute is unavailable
    };

    static Read text(std::string value) { return Read::of(AttributeValue::string(std::move(value))); }
    static Read point(double x, double y) { return Read::of(AttributeValue::point({x, y})); }
    static Read size(double width, double height) { return Read::of(AttributeValue::size({width, height})); }
    static Read list(std::vector<int> ids) { return Read::of(AttributeValue::nodes(std::move(ids))); }

    // Sets the attributes of one element: access.add(3, "AXGroup", "mc.display").frame(...).children({4}).
    struct Builder {
        FakeGeometryAccess& access;
        int id;
        Builder& set(Attribute attribute, Read read) {
            access.set(id, attribute, std::move(read));
            return *this;
        }
        Builder& children(std::vector<int> ids) { return set(Attribute::children, list(std::move(ids))); }
        Builder& windows(std::vector<int> ids) { return set(Attribute::windows, list(std::move(ids))); }
        Builder& title(std::string value) { return set(Attribute::title, text(std::move(value))); }
        Builder& frame(double x, double y, double width, double height) {
            set(Attribute::position, point(x, y));
            return set(Attribute::size, size(width, height));
        }
    };

    // Adds (or replaces) an element with a role and, when given, an identifier.
    Builder add(int id, std::string role, std::string identifier = "") {
        FakeNode& node = nodes[id];
        node.attributes.clear();
        node.attributes[Attribute::role] = text(std::move(role));
        if (!identifier.empty()) node.attributes[Attribute::identifier] = text(std::move(identifier));
        return Builder{*this, id};
    }
    FakeGeometryAccess& set(int id, Attribute attribute, Read read) {
        nodes[id].attributes[attribute] = std::move(read);
        return *this;
    }
    FakeGeometryAccess& remove(int id, Attribute attribute) {
        nodes[id].attributes.erase(attribute);
        return *this;
    }
    FakeGeometryAccess& children(int id, std::vector<int> ids) { return set(id, Attribute::children, list(std::move(ids))); }
    FakeGeometryAccess& title(int id, std::string value) { return set(id, Attribute::title, text(std::move(value))); }
    FakeGeometryAccess& frame(int id, double x, double y, double width, double height) {
        set(id, Attribute::position, point(x, y));
        return set(id, Attribute::size, size(width, height));
    }

    Read read(Attribute attribute, const int& node, double timeout) {
        ++reads;
        timeouts.push_back(timeout);
        if (onRead) onRead(attribute, node, timeout);
        auto element = nodes.find(node);
        if (element == nodes.end()) return Read::failure();
        auto found = element->second.attributes.find(attribute);
        if (found == element->second.attributes.end()) return Read::unavailable();
        return found->second;
    }

    std::map<int, FakeNode> nodes;
    std::function<void(Attribute, int, double)> onRead;
    int reads = 0;
    std::vector<double> timeouts;
};

}  // namespace tarnwick
