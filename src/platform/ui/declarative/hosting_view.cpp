#include "platform/ui/declarative/hosting_view.h"

#include <algorithm>

#include "platform/platform.h"
#include "platform/ui/menu.h"
#include "platform/ui/panel.h"

namespace tarnwick::platform::ui {

HostingView::HostingView(std::unique_ptr<DeclarativeView> rootView, Rect frame)
    : View(frame), rootView_(std::move(rootView)), host_(std::make_unique<ViewHost>(*rootView_, *this)) {
    host_->invalidate();
}

HostingView::~HostingView() { host_.reset(); }

bool HostingView::keyDown(const KeyEvent& event) {
    if (host_->keyDown(event)) return true;
    return View::keyDown(event);
}

bool HostingView::resignFirstResponder() {
    host_->endEditing();
    return true;
}

namespace {

bool isEditAction(std::string_view action) {
    return action == "cut:" || action == "copy:" || action == "paste:" || action == "selectAll:" ||
           action == "undo:" || action == "redo:";
}

}  // namespace

bool HostingView::respondsToAction(std::string_view action) const {
    return isEditAction(action) && host_->editingField();
}

void HostingView::performAction(std::string_view action, MenuItem*) {
    if (action == "cut:")
        host_->cutText();
    else if (action == "copy:")
        host_->copyText();
    else if (action == "paste:")
        host_->pasteText();
    else if (action == "selectAll:")
        host_->selectAllText();
    else if (action == "undo:")
        host_->undoText();
    else if (action == "redo:")
        host_->redoText();
}

bool HostingView::validateMenuItem(const MenuItem& item) {
    if (item.actionName == "cut:" || item.actionName == "copy:") return host_->hasSelectedText();
    if (item.actionName == "paste:") {
        auto* pasteboard = current().pasteboard;
        return pasteboard && pasteboard->string().has_value();
    }
    if (item.actionName == "undo:") return host_->canUndoText();
    if (item.actionName == "redo:") return host_->canRedoText();
    return true;
}

void HostingView::mouseDown(const MouseEvent& event) { host_->click(treePoint(convertFromWindow(event.locationInWindow))); }

void HostingView::layout() {
    if (host_->needsRender())
        host_->render();
    else
        host_->layoutNow();
}

void HostingView::windowVisibilityChanged(bool visible) {
    host_->setOnScreen(visible);
    View::windowVisibilityChanged(visible);
}

void HostingView::windowKeyStateChanged(bool key) {
    host_->windowKeyStateChanged();
    View::windowKeyStateChanged(key);
}

namespace {

// The minimum a node's frames declare around its only child's, down to the first node with
// more than one child.
Size declaredMinimum(const Node& node) {
    Size inner = node.children().size() == 1 ? declaredMinimum(node.children().front()) : Size{};
    if (!node.hasModifiers()) return inner;
    const Modifiers& m = node.modifiers();
    // The padding lies inside the node's frame, around what its content declares: it takes its
    // room along both axes, even where the content declares nothing.
    inner.width += m.padding.width();
    inner.height += m.padding.height();
    if (const auto& f = m.frame) {
        inner.width = std::max(inner.width, f->width.value_or(f->minWidth.value_or(0)));
        inner.height = std::max(inner.height, f->height.value_or(f->minHeight.value_or(0)));
    }
    return inner;
}

}  // namespace

Size HostingView::minimumSize() const {
    const Node* root = host_->root();
    return root ? declaredMinimum(*root) : Size{};
}

void HostingView::collectShownText(std::vector<std::string>& texts) const {
    if (isHidden()) return;
    for (auto& text : host_->texts()) texts.push_back(std::move(text));
    View::collectShownText(texts);
}

}  // namespace tarnwick::platform::ui
