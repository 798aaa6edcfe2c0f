#pragma once

#include <functional>

#include "platform/icons.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/declarative/view_context.h"

namespace tarnwick {

// One app of a desktop row as a square icon button that grows slightly under the pointer or when
// the keyboard selects it. Its one state, whether the pointer is over it, is kept by the host:
// false at first and again whenever the button leaves the screen.
struct WorkstationAppIconButton {
    platform::Image image;
    double iconSize = 16;  // edge of the drawn icon, in points
    bool keyboardSelected = false;
    std::function<void()> action;

    static constexpr double kHighlightScale = 1.08;
    static constexpr double kInset = 2;
    static constexpr double kAnimationDuration = 0.12;

    // Reduce Motion takes away the growth under the pointer, which is only decoration; the
    // keyboard highlight is the only sign of the selection, so it stays.
    static constexpr double scale(bool keyboardSelected, bool hovering, bool reduceMotion) {
        if (keyboardSelected) return kHighlightScale;
        if (hovering && !reduceMotion) return kHighlightScale;
        return 1.0;
    }

    // The clickable square around the icon; the scale never changes it.
    static constexpr double frameSize(double iconSize) { return iconSize + 2 * kInset; }

    // A plain button without focus ring: the icon stretched to `iconSize` with high-quality
    // interpolation, scaled about its centre, inset in a square of frameSize that takes clicks
    // everywhere.
    platform::ui::Node body(platform::ui::ViewContext& context) const;
};

}  // namespace tarnwick
