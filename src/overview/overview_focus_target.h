#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace tarnwick {

// What can hold keyboard focus in the overview: a desktop row, or one app icon in a row.
class OverviewFocusTarget {
public:
    enum class Kind { desktop, application };

    static OverviewFocusTarget desktop(std::string desktopID) {
        const auto length = desktopID.size();
        return OverviewFocusTarget(Kind::desktop, std::move(desktopID), length);
    }
    static OverviewFocusTarget application(std::string_view desktopID, std::string_view appID) {
        std::string ids;
        ids.reserve(desktopID.size() + appID.size());
        ids.append(desktopID).append(appID);
        return OverviewFocusTarget(Kind::application, std::move(ids), desktopID.size());
    }

    Kind kind() const { return kind_; }
    // The desktop's UUID in both cases.
    std::string_view desktopID() const { return std::string_view(ids_).substr(0, desktopLength_); }
    // The app's identity; empty for a desktop.
    std::string_view appID() const { return std::string_view(ids_).substr(desktopLength_); }

    friend bool operator==(const OverviewFocusTarget&, const OverviewFocusTarget&) = default;

private:
    // Both ids in one string: the overview's focus order is rebuilt often and holds hundreds of
    // targets, so one allocation per target instead of two matters.
    OverviewFocusTarget(Kind kind, std::string ids, std::size_t desktopLength)
        : kind_(kind), desktopLength_(desktopLength), ids_(std::move(ids)) {}

    Kind kind_;
    std::size_t desktopLength_;
    std::string ids_;  // the desktop's id followed by the app's
};

}  // namespace tarnwick

// The case first, so a desktop and an app that share strings still hash apart.
template <>
struct std::hash<tarnwick::OverviewFocusTarget> {
    std::size_t operator()(const tarnwick::OverviewFocusTarget& target) const noexcept {
        std::size_t seed = std::hash<int>()(static_cast<int>(target.kind()));
        for (auto part : {target.desktopID(), target.appID()})
            seed ^= std::hash<std::string_view>()(part) + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
        return seed;
    }
};
