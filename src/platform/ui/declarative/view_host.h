#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/key_event.h"
#include "platform/ui/color_in_space.h"
#include "platform/ui/declarative/node.h"
#include "platform/ui/declarative/nodes.h"
#include "platform/ui/declarative/text_field_selection.h"
#include "platform/ui/declarative/text_field_undo.h"
#include "platform/ui/declarative/view_context.h"
#include "platform/ui/view.h"
#include "support/binding.h"
#include "support/observable.h"

namespace tarnwick::platform::ui {

class Menu;

// Renders a declarative view into a retained view and keeps it alive between renders.
//
// A render asks the root for its body, expands it (the bodies of inner views, lists put in
// their parents' place, identities, inherited text styles), lays it out at the container's
// size, then reconciles what it keeps by identity: the state of views, the values change
// reactions and animations watch, signal subscriptions, bridged retained views. Last come the
// appear actions of new nodes and the change reactions, in tree order. Published values the
// root subscribed (watch) render again on a later turn, once per turn however many changed.
//
// Besides it holds a focus engine (focusable nodes by bound value; a value that no node of the
// tree carries gives no focus), the pointer's hover, clicks and keys, and the scroll offsets.
// Reading functions and the user's side serve the hosting view and tests. Nodes handed out are
// valid until the next render. Main loop only.
class ViewHost {
public:
    // `container` holds the bridged views and gives the size to lay out in.
    ViewHost(DeclarativeView& root, View& container);
    ~ViewHost();
    ViewHost(const ViewHost&) = delete;
    ViewHost& operator=(const ViewHost&) = delete;

    // ---- rendering
    template <typename T>
    void watch(Published<T>& value) {
        observations_.push_back(value.subscribe([this](const T&) { invalidate(); }));
    }
    // A signal that something the body reads changed without a published value of its own.
    template <typename... Args>
    void watch(Signal<Args...>& signal) {
        observations_.push_back(signal.subscribe([this](const Args&...) { invalidate(); }));
    }
    void invalidate();
    // Also when the body read the container's size and that size changed since.
    bool needsRender() const;
    void render();
    void renderIfNeeded();
    // Lays the tree out again at the container's size, without asking for a new body.
    void layoutNow();
    std::uint64_t renderCount() const { return renderCount_; }
    const Environment& environment() const { return environment_; }

    // ---- the window: appear actions run each time it comes on screen, disappear actions when
    // it leaves.
    void setOnScreen(bool onScreen);
    bool isOnScreen() const { return onScreen_; }
    // The window became or stopped being the key window: renders again when the body's
    // environment said otherwise.
    void windowKeyStateChanged();
    // For ViewContext: the container's size, noted as read by this render.
    Size readContainerSize();

    // ---- reading
    const Node* root() const { return root_.get(); }
    const Node* find(std::string_view accessibilityIdentifier) const;
    // The first node that shows exactly this text (among the nodes that show: a closed menu's
    // items and a closed pop-up's other options do not).
    const Node* findText(std::string_view text) const;
    // Every text of the subtree (the whole tree by default) that shows, in tree order; the subtree
    // itself is read even where it does not show (an option of a closed pop-up).
    std::vector<std::string> texts(const Node* subtree = nullptr) const;
    // The first of the node's texts: its title in a menu row, the option a picker shows. None
    // when the node shows no text at all.
    std::optional<std::string> firstText(const Node& node) const;
    const Node* focusedNode() const;
    // Where key presses go first: the node a focus binding focuses, else the text field being
    // edited (which holds the keyboard focus without a binding).
    const Node* keyFocusNode() const;
    const std::vector<const Node*>& focusableNodes() const { return focusables_; }
    struct AnimationInFlight {
        Animation animation;
        double beginTime = 0;  // system uptime
    };
    // The animation of the latest change of the node or its ancestors, while it runs.
    std::optional<AnimationInFlight> animationInFlight(const Node& node) const;
    struct ScrollRequest {
        AnyValue id;
        UnitPoint anchor;
    };
    const std::optional<ScrollRequest>& lastScrollTarget() const { return lastScrollTarget_; }
    double scrollOffset(const Node& scroller) const;
    // The node's frame within the scrolling containers around it (empty when scrolled away).
    Rect visibleFrame(const Node& node) const;
    // Where the node is drawn: its frame under its own and its ancestors' scale effects.
    Rect presentedFrame(const Node& node) const;
    std::shared_ptr<View> bridgedView(const Node& node) const;
    // The frontmost node that takes a click at the point.
    const Node* hitTest(Point point) const;
    // The control a click on the node acts on: the node or the nearest around it that takes a
    // click (a button, switch, text field, row of a list, pop-up, segmented picker or pull-down
    // menu); nothing when none does (a text, a heading).
    const Node* clickTarget(const Node& node) const;
    // The menu a click on a pop-up or pull-down menu opened last (it closes when a row is
    // chosen or it is dismissed); nothing before.
    const std::shared_ptr<Menu>& popUpMenu() const { return popUpMenu_; }

    // ---- the user's side (points in the host's coordinates: top left origin, y down)
    // Runs the action of the button under the point; returns that button, or nothing.
    const Node* click(Point point);
    // Clicks the middle of the node's visible part; false when nothing of it shows.
    bool click(const Node& node);
    // The pointer moves to the point: hover actions of the nodes it entered, then of those it left.
    void hover(Point point);
    bool hover(const Node& node);
    // The pointer leaves the view.
    void unhover();
    // Offers a key press to the text field being edited (Return submits it and selects its text,
    // the arrows move the caret, by a word with Option and to the start or end with Command, and
    // with Shift extend the selection; Delete and Forward Delete take back the selection or the
    // character, with Option the word, with Command all before or after the caret; a key that
    // types text without Command or Control types it at the caret in place of the selection, Tab
    // and Shift-Tab move to the next and previous text field), then to the key handlers from the
    // focused node out to the root; true when one took it.
    bool keyDown(const KeyEvent& event);
    // Tab (Shift-Tab) where nothing in the tree took it and no field is edited, as in a window
    // whose first responder is the window itself: the first (last) enabled, shown text field of
    // the key view loop is edited with all its text selected. False when there is none.
    bool editFieldAtEdge(bool last);
    // The platform moves focus to a focusable node (every other bound value lets go), or drops it.
    void moveFocus(const Node& node);
    void dropFocus();

    // ---- the user's side: controls. Each acts as the user would on the control: only on a
    // control that is enabled and can be shown (scrolled into view first, as the user would);
    // false when it could not act.
    // Scrolls the scrolling containers around the node until it shows; false when it cannot.
    bool scrollIntoView(const Node& node);
    // Flips a switch.
    bool toggle(const Node& node);
    // Drags a slider to the value, which it takes as the nearest step within its range.
    bool slide(const Node& node, double value);
    // One click on a stepper's up or down arrow; false at the end of its range.
    bool increment(const Node& node);
    bool decrement(const Node& node);
    // Clicks into a text field (it takes focus) and types the text one character at a time;
    // each character is one edit of the field's text.
    bool type(const Node& node, std::string_view text);
    // Clicks into a text field without typing: it takes focus and is edited, the caret after its
    // text and nothing selected. Typing into it, `type` included, goes in at the caret.
    bool editField(const Node& node);
    // Selects everything in a text field and deletes it: one edit, to empty.
    bool clearText(const Node& node);
    // Clicks into a text field, selects what it holds and types the text over it, one character
    // at a time: undone as one change.
    bool replaceText(const Node& node, std::string_view text);

    // ---- editing: the text field being edited (the focused one, else the one last clicked or
    // typed into while no other node took focus since; none while another node holds focus)
    // with its selection, the caret where it is empty; the Edit menu's actions on it. Typing
    // over a selection replaces it.
    const Node* editingField() const;
    // The selection of the field while it is edited: where the last edit, caret move or Select
    // All left it, or the caret after the text once the field shows another text than it was
    // left in (the app set it). Nothing for a field not being edited.
    std::optional<TextSelection> selection(const Node& field) const;
    // How far the line of the field being edited is scrolled along itself, so that its caret
    // shows (FieldTextLine, scrolledToShow): by the least since the caret last moved, and no
    // further than its text needs. 0 for a field not being edited, which shows its text from the
    // start, cut short where it does not fit.
    double textScroll(const Node& field) const;
    bool hasSelectedText() const;
    // False when no field is being edited (cut and copy also when nothing is selected, paste
    // when the pasteboard holds no text).
    bool selectAllText();
    bool copyText();
    bool cutText();
    bool pasteText();
    // The field is no longer edited (its window's first responder moved elsewhere); a focused
    // field lets go of focus, and an accent a dead key left waiting for it goes untyped.
    void endEditing();
    // Undo and Redo in the field being edited. Each field keeps its own history of changes: a
    // run of typing is one change, and so is a run of deleting of one kind (characters, words,
    // to the text's edge); a run ends when the field stops being edited or is clicked into, when
    // the caret moves, when typing turns to deleting or back or deleting to another kind, on
    // Return, on Select All and on an undo or redo; a cut, a paste and a replaced text are changes of their
    // own. Each change goes through the field's binding. A history whose field shows another
    // text than its last change left (the app changed it) is dropped, not restored over it.
    bool canUndoText() const;
    bool canRedoText() const;
    bool undoText();
    bool redoText();
    // Return in a text field: the nearest submit action around it runs.
    bool submit(const Node& node);
    // Chooses the option or row with this tag in a picker or a list (a picker inside a menu is
    // reached through the menu); false for a tag the control does not offer.
    bool select(const Node& node, const AnyValue& tag);
    template <typename T>
    bool select(const Node& node, T tag) {
        return select(node, AnyValue(std::move(tag)));
    }
    // Clicks the empty space of a list: its selection is asked to become empty.
    bool clearSelection(const Node& node);
    // Opens the menu of a pop-up (a picker in the menu style: its options, the chosen one
    // checked) or of a pull-down menu (its items) under the control, as a click does; choosing a
    // row acts as the option or item would. False when it cannot act.
    bool openMenu(const Node& node);
    // Chooses a colour in the colour panel for a colour well; a well without opacity takes it
    // opaque.
    bool chooseColor(const Node& node, const ColorInSpace& color);
    // Holds the mouse down on a button (it draws pressed), then lets go: inside, the button's
    // action runs; outside, nothing happens.
    bool press(const Node& node);
    bool release(bool inside = true);
    bool isPressed(const Node& node) const { return pressed_ && *pressed_ == node.identity(); }

    // The scroll proxy's request.
    void scrollTo(const AnyValue& id, UnitPoint anchor);

private:
    struct ReceiverSlot {
        const void* source = nullptr;
        std::shared_ptr<std::shared_ptr<ReceiverBase>> current;
        Subscription subscription;
    };
    struct Record {
        std::uint64_t generation = 0;
        const Node* node = nullptr;
        std::vector<std::shared_ptr<StateBoxBase>> states;
        std::vector<AnyValue> changeValues;
        std::vector<AnyValue> animationValues;
        std::optional<AnimationInFlight> inFlight;
        std::vector<ReceiverSlot> receivers;
        std::shared_ptr<View> bridged;
        bool appeared = false;
    };
    struct PendingChange {
        const ChangeReaction* reaction;
        AnyValue previous;
    };

    void expand(Node& node);
    // Puts the children in `into` with their identities, the members of spliced groups in their
    // group's place.
    void expandChildren(std::vector<Node>& children, std::uint64_t identity, std::vector<Node>& into);
    Record& touch(Node& node);
    // After an expansion that failed: back to the tree still shown.
    void keepShownTree();
    void reconcile(Record& record, Node& node, bool isNew);
    void layOut();
    void placeBridgedViews();
    void checkFocus();
    void disappearAll();
    void appearAll();
    void refreshCursorRects();
    const Node* defaultResponder() const;
    Rect clipOf(const Node& node) const;
    // The control a driver may act on: enabled and shown (revealed by scrolling).
    bool canAct(const Node& node);
    // The node of the tree shown now with the identity, or nothing.
    const Node* nodeWithIdentity(std::uint64_t identity) const;
    // The row for each option of a picker (the chosen one checked), choosing it.
    void addOptionRows(Menu& menu, const Node& picker);
    bool runShortcut(const KeyEvent& event);
    // A key press in the field being edited, as its field editor takes it; false for a key the
    // field lets pass.
    bool editWithKey(const Node& field, const KeyEvent& event);
    // The user clicked or typed into the field: it takes focus (or every binding lets go when it
    // has none), its window's first responder becomes this host's view, and it is edited.
    void beginEditing(const Node& field);
    // Tab in the field being edited: the next (or previous) enabled, shown text field of the
    // tree in layout order, round from the last to the first, is edited with its text selected,
    // as a key view loop goes. False when there is no field to go to.
    bool moveToNextField(const Node& from, bool backward);
    // The enabled, shown text fields in the order Tab visits them (top to bottom, then leading
    // to trailing), with `keep` among them whatever it is.
    std::vector<const Node*> keyViewLoop(const Node* keep) const;
    // Edits the field with all its text selected, as Tab into it does; false when it cannot be
    // shown.
    bool tabInto(const Node& field);
    // The field as it is edited now: the text it shows with its selection.
    EditedText editedText(std::uint64_t field, const std::string& shown) const;
    // The selection's anchor, where Shift and the arrows left one in this text.
    std::optional<std::size_t> selectionAnchor(std::uint64_t field, const std::string& shown) const;
    // Leaves the selection (and the anchor of one the keys extend), scrolling the field's line
    // the least that shows its caret.
    void setSelection(std::uint64_t field, const std::string& text, TextSelection selection,
                      std::optional<std::size_t> anchor = std::nullopt);
    double fieldScroll(const Node& field, const std::string& text, TextSelection selection,
                       std::optional<std::size_t> anchor, double from) const;
    // An arrow key in the field being edited; false for one it does not take.
    bool moveWithArrow(const Node& field, const KeyEvent& event, const EditedText& before);
    // The field is edited no more: no caret, no run to join, and no accent of a dead key waiting.
    void forgetEditing();
    // Sets an edit's text through the field's binding, the caret where the edit leaves it (after
    // the text where the binding kept another text), and notes it in the field's history. Each
    // kind of deleting (characters, words, to the text's edge) makes runs of its own.
    enum class EditKind { typing, deleting, deletingWords, deletingToEdge, other };
    void applyEdit(std::uint64_t field, const Binding<std::string>& binding, EditKind kind, const EditedText& before,
                   const EditedText& edited);
    // Notes an edit of the field from `before` to `after` (what it shows now) in its undo
    // history: it joins the open run when that run is of the same field and kind, else begins a
    // new change.
    void recordEdit(std::uint64_t field, EditKind kind, const EditedText& before, const EditedText& after);
    // The next edit begins a new change.
    void endRun() { openRun_.reset(); }
    // Undo (or redo) in the field being edited, through its binding.
    bool stepHistory(bool redo);
    // The history of the field being edited, with the text the field shows; nothing when no
    // field is edited or it has no history.
    const TextFieldUndo* editingHistory(std::string& shown) const;
    // After a render: the histories of fields no longer in the tree go.
    void dropLeftHistories();

    DeclarativeView& rootView_;
    View& container_;
    std::unique_ptr<Node> root_;
    Environment environment_;
    std::vector<Subscription> observations_;
    Subscription reduceMotionObserver_;
    Subscription localeObserver_;
    std::unordered_map<std::uint64_t, Record> records_;
    std::unordered_map<std::uint64_t, double> scrollOffsets_;
    std::unordered_map<const void*, std::shared_ptr<FocusBindingBase>> focusBindings_;
    std::uint64_t generation_ = 0;
    std::uint64_t renderCount_ = 0;
    bool renderPending_ = false;
    bool rendering_ = false;
    bool onScreen_ = false;
    bool cursorsStale_ = false;  // a bridged view came, went or moved
    bool readsContainerSize_ = false;
    Size renderedContainerSize_;
    std::optional<std::uint64_t> pressed_;  // the button the mouse is held down on
    std::optional<std::uint64_t> editing_;  // the text field last clicked or typed into
    struct Caret {
        std::uint64_t field;
        std::string text;  // what the field showed when the selection was left
        TextSelection selection;
        std::optional<std::size_t> anchor;  // the end Shift and the arrows keep
        double scroll = 0;                  // how far the field's line is scrolled
    };
    std::optional<Caret> caret_;
    std::unordered_map<std::uint64_t, TextFieldUndo> undoHistories_;  // by the field's identity
    struct OpenRun {
        std::uint64_t field;
        EditKind kind;
    };
    std::optional<OpenRun> openRun_;  // the run of typing or deleting the next edit may join
    WorkItem scheduledRender_;

    // Collected while a tree is expanded.
    std::vector<const Node*> focusables_;
    std::vector<const Node*> textFields_;
    std::vector<const Node*> hoverables_;
    std::vector<Node*> bridgedNodes_;
    std::vector<const Node*> shortcuts_;
    std::vector<const Node*> appearing_;
    std::vector<PendingChange> changes_;

    std::vector<std::uint64_t> hovered_;
    std::optional<ScrollRequest> lastScrollTarget_;
    std::shared_ptr<Menu> popUpMenu_;
    LifetimeToken lifetime_;
};

}  // namespace tarnwick::platform::ui
