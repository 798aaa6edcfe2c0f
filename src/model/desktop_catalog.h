#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/desktop_catalog_unavailable.h"
#include "model/desktop_monitor.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick {

// Builds the catalog of displays and their ordinary desktops from the window server's
// managed-display data, and relates it to the node dictionaries of Mission Control's
// Accessibility tree. Pure functions; safe from any thread.
struct DesktopCatalog {
    // The error of the catalog (and of the names store): one complete user-facing message.
    using Unavailable = DesktopCatalogUnavailable;

    static constexpr const char* kNotAvailable = "Desktop information is not available. Try Refresh.";
    static constexpr const char* kMonitorUnmatched =
        "A monitor could not be matched to its desktops. Try Refresh after reconnecting it.";
    static constexpr const char* kInformationChanged = "Desktop information has changed. Try Refresh.";
    static constexpr const char* kIdentitiesUnverified = "Desktop identities could not be verified. Try Refresh.";
    // The identity of the one desktop the window server keeps without a uuid (space 1).
    static constexpr const char* kFirstSpaceIdentity = "00000000-0000-0000-0000-000000000001";

    // The displays of `monitors` (in their order) that the raw data describes, each with its
    // ordinary desktops. Throws Unavailable with one of the four messages above.
    static std::vector<DesktopMonitor> parse(const Array& rawDisplays, const std::vector<MonitorDescriptor>& monitors);

    // Desktop id to the title of its caption button in Mission Control, for the displays whose
    // buttons can be matched one to one with their desktops.
    static std::map<std::string, std::string> nativeTitles(const Array& tree,
                                                           const std::vector<DesktopMonitor>& monitors);

    // The index in `tree` of the one caption button of a desktop, when it is unambiguous.
    static std::optional<int> nativeButtonIndex(const std::string& desktopID, const Array& tree,
                                                const std::vector<DesktopMonitor>& monitors);

    // A node's "frameAX" as a rectangle: finite x, y, width and height, with a positive size.
    static std::optional<Rect> rectangle(const Value* frame);

    // The frame of the "mc.display" node a node lies in: the first met walking up from the node
    // itself through at most 17 "parent" steps. Nothing when the walk ends first (a parent that is
    // missing, not an index into the tree, or the steps used up) or that frame is unusable.
    static std::optional<Rect> enclosingDisplayFrame(const Array& tree, size_t index);
    // Whether a display node's frame is the display's: origin and size each less than a point off.
    static bool sameDisplayFrame(const Rect& node, const Rect& display);

    // The horizontal band of the display in which the caption centred at `centerX` is read,
    // reaching halfway to the nearest neighbouring caption.
    static std::optional<Rect> recognitionRegion(double centerX, const std::vector<double>& neighbors,
                                                 const Rect& display);
};

}  // namespace tarnwick
