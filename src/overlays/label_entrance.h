#pragma once

#include <optional>

#include "overlays/label_reveal.h"
#include "support/geometry.h"

namespace tarnwick {

// When one label may appear over its native caption: a caption frame must hold still (within
// 1.5 points of centre and 3 points of size) for 0.075 s before the label shows, the label then
// stays where it first appeared while the caption keeps matching, and goes as soon as the caption
// moves. Times are system uptime in seconds, passed in.
struct LabelEntrance {
    struct Action {
        enum class Kind { begin, keep, wait, hide };
        Kind kind = Kind::wait;
        Rect frame;  // for begin and keep

        static Action begin(const Rect& r) { return {Kind::begin, r}; }
        static Action keep(const Rect& r) { return {Kind::keep, r}; }
        static Action wait() { return {Kind::wait, {}}; }
        static Action hide() { return {Kind::hide, {}}; }
        friend bool operator==(const Action& a, const Action& b) {
            if (a.kind != b.kind) return false;
            return (a.kind != Kind::begin && a.kind != Kind::keep) || a.frame == b.frame;
        }
    };

    // How long a caption must hold still before its label shows.
    static constexpr double settleDuration = 0.075;
    // How long a label's reveal lasts.
    static constexpr double revealDuration = LabelReveal::duration;

    std::optional<Rect> candidate;  // seen, not yet still long enough
    double candidateSince = 0;
    std::optional<Rect> visibleFrame;  // where the label shows; nothing while hidden

    bool isSettled() const { return visibleFrame.has_value(); }
    void reset();
    Action observe(const Rect& frame, double now);
};

}  // namespace tarnwick
