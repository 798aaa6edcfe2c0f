#pragma once

#include <memory>

#include "platform/ui/mouse_event.h"
#include "support/geometry.h"
#include "support/value.h"

namespace tarnwick::platform::ui {

class View;
class TrackingArea;

// What a tracking area watches and when, with the platform's values.
namespace tracking_options {
inline constexpr unsigned kMouseEnteredAndExited = 0x01;
inline constexpr unsigned kActiveInKeyWindow = 0x20;
inline constexpr unsigned kActiveInActiveApp = 0x40;
inline constexpr unsigned kActiveAlways = 0x80;
// The area follows the view's visible rectangle; its own rectangle is ignored.
inline constexpr unsigned kInVisibleRect = 0x200;
}  // namespace tracking_options

// The pointer entered or left a tracking area.
struct TrackingEvent {
    int type = event_type::kMouseEntered;  // kMouseEntered or kMouseExited
    Point locationInWindow;
    std::shared_ptr<const TrackingArea> trackingArea;
};

// Who hears a tracking area's events. The owner removes its areas before it goes away.
class TrackingAreaOwner {
public:
    virtual ~TrackingAreaOwner() = default;
    virtual void mouseEntered(const TrackingEvent& event) = 0;
    virtual void mouseExited(const TrackingEvent& event) = 0;
};

// A region of a view whose owner hears the pointer come in and go out, fed by the window
// system's pointer moves. Add it to a view with View::addTrackingArea. Main loop only.
class TrackingArea : public std::enable_shared_from_this<TrackingArea> {
public:
    TrackingArea(Rect rect, unsigned options, TrackingAreaOwner* owner, Dictionary userInfo = {})
        : rect_(rect), options_(options), owner_(owner), userInfo_(std::move(userInfo)) {}
    TrackingArea(const TrackingArea&) = delete;
    TrackingArea& operator=(const TrackingArea&) = delete;

    // In the view's coordinates.
    const Rect& rect() const { return rect_; }
    unsigned options() const { return options_; }
    TrackingAreaOwner* owner() const { return owner_; }
    const Dictionary& userInfo() const { return userInfo_; }
    // The view it is added to, or nothing.
    View* view() const { return view_; }

    // ---- kept by the window system: whether the pointer is inside as it last saw it
    bool pointerInside = false;

private:
    friend class View;
    Rect rect_;
    unsigned options_;
    TrackingAreaOwner* owner_;
    Dictionary userInfo_;
    View* view_ = nullptr;
};

}  // namespace tarnwick::platform::ui
