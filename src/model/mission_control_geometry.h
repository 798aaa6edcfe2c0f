#pragma once

// The vocabulary of a Mission Control geometry read: its limits, the attributes it asks for, the
// answers an access gives, and the snapshot it returns. The traversal itself lives in
// mission_control_geometry_traversal.h; the reader for a process in
// mission_control_geometry_reader.h.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// How far one read may go. Mission Control animates while the label overlay reads, so the read is
// bounded in time, in elements and in depth.
struct MissionControlGeometryLimits {
    // Most elements registered in one read; also the largest accepted child or window list.
    int maximumNodes = 2000;
    // The application element has depth 0; an element at this depth or deeper ends the read.
    int maximumDepth = 18;
    // Seconds for the whole read.
    double budget = 0.35;
    // Longest wait, in seconds, for one attribute (never more than what is left of the budget).
    double attributeTimeout = 0.03;

    // Whether a read with these limits can succeed at all.
    bool isValid() const;
};

// The Accessibility attributes the read asks for, with their raw names.
class MissionControlGeometryAttribute {
public:
    enum Case : std::uint8_t { role, identifier, title, position, size, children, windows };
    static constexpr Case allCases[] = {role, identifier, title, position, size, children, windows};

    constexpr MissionControlGeometryAttribute(Case value) : case_(value) {}
    constexpr Case value() const { return case_; }
    constexpr operator Case() const { return case_; }

    // "AXRole", "AXIdentifier", "AXTitle", "AXPosition", "AXSize", "AXChildren", "AXWindows".
    std::string_view rawValue() const;
    // Exactly one of the raw names above, nothing else.
    static std::optional<MissionControlGeometryAttribute> fromRawValue(std::string_view raw);

private:
    Case case_;
};

// One attribute value, in the shapes the read understands.
template <typename Node>
struct MissionControlGeometryValue {
    std::variant<std::string, Point, Size, std::vector<Node>> content;

    static MissionControlGeometryValue string(std::string text) { return {std::move(text)}; }
    static MissionControlGeometryValue point(Point p) { return {p}; }
    static MissionControlGeometryValue size(Size s) { return {s}; }
    static MissionControlGeometryValue nodes(std::vector<Node> list) { return {std::move(list)}; }

    const std::string* asString() const { return std::get_if<std::string>(&content); }
    const Point* asPoint() const { return std::get_if<Point>(&content); }
    const Size* asSize() const { return std::get_if<Size>(&content); }
    const std::vector<Node>* asNodes() const { return std::get_if<std::vector<Node>>(&content); }
};

// What one attribute read gave: a value, nothing (the element has no such attribute or no value
// for it), or a failure (anything else went wrong).
template <typename Node>
struct MissionControlGeometryRead {
    enum class Kind { value, unavailable, failure };
    Kind kind = Kind::failure;
    std::optional<MissionControlGeometryValue<Node>> value;  // set exactly when kind is `value`

    static MissionControlGeometryRead of(MissionControlGeometryValue<Node> v) { return {Kind::value, std::move(v)}; }
    static MissionControlGeometryRead unavailable() { return {Kind::unavailable, std::nullopt}; }
    static MissionControlGeometryRead failure() { return {Kind::failure, std::nullopt}; }
};

// Something that answers attribute reads over a tree of nodes: the Accessibility API in the
// program, an in-memory tree in tests. Nodes are values that hash and compare by element
// identity, so an element reached twice is recognised without comparing its attributes.
template <typename A>
concept MissionControlGeometryAccess =
    std::equality_comparable<typename A::Node> && std::copy_constructible<typename A::Node> &&
    requires(A& access, MissionControlGeometryAttribute attribute, const typename A::Node& node, double timeout) {
        { std::hash<typename A::Node>{}(node) } -> std::convertible_to<std::size_t>;
        { access.read(attribute, node, timeout) } -> std::same_as<MissionControlGeometryRead<typename A::Node>>;
    };

// The result of one read. The node dictionaries have the keys "index", "depth", "AXRole",
// "parent", "AXIdentifier", "AXTitle" and "frameAX" ({"x", "y", "width", "height"}), in
// depth-first pre-order. A read is all or nothing: the tree is empty unless `complete`.
struct MissionControlGeometrySnapshot {
    Array tree;
    bool complete = false;
    double seconds = 0;  // elapsed time of the read, never negative
    int nodeCount = 0;   // elements registered, also when the read was cut short
};

}  // namespace tarnwick

template <>
struct std::hash<tarnwick::MissionControlGeometryAttribute> {
    std::size_t operator()(tarnwick::MissionControlGeometryAttribute attribute) const noexcept {
        return std::hash<std::string_view>{}(attribute.rawValue());
    }
};
