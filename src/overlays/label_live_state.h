#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "applications/space_navigation_target.h"
#include "model/desktop_monitor.h"
#include "overlays/mission_control_overlay_options.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// The catalog and the user's names as the label overlay asks for them.
struct LabelConfiguration {
    std::vector<DesktopMonitor> monitors;
    std::map<std::string, std::string> names;  // desktop UUID to custom name
};

// One desktop that wants a label or an app-icon slot, as the current geometry read shows it.
// Rectangles are in Mission Control's node-frame space (origin at the top left of the main
// display, y down).
struct LabelTarget {
    std::string id;           // the desktop UUID
    std::string nativeTitle;  // its caption as Mission Control shows it
    std::optional<std::string> name;  // the label's text; nothing: only its slot is measured
    SpaceNavigationTarget navigation;
    Rect display;
    double maximumWidth = 0;  // the widest label before it would reach the next caption
    Rect recognitionRegion;   // the band of the display in which its caption is read
    bool isCurrent = false;
    std::optional<Rect> nativeBar;  // the display's Spaces Bar
    Rect nativeButton;              // the desktop's button in the bar

    friend bool operator==(const LabelTarget&, const LabelTarget&) = default;
};

// What one geometry read means for the labels: the targets, how many desktops want one (found
// or not), and signatures that change exactly when geometry that matters changes (overall and
// per display UUID).
struct LabelLiveState {
    std::string signature;
    std::vector<LabelTarget> targets;
    int expectedTargetCount = 0;
    std::map<std::string, std::string> displaySignatures;

    friend bool operator==(const LabelLiveState&, const LabelLiveState&) = default;
};

// Turns one Accessibility read of Mission Control (its node dictionaries) and the catalog with
// its names into the live state; nothing when no desktop has a target. In sample mode only the
// catalog's "Desktop 1" takes part, named "Work".
std::optional<LabelLiveState> labelLiveState(const Array& tree, const LabelConfiguration& configuration,
                                             const MissionControlOverlayOptions& options, bool sampleMode);

// A frame as it enters the signatures: "x", "y", "width", "height".
Value labelFrameMetadata(const Rect& frame);

}  // namespace tarnwick
