#pragma once

#include <functional>

#include "platform/icons.h"

namespace tarnwick {

// One app of a desktop row as a square icon button that grows slightly under the pointer or when
// the keyboard selects it.
struct WorkstationAppIconButton {
    platform::Image image;
    double iconSize = 16;  // edge of the drawn icon, in points
    bool keyboardSelected = false;
    std::function<void()> action;
    bool hovering = false;  // the pointer is over the button; reset when it leaves the screen

    static constexpr double kHighlightScale = 1.08;
    static constexpr double kInset = 2;

    // Reduce Motion takes away the growth under the pointer, which is only decoration; the
    // keyboard highlight is the only sign of the selection, so it stays.
    static constexpr double scale(bool keyboardSelected, bool hovering, bool reduceMotion) {
        if (keyboardSelected) return kHighlightScale;
        if (hovering && !reduceMotion) return kHighlightScale;
        return 1.0;
    }
    double scale(bool reduceMotion) const { return scale(keyboardSelected, hovering, reduceMotion); }

    // The clickable square around the icon; the scale never changes it.
    static constexpr double frameSize(double iconSize) { return iconSize + 2 * kInset; }
};

}  // namespace tarnwick
