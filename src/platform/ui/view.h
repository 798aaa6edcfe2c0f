#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/key_event.h"
#include "platform/ui/action_target.h"
#include "platform/ui/layer.h"
#include "platform/ui/mouse_event.h"
#include "platform/ui/tracking_area.h"
#include "support/geometry.h"

namespace tarnwick::platform::ui {

class Panel;

enum class Appearance { aqua, darkAqua, vibrantLight, vibrantDark };
enum class Cursor { arrow, pointingHand, iBeam };

// Which of a view's margins and lengths follow a change of its superview's size.
namespace autoresizing {
inline constexpr unsigned kNotSizable = 0;
inline constexpr unsigned kMinXMargin = 1;
inline constexpr unsigned kWidthSizable = 2;
inline constexpr unsigned kMaxXMargin = 4;
inline constexpr unsigned kMinYMargin = 8;
inline constexpr unsigned kHeightSizable = 16;
inline constexpr unsigned kMaxYMargin = 32;
}  // namespace autoresizing

struct CursorRect {
    Rect rect;
    Cursor cursor = Cursor::arrow;
    friend bool operator==(const CursorRect&, const CursorRect&) = default;
};

// A retained view: a frame in its superview's coordinates (origin at the bottom left, y up),
// ordered subviews (the last is frontmost), layout on demand, hit testing, mouse handling and
// cursor rectangles, and an optional layer. It records what the app asks of it so that tests
// can read the tree. Views are shared objects (make them with std::make_shared). As responders
// they may answer named actions (copy:, selectAll:) sent along the key window's chain. Main loop
// only.
class View : public std::enable_shared_from_this<View>, public ActionTarget {
public:
    explicit View(Rect frame = {});
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // ---- geometry
    const Rect& frame() const { return frame_; }
    // A change of size marks the view as needing layout and resizes the subviews that follow it.
    void setFrame(const Rect& frame);
    // How the view follows its superview's size (`autoresizing` bits): the change of each
    // length is shared equally among the flexible parts of that axis; none flexible, it stays.
    unsigned autoresizingMask = autoresizing::kNotSizable;
    // The view's own coordinates: its size, origin 0,0.
    Rect bounds() const { return Rect(0, 0, frame_.width(), frame_.height()); }
    // The part of the bounds its superviews leave visible (empty when none), in its coordinates.
    Rect visibleRect() const;

    // ---- the tree
    const std::vector<std::shared_ptr<View>>& subviews() const { return subviews_; }
    View* superview() const { return superview_; }
    // Adds the view in front of the others (or just above `sibling`), taking it from its old place.
    void addSubview(std::shared_ptr<View> view);
    void addSubview(std::shared_ptr<View> view, const View& above);
    void removeFromSuperview();
    // The panel the view is in, or nothing.
    Panel* window() const;

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    // Hidden itself or inside a hidden view.
    bool isHiddenOrHasHiddenAncestor() const;

    // ---- layout
    bool needsLayout() const { return needsLayout_; }
    void setNeedsLayout(bool needed = true) { needsLayout_ = needed; }
    // Lays out this view when it needs it, then its subviews, front to back down the tree.
    void layoutSubtreeIfNeeded();
    // Places the subviews; the override point of the views the system builds.
    virtual void layout() {}
    // The smallest size the view's content allows; a window keeps its content view at least
    // this large when the user resizes it. Nothing for a plain view.
    virtual Size minimumSize() const { return {}; }

    // ---- events
    // The frontmost visible view under the point (in the superview's coordinates), or nothing.
    virtual View* hitTest(Point pointInSuperview);
    virtual bool acceptsFirstMouse(const MouseEvent& event);
    // Unhandled clicks go to the superview, as to the next responder. The release of a press
    // goes to the view that received the press.
    virtual void mouseDown(const MouseEvent& event);
    virtual void mouseUp(const MouseEvent& event);
    virtual void rightMouseDown(const MouseEvent& event);
    virtual void rightMouseUp(const MouseEvent& event);
    // Called when the cursor rectangles are rebuilt; views add theirs here.
    virtual void resetCursorRects() {}
    void addCursorRect(const Rect& rect, Cursor cursor);
    void discardCursorRects() { cursorRects_.clear(); }
    const std::vector<CursorRect>& cursorRects() const { return cursorRects_; }
    // A window point in this view's coordinates, and a rectangle of the view in the window's.
    Point convertFromWindow(Point point) const;
    Rect convertToWindow(const Rect& rect) const;

    // ---- tracking areas: the window system tells their owners when the pointer enters or leaves
    void addTrackingArea(std::shared_ptr<TrackingArea> area);
    void removeTrackingArea(const TrackingArea& area);
    const std::vector<std::shared_ptr<TrackingArea>>& trackingAreas() const { return trackingAreas_; }

    // ---- keys
    virtual bool acceptsFirstResponder() const { return false; }
    // Asked when the window makes the view its first responder, or moves that role elsewhere;
    // false refuses.
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }
    // A key press for this view; returns whether something consumed it. Unconsumed keys go to
    // the superview, as to the next responder.
    virtual bool keyDown(const KeyEvent& event);
    // A key press with Command, offered down the tree before it goes to the first responder;
    // true when this view or one inside it acted on it. By default the subviews are asked.
    virtual bool performKeyEquivalent(const KeyEvent& event);
    // Tab (or Shift-Tab) that no responder took, in a window whose first responder is the window
    // itself: the first (last) view of the key view loop inside this one takes the keyboard.
    // False when none does. By default the subviews are asked in order (backwards for the last).
    virtual bool selectKeyViewAtEdge(bool last);

    // ---- the window
    // The window was ordered in (true) or out (false); every view of its content hears it.
    virtual void windowVisibilityChanged(bool visible);
    // The window became (true) or stopped being (false) the key window; every view hears it.
    virtual void windowKeyStateChanged(bool key);
    // The view went into another window or out of any (it is already there when it hears it).
    virtual void viewDidMoveToWindow() {}

    // ---- layer and look
    bool wantsLayer() const { return layer_ != nullptr; }
    // A layer-backed view gets a layer; turning it off drops the layer.
    void setWantsLayer(bool wants);
    Layer* layer() const { return layer_.get(); }
    std::optional<Appearance> appearance;
    std::optional<std::string> accessibilityLabel;

    // ---- reading the tree
    // The text of every visible label in the subtree, front to back within each view.
    std::vector<std::string> shownTexts() const;
    // Every view of the subtree, this one first, level by level.
    std::vector<View*> descendants();

protected:
    virtual void collectShownText(std::vector<std::string>& texts) const;

private:
    friend class Panel;
    void detach();
    void resizeSubviews(Size oldSize);
    // Every view of the subtree hears that it left `from` for its window now.
    static void movedWindow(View& subtree, Panel* from);

    Rect frame_;
    std::vector<std::shared_ptr<View>> subviews_;
    View* superview_ = nullptr;
    Panel* hostWindow_ = nullptr;  // set on a panel's content view
    bool hidden_ = false;
    bool needsLayout_ = true;
    std::vector<CursorRect> cursorRects_;
    std::vector<std::shared_ptr<TrackingArea>> trackingAreas_;
    std::shared_ptr<Layer> layer_;
};

}  // namespace tarnwick::platform::ui
