#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "applications/mission_control_launch.h"
#include "applications/space_navigation_target.h"
#include "support/task.h"
#include "support/value.h"

namespace tarnwick {

// Makes another desktop current the way a user would: opens Mission Control when it is closed,
// presses the target desktop's button in Mission Control's Accessibility tree, and waits until
// the window server reports the desktop current and Mission Control has gone. A switch that
// opened Mission Control itself leaves it closed again when it fails or is cancelled, whatever
// it was waiting for at the time. Main loop only; switches are not serialised here (callers run
// them through ApplicationNavigationQueue).
struct MissionControlSpaceSwitcher {
    MissionControlSpaceSwitcher() = delete;

    static constexpr const char* kWindowManagerBundleID = "com.apple.WindowManager";
    static constexpr double kPollInterval = 0.1;
    static constexpr int kMaximumPolls = 24;
    // Bounds the pressing loop, and each wait for the Mission Control application to launch.
    static constexpr double kTimeLimit = 3.0;
    // Closing launches after a failure: one more when something else closed Mission Control
    // while the first was on its way, so that it reopened it.
    static constexpr int kClosingAttempts = 2;
    static constexpr float kTreeTimeout = 0.03f;
    static constexpr float kPressTimeout = 0.15f;

    // True while a switch that opened Mission Control itself runs (so that Mission Control opened
    // for a navigation is not taken for the user opening it).
    static bool isOpeningForNavigation();

    // Returns when the desktop is current and Mission Control is closed. Throws
    // ApplicationWindowFocus::Failure (session, desktopChanged, request, verification, also when
    // the launch that opens Mission Control does not report within the time limit),
    // CancellationError, or the launch error when Mission Control could not be opened.
    static Task<void> switchTo(SpaceNavigationTarget target, DesktopCatalogFunction catalog);
    static Task<void> switchTo(SpaceApplicationFocusTarget target, DesktopCatalogFunction catalog);

private:
    static Task<void> pressAndWait(const SpaceNavigationTarget& target, const DesktopCatalogFunction& catalog);
    // After a failed switch that opened Mission Control: waits for the opening launch if it is
    // still on its way, then closes Mission Control if it shows.
    static Task<void> closeAfterFailure(std::shared_ptr<MissionControlLaunch> opening);
    static bool visible();
    static std::optional<ElementRef> desktopButton(const SpaceNavigationTarget& target,
                                                   const std::vector<DesktopMonitor>& monitors, double deadline);
};

}  // namespace tarnwick
