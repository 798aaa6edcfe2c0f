#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/geometry.h"

namespace tarnwick::sim {

class SimulatedSession;

// One desktop in a display's Spaces Bar: its button and the caption drawn for it.
struct SimDesktopButton {
    std::uint64_t spaceID = 0;
    std::string title;  // "Desktop N", or a full-screen space's title
    Rect frame;         // the button (the desktop's thumbnail while expanded)
    Rect caption;       // where the title's text is drawn
};

// Mission Control's Spaces Bar on one display. Frames are global points, origin at the top left
// of the main display, y down.
struct SimSpacesBar {
    std::uint32_t displayID = 0;
    Rect display;
    Rect bar;
    std::vector<SimDesktopButton> buttons;
};

// The one description of how Mission Control is drawn: the Accessibility frames, the "Spaces
// Bar" windows and the caption text all come from here. Collapsed, a button is taller than the
// bar and starts at its top, and each caption is centred on its button with its centre inside the
// bar; expanded, the bar holds the thumbnails with their captions below them, inside the bar.
struct MissionControlLayout {
    static constexpr double kCollapsedBarHeight = 24;
    static constexpr double kExpandedBarHeight = 150;
    static constexpr double kCollapsedButtonHeight = 40;
    static constexpr double kThumbnailTop = 20;
    static constexpr double kThumbnailHeight = 100;
    static constexpr double kButtonMaximumWidth = 180;
    static constexpr double kButtonGap = 8;
    static constexpr double kCaptionGap = 6;  // between a thumbnail and its caption
    static constexpr double kCaptionFontSize = 12;

    // Every screen's bar, in the screens' order; nothing while Mission Control is closed.
    // `uptime` places captions that still glide in after Mission Control opened.
    static std::vector<SimSpacesBar> bars(const SimulatedSession& session, double uptime);
    // The number of each ordinary desktop by space id: "Desktop N" counts across displays in the
    // window server's order.
    static std::map<std::uint64_t, int> desktopNumbers(const SimulatedSession& session);
    // The size of a caption's text.
    static Size captionSize(std::string_view title);
    // Each character (grapheme cluster) of a caption's text with its advance in the caption.
    static std::vector<std::pair<std::string, double>> captionCharacters(std::string_view title);
};

}  // namespace tarnwick::sim
