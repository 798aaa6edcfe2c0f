#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tarnwick {

// What can hold keyboard focus in the overview: a desktop row, or one app icon in a row.
class OverviewFocusTarget {
public:
    enum class Kind { desktop, application };

    static OverviewFocusTarget desktop(std::string_view desktopID) {
        return OverviewFocusTarget(Kind::desktop, desktopID, {});
    }
    static OverviewFocusTarget application(std::string_view desktopID, std::string_view appID) {
        return OverviewFocusTarget(Kind::application, desktopID, appID);
    }

    Kind kind() const { return kind_; }
    // The desktop's UUID in both cases.
    std::string_view desktopID() const { return ids().substr(0, desktopLength_); }
    // The app's identity; empty for a desktop.
    std::string_view appID() const { return ids().substr(desktopLength_); }

    friend bool operator==(const OverviewFocusTarget& a, const OverviewFocusTarget& b) {
        return a.kind_ == b.kind_ && a.desktopLength_ == b.desktopLength_ && a.ids() == b.ids();
    }

private:
    // The focus order is rebuilt on every key press and render and holds hundreds of targets,
    // so the ids of a target (a desktop UUID and usually a bundle identifier) are kept inline;
    // only longer ones go to the heap.
    static constexpr std::size_t kInlineCapacity = 72;

    OverviewFocusTarget(Kind kind, std::string_view desktopID, std::string_view appID)
        : kind_(kind), desktopLength_(desktopID.size()), length_(desktopID.size() + appID.size()) {
        if (length_ <= kInlineCapacity) {
            desktopID.copy(inline_.data(), desktopID.size());
            appID.copy(inline_.data() + desktopID.size(), appID.size());
        } else {
            overflow_.reserve(length_);
            overflow_.append(desktopID).append(appID);
        }
    }
    std::string_view ids() const {
        return length_ <= kInlineCapacity ? std::string_view(inline_.data(), length_) : std::string_view(overflow_);
    }

    Kind kind_;
    std::size_t desktopLength_;
    std::size_t length_;
    std::array<char, kInlineCapacity> inline_{};  // the desktop's id followed by the app's
    std::string overflow_;                        // the same, when they do not fit inline
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
