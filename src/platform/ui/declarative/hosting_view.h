#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/declarative/view_context.h"
#include "platform/ui/declarative/view_host.h"
#include "platform/ui/view.h"

namespace tarnwick::platform::ui {

// A retained view that shows a declarative view. It owns the root view and its host: it
// renders on a later turn after a watched value changed, and at once when asked for layout; it
// holds the bridged views as subviews; it takes first clicks (its panel need not be key) and
// hands them to the tree at the point; it accepts first responder and offers key presses to the
// tree's key handlers. The tree appears each time its window is ordered in and disappears when
// it is ordered out. Make it with std::make_shared. Main loop only.
class HostingView : public View {
public:
    explicit HostingView(std::unique_ptr<DeclarativeView> rootView, Rect frame = {});
    ~HostingView() override;

    DeclarativeView& rootView() const { return *rootView_; }
    ViewHost& host() { return *host_; }
    const ViewHost& host() const { return *host_; }

    bool acceptsFirstResponder() const override { return true; }
    // Giving up the first responder ends the editing of a text field.
    bool resignFirstResponder() override;
    // The Edit menu's actions on the text field being edited: "undo:", "redo:", "cut:", "copy:",
    // "paste:", "selectAll:"; undo and redo are enabled with a change to undo or redo, cut and
    // copy with text selected, paste with text to paste.
    bool respondsToAction(std::string_view action) const override;
    void performAction(std::string_view action, MenuItem* sender) override;
    bool validateMenuItem(const MenuItem& item) override;
    // True when a key handler of the tree consumed the key.
    bool keyDown(const KeyEvent& event) override;
    // Its first (last) text field, edited with its text selected.
    bool selectKeyViewAtEdge(bool last) override { return host_->editFieldAtEdge(last); }
    bool acceptsFirstMouse(const MouseEvent&) override { return true; }
    void mouseDown(const MouseEvent& event) override;
    // Renders when a render is due, else lays the tree out again at the view's size.
    void layout() override;
    void windowVisibilityChanged(bool visible) override;
    void windowKeyStateChanged(bool key) override;
    // What the tree declares of its smallest size: the minimum (or fixed) lengths of the frames
    // around its outermost content, with the padding outside each.
    Size minimumSize() const override;

    // A point of this view (origin at the bottom left, y up) in the tree's coordinates (origin at
    // the top left, y down), and back.
    Point treePoint(Point viewPoint) const { return Point{viewPoint.x, bounds().height() - viewPoint.y}; }

protected:
    void collectShownText(std::vector<std::string>& texts) const override;

private:
    std::unique_ptr<DeclarativeView> rootView_;
    std::unique_ptr<ViewHost> host_;  // after the root view: it goes first
};

}  // namespace tarnwick::platform::ui
