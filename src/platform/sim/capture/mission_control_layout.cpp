#include "platform/sim/capture/mission_control_layout.h"

#include <algorithm>
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

std::vector<SimSpacesBar> MissionControlLayout::bars(const SimulatedSession& session, double uptime) {
    std::vector<SimSpacesBar> result;
    if (!session.missionControlOpen) return result;
    const bool expanded = session.spacesBarExpanded;
    auto numbers = desktopNumbers(session);

    const auto& faults = session.capture.faults;
    Point motion;
    const double elapsed = uptime - session.capture.missionControlOpenedAt;
    if (faults.captionMotionDuration > 0 && elapsed >= 0 && elapsed < faults.captionMotionDuration) {
        const double remaining = 1 - elapsed / faults.captionMotionDuration;
        motion = Point{faults.captionMotionOffset.x * remaining, faults.captionMotionOffset.y * remaining};
    }

    for (auto displayID : session.orderedScreens()) {
        const SimDisplay& d = *session.display(displayID);
        SimSpacesBar bar;
        bar.displayID = d.id;
        bar.display = d.bounds;
        bar.bar = Rect(d.bounds.minX(), d.bounds.minY(), d.bounds.width(),
                       expanded ? kExpandedBarHeight : kCollapsedBarHeight);
        const double count = static_cast<double>(std::max<size_t>(d.spaces.size(), 1));
        const double pitch = std::min(kButtonMaximumWidth, (d.bounds.width() - 40) / count);
        const double rowStart = d.bounds.midX() - pitch * count / 2;
        for (size_t i = 0; i < d.spaces.size(); ++i) {
            const SimSpace& space = d.spaces[i];
            SimDesktopButton button;
            button.spaceID = space.id64;
            button.title = space.type == 0 ? "Desktop " + std::to_string(numbers[space.id64]) : space.fullScreenTitle;
            const double x = rowStart + pitch * static_cast<double>(i) + kButtonGap / 2;
            button.frame = expanded ? Rect(x, bar.bar.minY() + kThumbnailTop, pitch - kButtonGap, kThumbnailHeight)
                                    : Rect(x, bar.bar.minY(), pitch - kButtonGap, kCollapsedButtonHeight);
            const Size size = captionSize(button.title);
            const double midY = expanded ? button.frame.maxY() + kCaptionGap + size.height / 2 : bar.bar.midY();
            button.caption = Rect(button.frame.midX() - size.width / 2 + motion.x, midY - size.height / 2 + motion.y,
                                  size.width, size.height);
            bar.buttons.push_back(std::move(button));
        }
        result.push_back(std::move(bar));
    }
    return result;
}

}  // namespace tarnwick::sim
