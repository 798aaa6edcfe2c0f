#include "platform/sim/capture/mission_control_layout.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>

#include "platform/sim/simulated_session.h"
#include "platform/ui/text_metrics.h"

namespace tarnwick::sim {

namespace {

// Captions are set in the system font by the process's text system, so they stay put when a
// test installs a text measurer of its own.
platform::ui::SystemFontMetrics& captionMetrics() { return platform::ui::systemFontMetrics(); }

platform::ui::Font captionFont() { return platform::ui::Font::system(MissionControlLayout::kCaptionFontSize); }

// What the text system says of each caption text, kept for the process: the layout is worked out
// for every window list and every screenshot, over the same few titles, and the process's text
// system never measures a text differently. Read from the actors' threads too.
template <typename Measured>
class CaptionMemo {
public:
    template <typename Measure>
    Measured get(std::string_view title, Measure measure) {
        {
            std::lock_guard lock(mutex_);
            if (auto it = entries_.find(title); it != entries_.end()) return it->second;
        }
        Measured measured = measure(title);
        std::lock_guard lock(mutex_);
        if (entries_.size() >= kMostEntries) entries_.clear();  // names typed without end stay bounded
        entries_.emplace(std::string(title), measured);
        return measured;
    }

private:
    static constexpr std::size_t kMostEntries = 256;
    std::mutex mutex_;
    std::map<std::string, Measured, std::less<>> entries_;
};

}  // namespace

std::vector<std::pair<std::string, double>> MissionControlLayout::captionCharacters(std::string_view title) {
    static CaptionMemo<std::vector<std::pair<std::string, double>>> memo;
    return memo.get(title, [](std::string_view text) {
        std::vector<std::pair<std::string, double>> result;
        const auto run = captionMetrics().shape(text, captionFont());
        for (std::size_t i = 0; i < run.size(); ++i)
            result.emplace_back(std::string(text.substr(run.offset(i), run.offset(i + 1) - run.offset(i))), run.advance(i));
        return result;
    });
}

Size MissionControlLayout::captionSize(std::string_view title) {
    static CaptionMemo<Size> memo;
    return memo.get(title, [](std::string_view text) {
        return Size{captionMetrics().lineWidth(text, captionFont()), captionMetrics().defaultLineHeight(captionFont())};
    });
}

std::map<std::uint64_t, int> MissionControlLayout::desktopNumbers(const SimulatedSession& session) {
    std::map<std::uint64_t, int> numbers;
    int counter = 0;
    for (const auto& d : session.displays)
        for (const auto& s : d.spaces)
            if (s.type == 0) numbers[s.id64] = ++counter;
    return numbers;
}

namespace {

// The bars of an open Mission Control with the captions `motion` away from their places.
std::vector<SimSpacesBar> layOut(const SimulatedSession& session, Point motion) {
    using L = MissionControlLayout;
    std::vector<SimSpacesBar> result;
    const bool expanded = session.spacesBarExpanded;
    auto numbers = L::desktopNumbers(session);
    for (auto displayID : session.orderedScreens()) {
        const SimDisplay& d = *session.display(displayID);
        SimSpacesBar bar;
        bar.displayID = d.id;
        bar.display = d.bounds;
        bar.bar = Rect(d.bounds.minX(), d.bounds.minY(), d.bounds.width(),
                       expanded ? L::kExpandedBarHeight : L::kCollapsedBarHeight);
        const double count = static_cast<double>(std::max<size_t>(d.spaces.size(), 1));
        const double pitch = std::min(L::kButtonMaximumWidth, (d.bounds.width() - 40) / count);
        const double rowStart = d.bounds.midX() - pitch * count / 2;
        for (size_t i = 0; i < d.spaces.size(); ++i) {
            const SimSpace& space = d.spaces[i];
            SimDesktopButton button;
            button.spaceID = space.id64;
            button.title = space.type == 0 ? "Desktop " + std::to_string(numbers[space.id64]) : space.fullScreenTitle;
            const double x = rowStart + pitch * static_cast<double>(i) + L::kButtonGap / 2;
            button.frame = expanded ? Rect(x, bar.bar.minY() + L::kThumbnailTop, pitch - L::kButtonGap, L::kThumbnailHeight)
                                    : Rect(x, bar.bar.minY(), pitch - L::kButtonGap, L::kCollapsedButtonHeight);
            const Size size = L::captionSize(button.title);
            const double midY = expanded ? button.frame.maxY() + L::kCaptionGap + size.height / 2 : bar.bar.midY();
            button.caption = Rect(button.frame.midX() - size.width / 2 + motion.x, midY - size.height / 2 + motion.y,
                                  size.width, size.height);
            bar.buttons.push_back(std::move(button));
        }
        result.push_back(std::move(bar));
    }
    return result;
}

// The last still layout with what it was made of: the window list and every screenshot ask for
// the layout, which changes only when the displays, their desktops or the bar's state do.
class LayoutMemo {
public:
    std::vector<SimSpacesBar> bars(const SimulatedSession& session) {
        std::lock_guard lock(mutex_);
        if (!madeOf(session)) {
            bars_ = layOut(session, Point{});
            expanded_ = session.spacesBarExpanded;
            screenOrder_ = session.screenOrder;
            displays_.clear();
            for (const auto& d : session.displays) {
                Display kept{d.id, d.bounds, {}};
                for (const auto& space : d.spaces) kept.spaces.push_back({space.id64, space.type, space.fullScreenTitle});
                displays_.push_back(std::move(kept));
            }
            made_ = true;
        }
        return bars_;
    }

private:
    struct Space {
        std::uint64_t id64;
        int type;
        std::string title;
    };
    struct Display {
        std::uint32_t id;
        Rect bounds;
        std::vector<Space> spaces;
    };

    bool madeOf(const SimulatedSession& session) const {
        if (!made_ || expanded_ != session.spacesBarExpanded || screenOrder_ != session.screenOrder ||
            displays_.size() != session.displays.size())
            return false;
        for (std::size_t i = 0; i < displays_.size(); ++i) {
            const Display& kept = displays_[i];
            const SimDisplay& d = session.displays[i];
            if (kept.id != d.id || !identicalBits(kept.bounds, d.bounds) || kept.spaces.size() != d.spaces.size()) return false;
            for (std::size_t j = 0; j < kept.spaces.size(); ++j) {
                const SimSpace& space = d.spaces[j];
                if (kept.spaces[j].id64 != space.id64 || kept.spaces[j].type != space.type ||
                    kept.spaces[j].title != space.fullScreenTitle)
                    return false;
            }
        }
        return true;
    }

    std::mutex mutex_;
    bool made_ = false;
    bool expanded_ = false;
    std::vector<std::uint32_t> screenOrder_;
    std::vector<Display> displays_;
    std::vector<SimSpacesBar> bars_;
};

}  // namespace

std::vector<SimSpacesBar> MissionControlLayout::bars(const SimulatedSession& session, double uptime) {
    if (!session.missionControlOpen) return {};
    // Captions that still glide in move with the clock: laid out anew each time.
    const auto& faults = session.capture.faults;
    const double elapsed = uptime - session.capture.missionControlOpenedAt;
    if (faults.captionMotionDuration > 0 && elapsed >= 0 && elapsed < faults.captionMotionDuration) {
        const double remaining = 1 - elapsed / faults.captionMotionDuration;
        return layOut(session, Point{faults.captionMotionOffset.x * remaining, faults.captionMotionOffset.y * remaining});
    }
    static LayoutMemo memo;
    return memo.bars(session);
}

}  // namespace tarnwick::sim
