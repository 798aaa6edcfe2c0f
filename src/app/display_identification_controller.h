#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/display_identification_state.h"
#include "platform/ui/panel.h"
#include "support/geometry.h"
#include "support/observable.h"
#include "support/run_loop.h"

namespace tarnwick {

// Shows, for two seconds, a small glass panel in the middle of one display with the name the
// user knows it by, so the user can tell which screen is which. One per process; at most one
// panel at a time. Main loop only.
//
// The expiry is timed on the main loop and the deadline read on the same clock: an expiry that
// still runs before the deadline (its token current) waits again for the time that is left, so
// a panel never stays up for good.
class DisplayIdentificationController {
public:
    // Reads the system uptime; the main loop's clock unless a test reads another.
    using Uptime = std::function<double()>;
    explicit DisplayIdentificationController(Uptime uptime = nullptr);
    // Cancels a pending expiry and takes the panel down.
    ~DisplayIdentificationController();
    DisplayIdentificationController(const DisplayIdentificationController&) = delete;
    DisplayIdentificationController& operator=(const DisplayIdentificationController&) = delete;

    // Shows `title` on the display with this UUID (as the desktop catalog keys displays); true
    // when the panel is on screen. False, with nothing shown, for an id that is not a UUID or
    // matches no connected screen or more than one, or a display too small for the panel.
    bool identify(const std::string& displayID, const std::string& title);
    // Takes any panel down at once.
    void hide();

    const DisplayIdentificationState& state() const { return state_; }
    platform::ui::Panel* panel() const { return panel_.get(); }

    // The panel's size on a visible frame: up to 340 x 104, 12 points clear of each edge.
    // Nothing when no room is left.
    static std::optional<Size> panelSize(const Rect& visible);

    static constexpr const char* kPanelTitle = "Identify Display";
    static constexpr double kMaximumWidth = 340;
    static constexpr double kMaximumHeight = 104;
    static constexpr double kMargin = 24;  // of width and height, both sides together
    static constexpr double kCornerRadius = 16;
    // On every desktop, stationary, left out of window cycling, beside full-screen windows.
    static constexpr std::uint64_t kCollectionBehavior = 0x151;

private:
    void scheduleExpiry(int token, double delay);
    void expire(int token);

    Uptime uptime_;
    DisplayIdentificationState state_;
    std::unique_ptr<platform::ui::Panel> panel_;
    WorkItem expiry_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick
